#pragma once

// Find next: marks the next occurrence of the search text in the left pane. The find cursor
// holds the 1-based byte position of the last match, or 0 when the next search starts from the
// top: before the first search, after a search that ran off the end (that click tells the user
// so), and whenever the text it pointed into has gone (a new search text, Clear, Replace all).

#include <cstdint>
#include <string_view>

#include "commands/notifier.h"
#include "panes/charformat.h"
#include "panes/inputs.h"
#include "panes/textpane.h"

namespace commands {

// Where the search after a match at findCursor starts: one character (1, 2 or 4 bytes) further,
// so the scan stays on character boundaries.
int32_t nextSearchStart(std::string_view text, int32_t findCursor);

void findNext(TextPane &pane, const TextInput &searchBox, CharFormat &highlight,
              int32_t &findCursor, Notifier &notifier);

} // namespace commands
