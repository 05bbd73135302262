#include "panes/bytemap.h"

#include <algorithm>
#include <cstring>

#include "text/codepage.h"

namespace {

// Bytes between two checkpoints.
constexpr std::size_t kCheckpointSpacing = 4096;

} // namespace

std::vector<ByteMap::Checkpoint> ByteMap::checkpoints(std::string_view bytes,
                                                      std::span<const int> softBreaks)
{
    std::vector<Checkpoint> made;
    made.reserve(bytes.size() / kCheckpointSpacing + 1);
    ByteMap walk(bytes, softBreaks);
    walk.skipSoftBreaks();
    std::size_t next = 0;
    while (walk.m_byte < bytes.size()) {
        if (walk.m_byte >= next) {
            made.push_back({walk.m_byte, walk.m_position, walk.m_nextSoftBreak});
            next = walk.m_byte + kCheckpointSpacing;
        }
        walk.skipAscii(next);
        if (walk.m_byte >= bytes.size() || walk.m_byte >= next)
            continue;
        const Step ch = walk.currentCharacter();
        walk.m_byte += ch.bytes;
        walk.m_position += ch.units;
        walk.skipSoftBreaks();
    }
    return made;
}

void ByteMap::jumpTo(const Checkpoint &checkpoint)
{
    m_byte = checkpoint.byte;
    m_position = checkpoint.position;
    m_nextSoftBreak = checkpoint.nextSoftBreak;
    m_nextSoftBreakPosition =
        m_nextSoftBreak < m_softBreaks.size() ? m_softBreaks[m_nextSoftBreak] : INT_MAX;
}

void ByteMap::jumpTowardByte(int64_t byteOffset)
{
    auto it = std::upper_bound(m_checkpoints.begin(), m_checkpoints.end(), byteOffset,
                               [](int64_t offset, const Checkpoint &checkpoint) {
                                   return offset < int64_t(checkpoint.byte);
                               });
    if (it != m_checkpoints.begin() && std::prev(it)->byte > m_byte)
        jumpTo(*std::prev(it));
}

void ByteMap::jumpTowardPosition(int position)
{
    auto it = std::upper_bound(
        m_checkpoints.begin(), m_checkpoints.end(), position,
        [](int target, const Checkpoint &checkpoint) { return target < checkpoint.position; });
    if (it != m_checkpoints.begin() && std::prev(it)->byte > m_byte)
        jumpTo(*std::prev(it));
}

void ByteMap::skipSoftBreaksSlowly()
{
    while (m_nextSoftBreak < m_softBreaks.size() && m_softBreaks[m_nextSoftBreak] <= m_position) {
        if (m_softBreaks[m_nextSoftBreak] == m_position)
            ++m_position;
        ++m_nextSoftBreak;
    }
    m_nextSoftBreakPosition =
        m_nextSoftBreak < m_softBreaks.size() ? m_softBreaks[m_nextSoftBreak] : INT_MAX;
}

void ByteMap::skipAscii(std::size_t byteLimit)
{
    constexpr std::size_t kWord = sizeof(uint64_t);
    constexpr uint64_t kHighBits = 0x8080808080808080ULL;
    byteLimit = std::min(byteLimit, m_bytes.size());
    while (m_byte + kWord <= byteLimit &&
           int64_t(m_position) + int64_t(kWord) < m_nextSoftBreakPosition) {
        uint64_t word;
        std::memcpy(&word, m_bytes.data() + m_byte, kWord);
        if (word & kHighBits)
            return;
        m_byte += kWord;
        m_position += int(kWord);
    }
}

ByteMap::Step ByteMap::multiByteCharacter() const
{
    const text::CodePageChar ch = text::codePageCharAt(m_bytes, m_byte);
    return {ch.bytes, ch.units};
}

void ByteMap::advanceToByte(int64_t byteOffset)
{
    // Stops on the character that holds byteOffset, or at the end of the text.
    jumpTowardByte(byteOffset);
    skipSoftBreaks();
    if (byteOffset > int64_t(m_byte))
        skipAscii(std::size_t(byteOffset));
    while (m_byte < m_bytes.size()) {
        const Step ch = currentCharacter();
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
    jumpTowardPosition(position);
    skipSoftBreaks();
    if (position > m_position)
        skipAscii(m_byte + std::size_t(position - m_position));
    while (m_byte < m_bytes.size() && m_position < position) {
        const Step ch = currentCharacter();
        m_byte += ch.bytes;
        m_position += ch.units;
        skipSoftBreaks();
    }
    return static_cast<int64_t>(m_byte);
}
