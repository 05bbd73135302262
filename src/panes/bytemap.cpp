#include "panes/bytemap.h"

#include "text/codepage.h"

void ByteMap::skipSoftBreaks()
{
    while (m_nextSoftBreak < m_softBreaks.size() && m_softBreaks[m_nextSoftBreak] <= m_position) {
        if (m_softBreaks[m_nextSoftBreak] == m_position)
            ++m_position;
        ++m_nextSoftBreak;
    }
}

void ByteMap::advanceToByte(int64_t byteOffset)
{
    // Stops on the character that holds byteOffset, or at the end of the text.
    skipSoftBreaks();
    while (m_byte < m_bytes.size()) {
        const text::CodePageChar ch = text::codePageCharAt(m_bytes, m_byte);
        if (static_cast<int64_t>(m_byte + ch.bytes) > byteOffset)
            return;
        m_byte += ch.bytes;
        m_position += ch.units;
        skipSoftBreaks();
    }
}

int ByteMap::charStartAt(int64_t byteOffset)
{
    advanceToByte(byteOffset);
    return m_position;
}

int ByteMap::charEndAt(int64_t byteOffset)
{
    advanceToByte(byteOffset);
    if (m_byte >= m_bytes.size())
        return m_position;
    return m_position + text::codePageCharAt(m_bytes, m_byte).units;
}

int64_t ByteMap::byteOffsetAt(int position)
{
    skipSoftBreaks();
    while (m_byte < m_bytes.size() && m_position < position) {
        const text::CodePageChar ch = text::codePageCharAt(m_bytes, m_byte);
        m_byte += ch.bytes;
        m_position += ch.units;
        skipSoftBreaks();
    }
    return static_cast<int64_t>(m_byte);
}
