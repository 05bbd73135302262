#pragma once

// Walks a code-page text and its document side by side, mapping byte offsets to document
// positions and back. Offsets must be asked for in ascending order, so a sorted list of ranges
// costs one pass over the text. The document may hold soft breaks, positions that are not part
// of the text.

#include <cstdint>
#include <span>
#include <string_view>

class ByteMap
{
public:
    // The soft breaks are document positions, ascending.
    explicit ByteMap(std::string_view bytes, std::span<const int> softBreaks = {})
        : m_bytes(bytes), m_softBreaks(softBreaks)
    {
    }

    // The document position of the character that holds this byte; the end of the text for an
    // offset past it.
    int charStartAt(int64_t byteOffset);
    // The document position just after the character that holds this byte.
    int charEndAt(int64_t byteOffset);
    // The byte offset at which the character at this document position starts.
    int64_t byteOffsetAt(int position);

private:
    void advanceToByte(int64_t byteOffset);
    // Steps over the soft breaks at the current position.
    void skipSoftBreaks();

    std::string_view m_bytes;
    std::span<const int> m_softBreaks;
    std::size_t m_nextSoftBreak = 0;
    std::size_t m_byte = 0; // start of the current character
    int m_position = 0;     // its document position
};
