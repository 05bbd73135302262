#include "text/textfile.h"

#include <array>
#include <cstring>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include "text/codepage.h"

namespace textfile {

namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr char kUtf16LEMark[] = "\xFF\xFE";
constexpr char kUtf16BEMark[] = "\xFE\xFF";

constexpr std::size_t kLineEndKinds = 5;

QString decodeWith(QStringDecoder &&decoder, QByteArrayView bytes, bool &failed)
{
    QString text = decoder.decode(bytes);
    failed = decoder.hasError();
    return text;
}

// A mark at the start is taken off by hand; the converters are told to keep any further one,
// which is a character of the text.
QStringDecoder decoderFor(QStringConverter::Encoding encoding)
{
    return QStringDecoder(encoding, QStringConverter::Flag::Stateless |
                                        QStringConverter::Flag::ConvertInitialBom);
}

bool hasLoneSurrogate(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (ch.isSurrogate())
            return true;
    }
    return false;
}

// Turns every line break into "\n" and notes which line ends the text had.
void takeLineEnds(QString &text, Format &format)
{
    const bool onlyLf = !text.contains(u'\r') && !text.contains(QChar::LineSeparator) &&
                        !text.contains(QChar::ParagraphSeparator);
    if (onlyLf) {
        format.lineEnd = LineEnd::Lf;
        return;
    }
    std::vector<LineEnd> ends;
    std::array<qsizetype, kLineEndKinds> counts{};
    QString out(text.size(), Qt::Uninitialized);
    QChar *write = out.data();
    const QChar *read = text.constData();
    const QChar *const end = read + text.size();
    const auto lineBreak = [&](LineEnd kind) {
        ends.push_back(kind);
        ++counts[std::size_t(kind)];
        *write++ = u'\n';
    };
    for (; read < end; ++read) {
        switch (read->unicode()) {
        case u'\r':
            if (read + 1 < end && read[1] == u'\n') {
                ++read;
                lineBreak(LineEnd::CrLf);
            } else {
                lineBreak(LineEnd::Cr);
            }
            break;
        case u'\n':
            lineBreak(LineEnd::Lf);
            break;
        case QChar::LineSeparator:
            lineBreak(LineEnd::LineSeparator);
            break;
        case QChar::ParagraphSeparator:
            lineBreak(LineEnd::ParagraphSeparator);
            break;
        default:
            *write++ = *read;
        }
    }
    out.truncate(write - out.constData());
    text = std::move(out);

    std::size_t usual = 0;
    for (std::size_t kind = 1; kind < kLineEndKinds; ++kind) {
        if (counts[kind] > counts[usual])
            usual = kind;
    }
    format.lineEnd = LineEnd(usual);
    if (counts[usual] != qsizetype(ends.size()))
        format.mixedLineEnds = std::move(ends);
}

QStringView lineEndText(LineEnd kind)
{
    switch (kind) {
    case LineEnd::Lf:
        return u"\n";
    case LineEnd::CrLf:
        return u"\r\n";
    case LineEnd::Cr:
        return u"\r";
    case LineEnd::LineSeparator:
        return u"\u2028";
    case LineEnd::ParagraphSeparator:
        return u"\u2029";
    }
    return u"\n";
}

QString withLineEnds(QStringView text, const Format &format)
{
    if (format.lineEnd == LineEnd::Lf && format.mixedLineEnds.empty())
        return text.toString();
    const qsizetype breaks = text.count(u'\n');
    const bool ownEnds =
        !format.mixedLineEnds.empty() && qsizetype(format.mixedLineEnds.size()) == breaks;
    QString out;
    out.reserve(text.size() + breaks);
    qsizetype lineStart = 0;
    std::size_t breakIndex = 0;
    for (qsizetype i = text.indexOf(u'\n'); i >= 0; i = text.indexOf(u'\n', lineStart)) {
        out += text.sliced(lineStart, i - lineStart);
        out += lineEndText(ownEnds ? format.mixedLineEnds[breakIndex] : format.lineEnd);
        ++breakIndex;
        lineStart = i + 1;
    }
    out += text.sliced(lineStart);
    return out;
}

