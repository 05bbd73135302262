#include "commands/differences.h"

#include <algorithm>

namespace commands {

std::optional<ByteRange> runToMoveTo(std::span<const ByteRange> runs, ByteRange selection,
                                     Direction direction)
{
    if (runs.empty())
        return std::nullopt;
    if (direction == Direction::Next) {
        const int64_t end = int64_t(selection.start) + selection.length;
        const auto next = std::partition_point(
            runs.begin(), runs.end(), [end](const ByteRange &run) { return run.start < end; });
        return next == runs.end() ? runs.front() : *next;
    }
    const auto after = std::partition_point(runs.begin(), runs.end(), [&](const ByteRange &run) {
        return run.start < selection.start;
    });
    return after == runs.begin() ? runs.back() : *(after - 1);
}

int32_t matchingByte(std::span<const AlignedPair> pairs, Side side, int32_t position)
{
    const auto here = [side](const AlignedPair &pair) {
        return side == Side::Left ? pair.left : pair.right;
    };
    const auto there = [side](const AlignedPair &pair) {
        return side == Side::Left ? pair.right : pair.left;
    };
    // The last pair that starts at or before the position.
    const auto after = std::partition_point(pairs.begin(), pairs.end(), [&](const AlignedPair &p) {
        return here(p).start <= position;
    });
    if (after == pairs.begin())
        return position;
    const ByteRange from = here(*(after - 1));
    const ByteRange to = there(*(after - 1));
    const int32_t into = position - from.start;
    if (into < from.length)
        return to.start + std::min(into, to.length);
    return to.start + to.length + (position - from.start - from.length);
}

void DifferenceNavigator::takeAlignedPairs(std::vector<AlignedPair> pairs)
{
    m_pairs = std::move(pairs);
    m_leftLength = m_left.textLength();
    m_rightLength = m_right.textLength();
}

void DifferenceNavigator::forgetAlignedHunks()
{
    m_pairs.clear();
}

std::span<const AlignedPair> DifferenceNavigator::currentPairs() const
{
    if (m_pairs.empty() || m_left.textLength() != m_leftLength ||
        m_right.textLength() != m_rightLength)
        return {};
    return m_pairs;
}

bool DifferenceNavigator::move(Side side, Direction direction)
{
    TextPane &pane = side == Side::Left ? m_left : m_right;
    TextPane &other = side == Side::Left ? m_right : m_left;
    const std::vector<ByteRange> runs = pane.markedRanges();
    const std::optional<ByteRange> run = runToMoveTo(runs, pane.selection(), direction);
    if (!run)
        return false;
    pane.setSelStart(run->start);
    pane.setSelLength(run->length);
    // Its start, rather than the caret at its end: a run may be taller than the view.
    pane.scrollToByte(run->start);
    other.scrollToByte(matchingByte(currentPairs(), side, run->start));
    return true;
}

} // namespace commands
