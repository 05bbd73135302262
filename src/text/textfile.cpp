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

bool isAscii(std::string_view bytes)
{
    // No early exit: the loop over whole blocks is vectorised, and most files are read whole.
    unsigned char seen = 0;
    for (const char ch : bytes)
        seen |= static_cast<unsigned char>(ch);
    return seen < 0x80;
}

void noteLineEnds(std::vector<LineEnd> ends, Format &format)
{
    std::array<std::size_t, kLineEndKinds> counts{};
    for (const LineEnd end : ends)
        ++counts[std::size_t(end)];
    std::size_t usual = 0;
    for (std::size_t kind = 1; kind < kLineEndKinds; ++kind) {
        if (counts[kind] > counts[usual])
            usual = kind;
    }
    format.lineEnd = LineEnd(usual);
    if (counts[usual] != ends.size())
        format.mixedLineEnds = std::move(ends);
}

// The same as takeLineEnds for an ASCII text, in place: only CR and LF break lines there.
void takeAsciiLineEnds(std::string &text, Format &format)
{
    if (std::memchr(text.data(), '\r', text.size()) == nullptr) {
        format.lineEnd = LineEnd::Lf;
        return;
    }
    std::vector<LineEnd> ends;
    std::size_t write = 0;
    for (std::size_t read = 0; read < text.size(); ++read) {
        const char ch = text[read];
        if (ch == '\r') {
            const bool crLf = read + 1 < text.size() && text[read + 1] == '\n';
            read += crLf ? 1 : 0;
            ends.push_back(crLf ? LineEnd::CrLf : LineEnd::Cr);
            text[write++] = '\n';
        } else {
            if (ch == '\n')
                ends.push_back(LineEnd::Lf);
            text[write++] = ch;
        }
    }
    text.resize(write);
    noteLineEnds(std::move(ends), format);
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
    QString out(text.size(), Qt::Uninitialized);
    QChar *write = out.data();
    const QChar *read = text.constData();
    const QChar *const end = read + text.size();
    const auto lineBreak = [&](LineEnd kind) {
        ends.push_back(kind);
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
    noteLineEnds(std::move(ends), format);
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

// A decoded text before it goes into the code page.
struct Unicode
{
    DecodeStatus status = DecodeStatus::Decoded;
    QString text;
    Format format;
};

Unicode decodeMarked(QByteArrayView bytes)
{
    Unicode result;
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

Decoded decode(std::string bytes)
{
    Decoded result;
    const QByteArrayView view(bytes.data(), qsizetype(bytes.size()));
    Unicode unicode;
    if (view.startsWith(kUtf8Mark) || view.startsWith(kUtf16LEMark) ||
        view.startsWith(kUtf16BEMark)) {
        unicode = decodeMarked(view);
    } else if (std::memchr(bytes.data(), 0, bytes.size()) != nullptr) {
        unicode.status = DecodeStatus::ZeroBytes;
    } else if (isAscii(bytes)) {
        // The same bytes in the code page: no converter, no copy.
        takeAsciiLineEnds(bytes, result.format);
        result.text = std::move(bytes);
        return result;
    } else {
        bool failed = false;
        unicode.text = decodeWith(decoderFor(QStringConverter::Utf8), view, failed);
        if (failed) {
            // Decoded again as the code page, the bytes come back the same when written out.
            unicode.format.encoding = Encoding::Gb18030;
            unicode.text = decodeWith(QStringDecoder("GB18030", QStringConverter::Flag::Stateless),
                                      view, failed);
            if (failed)
                unicode.status = DecodeStatus::InvalidGb18030;
        }
    }
    result.status = unicode.status;
    result.format = std::move(unicode.format);
    if (result.status == DecodeStatus::Decoded) {
        takeLineEnds(unicode.text, result.format);
        result.text = text::toCodePage(unicode.text);
    }
    return result;
}

QByteArray encode(std::string_view text, const Format &format)
{
    const QString written = withLineEnds(text::fromCodePage(text), format);
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
    // Read straight into the string the pane gets; a file that reports no size (as those of
    // /proc do) is read in steps until its end.
    std::string bytes(std::size_t(result.size > 0 ? result.size : 64 * 1024), '\0');
    std::size_t total = 0;
    for (;;) {
        if (total == bytes.size()) {
            // Full: one byte more tells whether the file goes on, without growing the string.
            char next = 0;
            const qint64 more = file.read(&next, 1);
            if (more <= 0) {
                if (more < 0) {
                    result.status = ReadStatus::Unreadable;
                    result.reason = file.errorString();
                    return result;
                }
                break;
            }
            bytes.resize(2 * bytes.size());
            bytes[total++] = next;
        }
        const qint64 got = file.read(bytes.data() + total, qint64(bytes.size() - total));
        if (got < 0) {
            result.status = ReadStatus::Unreadable;
            result.reason = file.errorString();
            return result;
        }
        if (got == 0)
            break;
        total += std::size_t(got);
        if (qint64(total) > kLargestFileBytes)
            break;
    }
    bytes.resize(total);
    result.size = qint64(total);
    if (result.size > kLargestFileBytes) {
        result.status = ReadStatus::TooLarge; // it grew since it was looked at
        return result;
    }
    result.decoded = decode(std::move(bytes));
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
