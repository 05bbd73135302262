#include "commands/alignedcompare.h"

#include <string>

namespace commands {

std::vector<text::AlignedHunk> alignedCompare(TextPane &left, TextPane &right,
                                              CharFormat &highlight)
{
    const std::string leftText = left.context();
    const std::string rightText = right.context();
    std::vector<text::AlignedHunk> hunks = text::alignTexts(leftText, rightText);

    std::vector<ByteRange> leftRanges;
    std::vector<ByteRange> rightRanges;
    for (const text::AlignedHunk &hunk : hunks) {
        if (hunk.left.length > 0)
            leftRanges.push_back(hunk.left);
        if (hunk.right.length > 0)
            rightRanges.push_back(hunk.right);
    }
    highlight.Effects = CharFormat::Underline;
    if (!leftRanges.empty())
        left.applyCharFormat(leftRanges, highlight);
    if (!rightRanges.empty())
        right.applyCharFormat(rightRanges, highlight);
    return hunks;
}

} // namespace commands
