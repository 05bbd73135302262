#pragma once

// Byte-string routines the commands are built from. A text is the bytes before its first zero
// byte (a string_view holding a zero byte is cut there); the empty string is the missing text.
// Positions are 1-based byte positions and counts are byte counts. Where characters matter,
// CharacterLength tells how many bytes a character takes, and a character cut short by the
// terminating zero ends the text. Texts are shorter than 2 GiB. No routine fails, keeps state or
// looks at the locale.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace text {

// The number of bytes of the character that begins with the bytes first and second (second is
// 0 at the end of the text): 4 when first lies in 0x81-0xFE and second in 0x30-0x39 (a GB18030
// four-byte character), 2 for any other first byte in 0x80-0xFF, 1 below 0x80. Every walk over
// the characters of a text asks this, and nothing else, where a character ends.
constexpr int32_t CharacterLength(unsigned char first, unsigned char second)
{
    if (first < 0x80)
        return 1;
    const bool fourByteFirst = first >= 0x81 && first <= 0xFE;
    const bool fourByteSecond = second >= 0x30 && second <= 0x39;
    return fourByteFirst && fourByteSecond ? 4 : 2;
}

// CharacterLength of the character that begins at offset (0-based) of the text, the byte after
// the text's end read as 0. The count may reach past the end of the text.
inline int32_t CharacterLengthAt(std::string_view text, std::size_t offset)
{
    const auto byteAt = [text](std::size_t i) {
        return i < text.size() ? static_cast<unsigned char>(text[i])
                               : static_cast<unsigned char>(0);
    };
    return CharacterLength(byteAt(offset), byteAt(offset + 1));
}

// The number of bytes before the terminating zero.
int32_t ByteLength(std::string_view text);

// A copy of count bytes from position start; empty when start is below 1 or past the end, or
// when count is not positive. The count is cut down to what the text holds.
std::string MidBytes(std::string_view text, int32_t start, int32_t count);

// The position of the first match of search at or after start, stepping over whole characters
// as counted from start (the byte at start always begins one); -1 when there is none. An empty
// search matches at 1 when anything is left to search, whatever the start. With ignoreCase, ASCII
// capitals fold to small letters, byte by byte, second bytes of characters included. Linear in the
// searched bytes.
int32_t FindBytes(std::string_view text, std::string_view search, int32_t start, bool ignoreCase);

// The text with count bytes from position start replaced by replacement; start and count are
// clamped into the text, so a start past the end appends and a negative count inserts.
std::string ReplaceBytes(std::string_view text, int32_t start, int32_t count,
                         std::string_view replacement);

// -1, 0 or 1 as left sorts before, equal to or after right, bytes read as unsigned.
int CompareBytes(std::string_view left, std::string_view right);

// The text with the GBK full-width ASCII forms, the ideographic space, the full-width tilde and
// the two stars folded to their ASCII counterparts (fixed GBK byte values); other characters
// are kept as they are, and a character cut short by the end of the text ends it.
std::string FoldFullWidth(std::string_view text);

// The decimal number at the start of the text after FoldFullWidth, independent of the locale:
// white space, a sign, digits with at most one point, and an exponent marked e, E, d or D when
// digits follow it. 0 when there is none; infinity or 0 beyond the range of a double.
double ParseNumber(std::string_view text);

} // namespace text
