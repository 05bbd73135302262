#pragma once

#include "panes/charformat.h"
#include "panes/inputs.h"

namespace commands {

// The font-size command: the highlight size becomes the number on the chosen item (the empty
// item gives 0).
void chooseFontSize(const ItemList &list, CharFormat &highlight);

// A number turned into an integer: truncated toward zero to 64 bits, the low 32 bits kept. A
// value no 64-bit integer holds gives 0.
int32_t truncateToInt32(double value);

} // namespace commands
