#pragma once

// Find next: marks the next occurrence of the search text in the left pane. The find cursor
// holds the 1-based byte position of the last match, 0 before the first search and -1 once a
// search has run off the end; the click after that tells the user and starts over.

#include <cstdint>
#include <string_view>

#include "commands/notifier.h"
#include "panes/charformat.h"
#include "panes/inputs.h"
#include "panes/textpane.h"

namespace commands {

// Where the search after a match at findCursor starts: one character further, so a match that
// begins with a two-byte character keeps the scan on character boundaries.
int32_t nextSearchStart(std::string_view text, int32_t findCursor);

void findNext(TextPane &pane, const TextInput &searchBox, CharFormat &highlight,
              int32_t &findCursor, Notifier &notifier);

} // namespace commands
