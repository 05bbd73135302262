#pragma once

// Conversion between the controls' Unicode text and the byte texts the commands work on. The
// code page is GB18030: it encodes every Unicode character, so a text that goes out of a
// control and back in is unchanged.

#include <string>
#include <string_view>

#include <QString>

namespace text {

// Whether the code page converter is available (it comes from the platform's ICU data).
bool codePageAvailable();

std::string toCodePage(QStringView text);
QString fromCodePage(std::string_view bytes);

// The number of bytes of the code-page character that starts with these bytes (1, 2 or 4),
// and how many UTF-16 units that character takes in a QString (1 or 2).
struct CodePageChar
{
    int bytes;
    int units;
};
CodePageChar codePageCharAt(std::string_view bytes, std::size_t offset);

} // namespace text
