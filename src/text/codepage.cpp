#include "text/codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace text {

namespace {

constexpr const char *kCodePageName = "GB18030";

bool isAscii(QStringView text)
{
    for (QChar ch : text) {
        if (ch.unicode() >= 0x80)
            return false;
    }
    return true;
}

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
    if (isAscii(text)) {
        std::string out(text.size(), '\0');
        for (qsizetype i = 0; i < text.size(); ++i)
            out[i] = static_cast<char>(text[i].unicode());
        return out;
    }
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
    const auto byteAt = [&](std::size_t i) {
        return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0u;
    };
    const unsigned lead = byteAt(offset);
    if (lead < 0x81 || lead == 0xFF)
        return {1, 1};
    const unsigned second = byteAt(offset + 1);
    if (second >= 0x30 && second <= 0x39 && offset + 3 < bytes.size()) {
        // Four-byte sequences from lead 0x90 on encode the characters beyond the BMP, which a
        // QString holds as a surrogate pair.
        return {4, lead >= 0x90 ? 2 : 1};
    }
    if (offset + 1 < bytes.size())
        return {2, 1};
    return {1, 1};
}

} // namespace text
