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
    const textfile::Decoded decoded = textfile::decode(file);
    if (decoded.status != textfile::DecodeStatus::Decoded)
        return 0;
    check(!decoded.text.contains(u'\r'));
    const QString held = text::fromCodePage(text::toCodePage(decoded.text));
    check(held == decoded.text);
    check(QByteArrayView(textfile::encode(held, decoded.format)) == file);
    return 0;
}
