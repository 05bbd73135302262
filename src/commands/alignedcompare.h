#pragma once

// Aligned compare: marks only what one text deletes, inserts or replaces against the other, at
// the character level, with the highlight format.

#include <vector>

#include "panes/charformat.h"
#include "panes/textpane.h"
#include "text/alignment.h"

namespace commands {

// Marks the changed characters of the left text in the left pane and those of the right text
// in the right pane, each pane in one undo step, leaving earlier marks and the selections as
// they are. Answers the changed stretches in text order.
std::vector<text::AlignedHunk> alignedCompare(TextPane &left, TextPane &right,
                                              CharFormat &highlight);

} // namespace commands
