#pragma once

#include <cstdint>

#include "panes/textpane.h"

namespace commands {

// Clear: empties both panes; each pane can bring its text back with undo. Find next starts
// again from the top (the find cursor becomes 0).
void clearPanes(TextPane &left, TextPane &right, int32_t &findCursor);

} // namespace commands
