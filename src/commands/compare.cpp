#include "commands/compare.h"

#include <algorithm>

namespace commands {

namespace {

std::string_view upToZero(std::string_view text)
{
    return text.substr(0, std::min(text.find('\0'), text.size()));
}

// Appends the positions from..to (end excluded), joined to the last range when they follow it.
void addRange(std::vector<ByteRange> &ranges, std::size_t from, std::size_t to)
{
    if (from >= to)
        return;
    if (!ranges.empty() && std::size_t(ranges.back().start + ranges.back().length) == from)
        ranges.back().length += int32_t(to - from);
    else
        ranges.push_back({int32_t(from), int32_t(to - from)});
}

// The differing positions below length; where only one text still holds bytes, every position
// differs, and where neither does, both read as empty and agree.
std::vector<ByteRange> differingBelow(std::string_view left, std::string_view right,
                                      std::size_t length)
{
    const std::size_t both = std::min({left.size(), right.size(), length});
    std::vector<ByteRange> ranges;
    std::size_t i = 0;
    while (i < both) {
        if (left[i] == right[i]) {
            ++i;
            continue;
        }
        const std::size_t from = i;
        while (i < both && left[i] != right[i])
            ++i;
        addRange(ranges, from, i);
    }
    addRange(ranges, both, std::min(std::max(left.size(), right.size()), length));
    return ranges;
}

// Selects the last marked position and formats it, as if each position had been selected and
// formatted in turn.
void selectLast(TextPane &pane, const std::vector<ByteRange> &ranges, const CharFormat &highlight)
{
    if (ranges.empty())
        return;
    pane.setSelStart(ranges.back().start + ranges.back().length - 1);
    pane.setSelLength(1);
    pane.applyCharFormat(highlight);
}

} // namespace

Differences differingRanges(std::string_view leftText, std::string_view rightText)
{
    // The left pane has no character past its text's length; the right pane's bytes beyond it
    // differ from nothing and are marked there alone.
    const std::string_view left = upToZero(leftText);
    const std::string_view right = upToZero(rightText);
    Differences differences;
    differences.right = differingBelow(left, right, std::max(leftText.size(), right.size()));
    differences.left = differences.right;
    std::vector<ByteRange> &inLeft = differences.left;
    const auto leftLength = static_cast<int32_t>(leftText.size());
    while (!inLeft.empty() && inLeft.back().start >= leftLength)
        inLeft.pop_back();
    if (!inLeft.empty())
        inLeft.back().length = std::min(inLeft.back().length, leftLength - inLeft.back().start);
    return differences;
}

void compare(TextPane &left, TextPane &right, CharFormat &highlight)
{
    // Formatting changes no text, so both texts are read once for the whole walk.
    const Differences differences = differingRanges(left.context(), right.context());
    if (differences.right.empty())
        return;

    highlight.Effects = CharFormat::Underline;
    left.applyCharFormat(differences.left, highlight);
    right.applyCharFormat(differences.right, highlight);
    selectLast(left, differences.left, highlight);
    selectLast(right, differences.right, highlight);
}

} // namespace commands
