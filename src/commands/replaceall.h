#pragma once

// Replace all: replaces every occurrence of the search text in the left pane, ignoring the case
// of ASCII letters, and writes the pane once, as one step the user can undo. When it writes the
// pane, Find next starts again from the top (the find cursor becomes 0).

#include <cstdint>

#include "commands/notifier.h"
#include "panes/inputs.h"
#include "panes/textpane.h"

namespace commands {

void replaceAll(TextPane &pane, const TextInput &searchBox, const TextInput &replacementBox,
                int32_t &findCursor, Notifier &notifier);

} // namespace commands
