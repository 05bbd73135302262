#include "commands/compare.h"

#include <algorithm>

namespace commands {

namespace {

std::string_view upToZero(std::string_view text)
{
    return text.substr(0, std::min(text.find('\0'), text.size()));
}

} // namespace

std::vector<ByteRange> differingRanges(std::string_view leftText, std::string_view rightText)
{
    // The walk covers every byte position of the left text, the bytes after a zero byte
    // included; from a zero byte on a text holds no byte any more.
    const std::size_t length = leftText.size();
    const std::string_view left = upToZero(leftText);
    const std::string_view right = upToZero(rightText);
    const std::size_t both = std::min(left.size(), right.size());

    std::vector<ByteRange> ranges;
    const auto mark = [&ranges](std::size_t from, std::size_t to) {
        if (from < to)
            ranges.push_back({int32_t(from), int32_t(to - from)});
    };
    std::size_t i = 0;
    while (i < both) {
        if (left[i] == right[i]) {
            ++i;
            continue;
        }
        const std::size_t from = i;
        while (i < both && left[i] != right[i])
            ++i;
        mark(from, i);
    }
    // Where only one of the texts still holds bytes, every position differs; where neither
    // does, both read as empty and agree.
    const std::size_t longer = std::min(std::max(left.size(), right.size()), length);
    if (both < longer) {
        if (!ranges.empty() && std::size_t(ranges.back().start + ranges.back().length) == both)
            ranges.back().length += int32_t(longer - both);
        else
            mark(both, longer);
    }
    return ranges;
}

void compare(TextPane &left, TextPane &right, CharFormat &highlight)
{
    // Formatting changes no text, so both texts are read once for the whole walk.
    const std::string leftText = left.context();
    const std::string rightText = right.context();
    const std::vector<ByteRange> ranges = differingRanges(leftText, rightText);
    if (ranges.empty())
        return;

    highlight.Effects = CharFormat::Underline;
    left.applyCharFormat(ranges, highlight);
    right.applyCharFormat(ranges, highlight);

    // Both panes end with the last differing position selected and formatted, as if each
    // position had been selected and formatted in turn.
    const int32_t last = ranges.back().start + ranges.back().length - 1;
    for (TextPane *pane : {&left, &right}) {
        pane->setSelStart(last);
        pane->setSelLength(1);
        pane->applyCharFormat(highlight);
    }
}

} // namespace commands
