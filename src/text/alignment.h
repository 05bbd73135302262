#pragma once

// Aligned comparison of two texts: which characters one text deletes or replaces and which the
// other inserts, found as a shortest edit script where that is affordable. Characters are the
// code page's characters (a line break is one), each text read up to its first zero byte.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "panes/textpane.h"

namespace text {

// One changed stretch: the left bytes the script deletes or replaces and the right bytes it
// inserts or puts in their place. Either side may be empty (its start is then where the other
// side's change sits).
struct AlignedHunk
{
    ByteRange left;
    ByteRange right;

    friend bool operator==(const AlignedHunk &, const AlignedHunk &) = default;
};

struct AlignmentOptions
{
    // Align whole lines first (a very long line in content-defined pieces), then the characters
    // inside the changed lines. Off: the characters of the whole texts are aligned at once.
    bool linesFirst = true;
    // Fold a short unchanged stretch into the changes around it when it is no longer than the
    // change on either side of it, so that a few scattered common characters do not cut a
    // rewritten phrase into pieces.
    bool semanticCleanup = true;
    // The most edits an exact search of one stretch may find before the alignment settles for
    // common anchors (lines or characters that occur once in each text) and, where there are
    // none, marks the stretch whole. Below it the script of a stretch is a shortest one, as long
    // as the whole alignment stays within its search work: a few dozen steps per byte of the
    // texts, which only texts that differ nearly everywhere use up.
    int32_t costLimit = 2048;
};

// The changed stretches, in text order, separated by at least one unchanged character. The
// unchanged characters of the left text, in order, are exactly those of the right text.
std::vector<AlignedHunk> alignTexts(std::string_view left, std::string_view right,
                                    const AlignmentOptions &options = {});

// The byte count of the character at the offset: a byte in 0x81-0xFE followed by one in
// 0x30-0x39 begins a four-byte character, any other byte in 0x80-0xFF a two-byte one, and
// every other byte is a character of its own; a character cut off by the end of the text ends
// there.
std::size_t characterWidth(std::string_view text, std::size_t offset);

} // namespace text
