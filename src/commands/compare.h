#pragma once

// Compare: marks every byte position at which the two texts differ with the highlight format:
// in both panes up to the end of the left text, and in the right pane the right text's bytes
// beyond it.

#include <string_view>
#include <vector>

#include "panes/charformat.h"
#include "panes/textpane.h"

namespace commands {

// The differing byte positions for each pane, as 0-based ranges of consecutive positions. Each
// text is read up to its first zero byte; a position where one text holds a byte and the other
// none differs. left covers the positions 1..length(left), zero bytes and what follows them
// included; right covers the same positions and, beyond them, every byte the right text still
// holds.
struct Differences
{
    std::vector<ByteRange> left;
    std::vector<ByteRange> right;
};

Differences differingRanges(std::string_view left, std::string_view right);

void compare(TextPane &left, TextPane &right, CharFormat &highlight);

} // namespace commands
