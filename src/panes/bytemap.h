#pragma once

// Walks a code-page text and its document side by side, mapping byte offsets to document
// positions and back. Offsets must be asked for in ascending order, so a sorted list of ranges
// costs one pass over the text; a map with checkpoints starts each look-up from the nearest one
// before it, so look-ups far into a long text cost little. The document may hold soft breaks,
// positions that are not part of the text.

#include <climits>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

class ByteMap
{
public:
    // Where the walk stands at a character boundary.
    struct Checkpoint
    {
        std::size_t byte;
        int position;
        std::size_t nextSoftBreak;
    };

    // The soft breaks are document positions, ascending. The checkpoints, if any, are those
    // checkpoints() made for the same text.
    explicit ByteMap(std::string_view bytes, std::span<const int> softBreaks = {},
                     std::span<const Checkpoint> checkpoints = {})
        : m_bytes(bytes), m_softBreaks(softBreaks), m_checkpoints(checkpoints)
    {
    }

    // Checkpoints every few kilobytes of the text, made in one walk.
    static std::vector<Checkpoint> checkpoints(std::string_view bytes,
                                               std::span<const int> softBreaks);

    // The document position of the character that holds this byte; the end of the text for an
    // offset past it.
    int charStartAt(int64_t byteOffset);
    // The document position just after the character that holds this byte.
    int charEndAt(int64_t byteOffset);
    // The byte offset at which the character at this document position starts.
    int64_t byteOffsetAt(int position);

private:
    void advanceToByte(int64_t byteOffset);
    // Moves to the last checkpoint at or before the byte offset or position, if it lies ahead.
    void jumpTowardByte(int64_t byteOffset);
    void jumpTowardPosition(int position);
    void jumpTo(const Checkpoint &checkpoint);
    // Steps over the soft breaks at the current position.
    void skipSoftBreaks()
    {
        if (m_position >= m_nextSoftBreakPosition)
            skipSoftBreaksSlowly();
    }
    void skipSoftBreaksSlowly();
    // The character at the current byte; ASCII without a call.
    struct Step
    {
        int bytes;
        int units;
    };
    Step currentCharacter() const
    {
        if (static_cast<unsigned char>(m_bytes[m_byte]) < 0x80)
            return {1, 1};
        return multiByteCharacter();
    }
    Step multiByteCharacter() const;
    // Steps over ASCII eight bytes at a time, short of the byte offset limit and of the next
    // soft break, so prose costs a word test per eight characters.
    void skipAscii(std::size_t byteLimit);

    std::string_view m_bytes;
    std::span<const int> m_softBreaks;
    std::span<const Checkpoint> m_checkpoints;
    std::size_t m_nextSoftBreak = 0;
    // The position of the next soft break, or past every position.
    int m_nextSoftBreakPosition = m_softBreaks.empty() ? INT_MAX : m_softBreaks.front();
    std::size_t m_byte = 0; // start of the current character
    int m_position = 0;     // its document position
};
