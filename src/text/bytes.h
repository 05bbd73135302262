#pragma once

// Byte-string routines the commands are built from. A text is the bytes before its first zero
// byte (a string_view holding a zero byte is cut there); the empty string is the missing text.
// Positions are 1-based byte positions and counts are byte counts. Where characters matter, a
// byte in 0x80-0xFF is the first byte of a two-byte character, and a first byte followed
// directly by the terminating zero ends the text. Texts are shorter than 2 GiB. No routine
// fails, keeps state or looks at the locale.

#include <cstdint>
#include <string>
#include <string_view>

namespace text {

// The number of bytes before the terminating zero.
int32_t ByteLength(std::string_view text);

// A copy of count bytes from position start; empty when start is below 1 or past the end, or
// when count is not positive. The count is cut down to what the text holds.
std::string MidBytes(std::string_view text, int32_t start, int32_t count);

// The position of the first match of search at or after start, stepping over two-byte
// characters as counted from start; -1 when there is none. An empty search matches at 1 when
// anything is left to search, whatever the start. With ignoreCase, ASCII capitals fold to small
// letters, byte by byte, second bytes of characters included. Linear in the searched bytes.
int32_t FindBytes(std::string_view text, std::string_view search, int32_t start, bool ignoreCase);

// The text with count bytes from position start replaced by replacement; start and count are
// clamped into the text, so a start past the end appends and a negative count inserts.
std::string ReplaceBytes(std::string_view text, int32_t start, int32_t count,
                         std::string_view replacement);

// -1, 0 or 1 as left sorts before, equal to or after right, bytes read as unsigned.
int CompareBytes(std::string_view left, std::string_view right);

// The text with the GBK full-width ASCII forms, the ideographic space, the full-width tilde and
// the two stars folded to their ASCII counterparts (fixed GBK byte values); other characters
// are kept as they are.
std::string FoldFullWidth(std::string_view text);

// The decimal number at the start of the text after FoldFullWidth, independent of the locale:
// white space, a sign, digits with at most one point, and an exponent marked e, E, d or D when
// digits follow it. 0 when there is none; infinity or 0 beyond the range of a double.
double ParseNumber(std::string_view text);

} // namespace text
