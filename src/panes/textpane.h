#pragma once

// The operations the commands need of a rich-text pane. Positions and lengths are byte
// positions (0-based) and byte counts of the text that context() reads; a pane maps a byte
// range onto its characters by taking every character with at least one byte in the range.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct CharFormat;

struct ByteRange
{
    int32_t start = 0; // 0-based
    int32_t length = 0;

    friend bool operator==(const ByteRange &, const ByteRange &) = default;
};

class TextPane
{
public:
    virtual ~TextPane() = default;

    // The whole text in the code page; a line break reads as "\n".
    virtual std::string context() const = 0;
    // Replaces the whole text (as one step the user can undo); the text gets the pane's default
    // format.
    virtual void setContext(std::string_view text) = 0;

    // A negative start counts as 0. Selects from the new start with the stored length, or
    // everything while the stored length is -1.
    virtual void setSelStart(int32_t start) = 0;
    // A length below -1 counts as -1, which selects everything. Selects from the stored start.
    virtual void setSelLength(int32_t length) = 0;

    virtual int32_t textLength() const = 0;

    // Scrolls the current selection into view, without moving the focus.
    virtual void showSelection() = 0;

    // The current selection; an empty range at the caret when nothing is selected.
    virtual ByteRange selection() const = 0;
    // The runs of marked characters (those the highlight format underlined), sorted, each run
    // as long as the marked characters go on.
    virtual std::vector<ByteRange> markedRanges() const = 0;
    // Scrolls the character that holds this byte into view (the end of the text for a byte past
    // it), leaving the selection and the focus as they are.
    virtual void scrollToByte(int32_t position) = 0;

    // Gives the characters of the current selection the format.
    virtual void applyCharFormat(const CharFormat &format) = 0;
    // Gives the characters of every range the format, in one step; the selection stays as it
    // is. The ranges are sorted and do not overlap.
    virtual void applyCharFormat(std::span<const ByteRange> ranges, const CharFormat &format) = 0;
};
