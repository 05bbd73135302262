#include "panes/bytemap.h"

#include "text/codepage.h"

void ByteMap::advanceToByte(int64_t byteOffset)
{
    // Stops on the character that holds byteOffset, or at the end of the text.
    while (m_byte < m_bytes.size()) {
        const text::CodePageChar ch = text::codePageCharAt(m_bytes, m_byte);
        if (static_cast<int64_t>(m_byte + ch.bytes) > byteOffset)
            return;
        m_byte += ch.bytes;
        m_position += ch.units;
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
    while (m_byte < m_bytes.size() && m_position < position) {
        const text::CodePageChar ch = text::codePageCharAt(m_bytes, m_byte);
        m_byte += ch.bytes;
        m_position += ch.units;
    }
    return static_cast<int64_t>(m_byte);
}