Decoded decodeMarked(QByteArrayView bytes)
{
    Decoded result;
    bool failed = false;
    if (bytes.startsWith(kUtf8Mark)) {
        result.format.encoding = Encoding::Utf8;
        result.text = decodeWith(decoderFor(QStringConverter::Utf8), bytes.sliced(3), failed);
        if (failed)
            result.status = DecodeStatus::InvalidUtf8;
    } else {
        const bool little = bytes.startsWith(kUtf16LEMark);
        result.format.encoding = little ? Encoding::Utf16LE : Encoding::Utf16BE;
        result.text =
            decodeWith(decoderFor(little ? QStringConverter::Utf16LE : QStringConverter::Utf16BE),
                       bytes.sliced(2), failed);
        if (failed || bytes.size() % 2 != 0 || hasLoneSurrogate(result.text))
            result.status = DecodeStatus::InvalidUtf16;
        else if (result.text.contains(QChar(0)))
            result.status = DecodeStatus::ZeroBytes;
    }
    result.format.byteOrderMark = true;
    return result;
}

} // namespace

Decoded decode(QByteArrayView bytes)
{
    Decoded result;
    if (bytes.startsWith(kUtf8Mark) || bytes.startsWith(kUtf16LEMark) ||
        bytes.startsWith(kUtf16BEMark)) {
        result = decodeMarked(bytes);
    } else if (std::memchr(bytes.data(), 0, std::size_t(bytes.size())) != nullptr) {
        result.status = DecodeStatus::ZeroBytes;
    } else {
        bool failed = false;
        result.text = decodeWith(decoderFor(QStringConverter::Utf8), bytes, failed);
        if (failed) {
            // Decoded again as the code page, the bytes come back the same when written out.
            result.format.encoding = Encoding::Gb18030;
            result.text = decodeWith(QStringDecoder("GB18030", QStringConverter::Flag::Stateless),
                                     bytes, failed);
            if (failed)
                result.status = DecodeStatus::InvalidGb18030;
        }
    }
    if (result.status != DecodeStatus::Decoded) {
        result.text.clear();
        return result;
    }
    takeLineEnds(result.text, result.format);
    return result;
}

QByteArray encode(QStringView text, const Format &format)
{
    const QString written = withLineEnds(text, format);
    QByteArray out;
    switch (format.encoding) {
    case Encoding::Utf8:
        out = written.toUtf8();
        if (format.byteOrderMark)
            out.prepend(kUtf8Mark);
        break;
    case Encoding::Utf16LE:
    case Encoding::Utf16BE: {
        const bool little = format.encoding == Encoding::Utf16LE;
        QStringEncoder encoder(little ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        out = encoder.encode(written);
        if (format.byteOrderMark)
            out.prepend(little ? kUtf16LEMark : kUtf16BEMark);
        break;
    }
    case Encoding::Gb18030: {
        const std::string bytes = text::toCodePage(written);
        out = QByteArray(bytes.data(), qsizetype(bytes.size()));
        break;
    }
    }
    return out;
}

ReadResult read(const QString &path)
{
    ReadResult result;
    const QFileInfo info(path);
    if (!info.exists()) {
        result.status = ReadStatus::Missing;
        return result;
    }
    if (info.isDir()) {
        result.status = ReadStatus::Directory;
        return result;
    }
    if (!info.isFile()) {
        result.status = ReadStatus::NotRegularFile;
        return result;
    }
    result.size = info.size();
    if (result.size > kLargestFileBytes) {
        result.status = ReadStatus::TooLarge;
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.status = ReadStatus::Unreadable;
        result.reason = file.errorString();
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.status = ReadStatus::Unreadable;
        result.reason = file.errorString();
        return result;
    }
    result.size = bytes.size();
    if (result.size > kLargestFileBytes) {
        result.status = ReadStatus::TooLarge; // it grew since it was looked at
        return result;
    }
    result.decoded = decode(bytes);
    if (result.decoded.status != DecodeStatus::Decoded)
        result.status = ReadStatus::NotText;
    return result;
}

WriteResult write(const QString &path, QByteArrayView bytes)
{
    WriteResult result;
    if (QFileInfo(path).isDir()) {
        result.status = WriteStatus::Directory;
        return result;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        result.status = WriteStatus::CannotCreate;
        result.reason = file.errorString();
        return result;
    }
    // Without commit() the temporary file is thrown away and the old file stays.
    if (file.write(bytes.data(), bytes.size()) != bytes.size() || !file.commit()) {
        result.status = WriteStatus::WriteFailed;
        result.reason = file.errorString();
    }
    return result;
}

} // namespace textfile
