#pragma once

// Texts read from files and written back. A file's bytes are decoded by these rules: a
// byte-order mark decides (UTF-8, UTF-16 LE, UTF-16 BE); otherwise bytes that are valid UTF-8
// are UTF-8; anything else is GB18030. The text comes out in the code page, as the panes take
// it, with every line break (CR LF, LF, CR, U+2028, U+2029) as "\n", the one line break a pane
// knows; the file's own line ends are remembered, with the encoding and the mark, so that
// writing the text back gives the file's bytes again. A plain ASCII file is the same in the code
// page and is handed on as it was read.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace textfile {

// Files larger than this are not read: a pane holding more would take seconds to lay out and
// several hundred megabytes of memory.
inline constexpr qint64 kLargestFileBytes = qint64(64) << 20;

enum class Encoding
{
    Utf8,
    Utf16LE,
    Utf16BE,
    Gb18030,
};

enum class LineEnd : unsigned char
{
    Lf,
    CrLf,
    Cr,
    LineSeparator,      // U+2028
    ParagraphSeparator, // U+2029
};

// How a text is written into its file. The default is a new text's: UTF-8 without a mark, LF.
struct Format
{
    Encoding encoding = Encoding::Utf8;
    bool byteOrderMark = false;
    // The line end most breaks of the file had.
    LineEnd lineEnd = LineEnd::Lf;
    // Each break's own line end, in order, when the file mixed several kinds; empty otherwise.
    std::vector<LineEnd> mixedLineEnds;

    friend bool operator==(const Format &, const Format &) = default;
};

enum class DecodeStatus
{
    Decoded,
    ZeroBytes,      // holds zero bytes (U+0000 in UTF-16): not a text
    InvalidUtf8,    // marked as UTF-8 but broken
    InvalidUtf16,   // marked as UTF-16 but broken: an odd byte count or a lone surrogate
    InvalidGb18030, // neither valid UTF-8 nor valid GB18030
};

struct Decoded
{
    DecodeStatus status = DecodeStatus::Decoded;
    std::string text; // in the code page, every line break as "\n"
    Format format;
};

Decoded decode(std::string bytes);

// The file bytes of a code-page text (line breaks as "\n") in the format. When the text has as many
// breaks as the format remembers mixed line ends, each break gets its own again; otherwise every
// break gets the format's usual line end.
QByteArray encode(std::string_view text, const Format &format);

enum class ReadStatus
{
    Read,
    Missing,
    Directory,
    NotRegularFile, // a device, a pipe, a socket
    Unreadable,     // could not be opened or read; reason says why
    TooLarge,       // larger than kLargestFileBytes
    NotText,        // decoded.status says why
};

struct ReadResult
{
    ReadStatus status = ReadStatus::Read;
    Decoded decoded;
    qint64 size = 0;
    QString reason; // the system's words, for Unreadable
};

ReadResult read(const QString &path);

enum class WriteStatus
{
    Written,
    Directory,    // the path names a folder
    CannotCreate, // the folder is missing, read-only or refuses a new file
    WriteFailed,  // writing or finishing the file failed, as on a full disk
};

struct WriteResult
{
    WriteStatus status = WriteStatus::Written;
    QString reason; // the system's words
};

// Writes the bytes through a temporary file that replaces the file only once it is complete,
// so that a failure leaves the old file as it was.
WriteResult write(const QString &path, QByteArrayView bytes);

} // namespace textfile
