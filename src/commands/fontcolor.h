#pragma once

#include "panes/charformat.h"
#include "panes/inputs.h"

namespace commands {

// The font-colour command: the highlight colour becomes the colour the user accepted.
void chooseFontColor(const ColorSource &picker, CharFormat &highlight);

} // namespace commands
