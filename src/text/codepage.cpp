#include "text/codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include "text/bytes.h"

namespace text {

namespace {

constexpr const char *kCodePageName = "GB18030";

bool isAscii(std::string_view bytes)
{
    for (char ch : bytes) {
        if (static_cast<unsigned char>(ch) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

bool codePageAvailable()
{
    return QStringEncoder(kCodePageName).isValid() && QStringDecoder(kCodePageName).isValid();
}

std::string toCodePage(QStringView text)
{
    // Plain ASCII is the same in the code page; skipping the converter keeps large texts fast.
    // The bytes are narrowed while the text is checked, in one pass without an early exit, which
    // the compiler vectorises.
    std::string out(std::size_t(text.size()), '\0');
    const char16_t *const units = text.utf16();
    char16_t seen = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        seen |= units[i];
        out[std::size_t(i)] = static_cast<char>(units[i]);
    }
    if (seen < 0x80)
        return out;
    QStringEncoder encoder(kCodePageName);
    const QByteArray bytes = encoder.encode(text);
    return std::string(bytes.constData(), bytes.size());
}

QString fromCodePage(std::string_view bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QStringDecoder decoder(kCodePageName);
    return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

CodePageChar codePageCharAt(std::string_view bytes, std::size_t offset)
{
    const auto lead = offset < bytes.size() ? static_cast<unsigned char>(bytes[offset]) : 0u;
    const int32_t length = CharacterLengthAt(bytes, offset);
    // The converter reads 0x80 and 0xFF, which begin no character of the code page, as single
    // bytes, and so does it read a first byte at the very end.
    if (length == 1 || lead == 0x80 || lead == 0xFF || offset + 1 >= bytes.size())
        return {1, 1};
    if (length == 4 && offset + 3 < bytes.size()) {
        // Four-byte sequences from lead 0x90 on encode the characters beyond the BMP, which a
        // QString holds as a surrogate pair.
        return {4, lead >= 0x90 ? 2 : 1};
    }
    return {2, 1};
}

} // namespace text
