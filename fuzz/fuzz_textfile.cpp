// Decodes fuzzed file contents and traps unless every file that is taken as text comes back byte
// for byte: through the code page, as a pane holds it, and written out again in the format it
// was read with.

#include <cstddef>
#include <cstdint>
#include <string>

#include <QByteArray>
#include <QByteArrayView>

#include "text/codepage.h"
#include "text/textfile.h"

namespace {

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size)
{
    const QByteArrayView file(reinterpret_cast<const char *>(data), qsizetype(size));
    const textfile::Decoded decoded =
        textfile::decode(std::string(reinterpret_cast<const char *>(data), size));
    if (decoded.status != textfile::DecodeStatus::Decoded)
        return 0;
    check(decoded.text.find('\r') == std::string::npos);
    check(text::toCodePage(text::fromCodePage(decoded.text)) == decoded.text);
    check(QByteArrayView(textfile::encode(decoded.text, decoded.format)) == file);
    return 0;
}
