#pragma once

#include "panes/textpane.h"

namespace commands {

// Clear: empties both panes; each pane can bring its text back with undo.
void clearPanes(TextPane &left, TextPane &right);

} // namespace commands
