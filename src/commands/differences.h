#pragma once

// Moving between differences (F8, Shift+F8): from the caret of one pane to its next or previous
// run of marked characters, with the other pane scrolled to the matching place.

#include <optional>
#include <span>
#include <vector>

#include "panes/textpane.h"

namespace commands {

enum class Direction
{
    Next,
    Previous,
};

enum class Side
{
    Left,
    Right,
};

// The run to move to from a selection (an empty one is the caret): the first run that starts at
// or after the selection's end, or the last run that starts before its start; past the last run
// the first, before the first the last. None when there are no runs. The runs are sorted.
std::optional<ByteRange> runToMoveTo(std::span<const ByteRange> runs, ByteRange selection,
                                     Direction direction);

// A stretch of the left text and the stretch of the right text an aligned compare matched it
// with (either may be empty).
struct AlignedPair
{
    ByteRange left;
    ByteRange right;

    friend bool operator==(const AlignedPair &, const AlignedPair &) = default;
};

// The byte of the other text that matches a byte of the text on side. Without pairs it is the
// same byte. Inside a pair it is the same distance into the other side of the pair, at most its
// end; after a pair, the same distance after the pair's other side; before the first pair, the
// same byte. The pairs are sorted and do not overlap.
int32_t matchingByte(std::span<const AlignedPair> pairs, Side side, int32_t position);

class DifferenceNavigator
{
public:
    DifferenceNavigator(TextPane &left, TextPane &right) : m_left(left), m_right(right) {}

    // Tells the navigator how the last aligned compare matched the texts: any sorted sequence of
    // records with ByteRange members left and right. They count until forgetAlignedHunks() or
    // until a pane's text changes its length.
    template <typename Hunks> void setAlignedHunks(const Hunks &hunks)
    {
        std::vector<AlignedPair> pairs;
        for (const auto &hunk : hunks)
            pairs.push_back({hunk.left, hunk.right});
        takeAlignedPairs(std::move(pairs));
    }
    void takeAlignedPairs(std::vector<AlignedPair> pairs);
    // Back to matching byte for byte, as after an ordinary Compare.
    void forgetAlignedHunks();
    const std::vector<AlignedPair> &alignedPairs() const { return m_pairs; }

    // Moves the pane on side to its next or previous marked run: selects it and scrolls it into
    // view, and scrolls the other pane to the matching byte. The focus stays where it is. With
    // no marks in the pane nothing changes; answers whether it moved.
    bool move(Side side, Direction direction);

private:
    // The pairs, while both texts still have the lengths they had when the pairs came.
    std::span<const AlignedPair> currentPairs() const;

    TextPane &m_left;
    TextPane &m_right;
    std::vector<AlignedPair> m_pairs;
    int32_t m_leftLength = 0;
    int32_t m_rightLength = 0;
};

} // namespace commands
