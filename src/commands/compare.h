#pragma once

// Compare: marks every byte position of the left text at which the right text differs, in
// both panes, with the highlight format.

#include <string_view>
#include <vector>

#include "panes/charformat.h"
#include "panes/textpane.h"

namespace commands {

// The byte positions 1..length(left) at which the texts' bytes differ, each text read up to its
// first zero byte (a position past the end of a text holds no byte, which differs from any
// byte), as 0-based ranges of consecutive positions.
std::vector<ByteRange> differingRanges(std::string_view left, std::string_view right);

void compare(TextPane &left, TextPane &right, CharFormat &highlight);

} // namespace commands
