#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "../testing/filepermissions.h"
#include "text/codepage.h"
#include "text/textfile.h"

using textfile::DecodeStatus;
using textfile::Encoding;
using textfile::LineEnd;
using textfile::ReadStatus;
using textfile::WriteStatus;

Q_DECLARE_METATYPE(textfile::Encoding)
Q_DECLARE_METATYPE(textfile::DecodeStatus)
Q_DECLARE_METATYPE(textfile::LineEnd)
Q_DECLARE_METATYPE(textfile::ReadStatus)
Q_DECLARE_METATYPE(textfile::WriteStatus)

namespace {

QByteArray bytes(const char *text, qsizetype size)
{
    return QByteArray(text, size);
}

// A text with an emoji, a Korean syllable and a rare Han character (four bytes each in
// GB18030), in three lines joined by the placeholders A and B.
const QString kLines = QStringLiteral("中文 abc😀A한국B𠀀 end");

QString joined(QStringView first, QStringView second)
{
    QString text = kLines;
    text.replace(u'A', first.toString());
    text.replace(u'B', second.toString());
    return text;
}

// The file bytes of a text in an encoding, made without the module under test.
QByteArray fileBytes(const QString &text, Encoding encoding, bool mark)
{
    QByteArray out;
    switch (encoding) {
    case Encoding::Utf8:
        out = (mark ? QByteArray("\xEF\xBB\xBF") : QByteArray()) + text.toUtf8();
        break;
    case Encoding::Utf16LE:
    case Encoding::Utf16BE: {
        const bool little = encoding == Encoding::Utf16LE;
        out = little ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
        for (QChar ch : text) {
            const char low = char(ch.unicode() & 0xFF);
            const char high = char(ch.unicode() >> 8);
            out += little ? low : high;
            out += little ? high : low;
        }
        break;
    }
    case Encoding::Gb18030: {
        // 中文 is D6D0 CEC4; the emoji, the Korean syllables and the Han character take four
        // bytes each.
        out = text.toUtf8();
        out.replace("中文", "\xD6\xD0\xCE\xC4");
        out.replace("😀", "\x94\x39\xFC\x36");
        out.replace("한국", "\x83\x36\x84\x33\x82\x37\xF4\x30");
        out.replace("𠀀", "\x95\x32\x82\x36");
        out.replace("\u2028", "\x81\x36\xA6\x35");
        break;
    }
    }
    return out;
}

// Ends writes past a size, as a full disk does.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
};

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

void writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(contents), contents.size());
}

} // namespace

class TestTextFile : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void readsAndWritesBackByteForByte_data();
    void readsAndWritesBackByteForByte();
    void changedTextKeepsFileLineEnds_data();
    void changedTextKeepsFileLineEnds();
    void refusesWhatIsNotText_data();
    void refusesWhatIsNotText();
    void readFailures_data();
    void readFailures();
    void writeFailuresKeepOldFile_data();
    void writeFailuresKeepOldFile();
    void newTextIsUtf8WithLf();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestTextFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestTextFile::readsAndWritesBackByteForByte_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("text"); // as the pane gets it
    QTest::addColumn<Encoding>("encoding");
    QTest::addColumn<bool>("mark");

    struct Kind
    {
        const char *name;
        Encoding encoding;
        bool mark;
    };
    const Kind kinds[] = {{"UTF-8", Encoding::Utf8, false},
                          {"UTF-8 with mark", Encoding::Utf8, true},
                          {"UTF-16 LE", Encoding::Utf16LE, true},
                          {"UTF-16 BE", Encoding::Utf16BE, true},
                          {"GB18030", Encoding::Gb18030, false}};
    struct Ends
    {
        const char *name;
        QStringView first;
        QStringView second;
    };
    const Ends ends[] = {{"LF", u"\n", u"\n"},
                         {"CRLF", u"\r\n", u"\r\n"},
                         {"CR", u"\r", u"\r"},
                         {"CRLF then LF", u"\r\n", u"\n"},
                         {"CR then CRLF", u"\r", u"\r\n"},
                         {"two CRs", u"\r\r", u"\n"},
                         {"line separator", u"\u2028", u"\n"},
                         {"no break", u" ", u" "}};
    for (const Kind &kind : kinds) {
        for (const Ends &end : ends) {
            const QString file = joined(end.first, end.second);
            QString text = file;
            text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            text.replace(u'\r', u'\n');
            text.replace(QChar::LineSeparator, u'\n');
            QTest::addRow("%s, %s", kind.name, end.name)
                << fileBytes(file, kind.encoding, kind.mark) << text << kind.encoding << kind.mark;
        }
    }
    QTest::newRow("empty file") << QByteArray() << QString() << Encoding::Utf8 << false;
    QTest::newRow("mark alone") << QByteArray("\xEF\xBB\xBF") << QString() << Encoding::Utf8
                                << true;
    QTest::newRow("UTF-16 mark alone")
        << QByteArray("\xFF\xFE") << QString() << Encoding::Utf16LE << true;
    QTest::newRow("zero-width space after the mark")
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFx") << QStringLiteral("\uFEFFx") << Encoding::Utf8
        << true;
    QTest::newRow("break at the end, CRLF")
        << QByteArray("a\r\nb\r\n") << QStringLiteral("a\nb\n") << Encoding::Utf8 << false;
    QTest::newRow("only breaks, CR")
        << QByteArray("\r\r\r") << QStringLiteral("\n\n\n") << Encoding::Utf8 << false;
    QTest::newRow("valid in both: UTF-8 wins")
        << QByteArray("\xC3\xA9t\xC3\xA9") << QStringLiteral("été") << Encoding::Utf8 << false;
    QTest::newRow("GB18030 with a lead byte before ASCII")
        << QByteArray("\xB0\xA1x\xB0\xA1") << QStringLiteral("啊x啊") << Encoding::Gb18030 << false;
}

void TestTextFile::readsAndWritesBackByteForByte()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, text);
    QFETCH(Encoding, encoding);
    QFETCH(bool, mark);

    const QString path = m_dir->filePath(QStringLiteral("in.txt"));
    writeFile(path, file);
    const textfile::ReadResult read = textfile::read(path);
    QCOMPARE(read.status, ReadStatus::Read);
    QCOMPARE(text::fromCodePage(read.decoded.text), text);
    QCOMPARE(read.decoded.format.encoding, encoding);
    QCOMPARE(read.decoded.format.byteOrderMark, mark);

    const QString copy = m_dir->filePath(QStringLiteral("copy.txt"));
    const textfile::WriteResult written =
        textfile::write(copy, textfile::encode(read.decoded.text, read.decoded.format));
    QCOMPARE(written.status, WriteStatus::Written);
    QCOMPARE(contentsOf(copy), file);
}

void TestTextFile::changedTextKeepsFileLineEnds_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("changed");
    QTest::addColumn<QByteArray>("written");

    QTest::newRow("CRLF file, a line added")
        << QByteArray("a\r\nb") << QStringLiteral("a\nx\nb") << QByteArray("a\r\nx\r\nb");
    QTest::newRow("CR file, every line changed")
        << QByteArray("a\rb\r") << QStringLiteral("cc\ndd\n") << QByteArray("cc\rdd\r");
    QTest::newRow("mixed, same number of lines: each keeps its end")
        << QByteArray("a\r\nb\nc\rd") << QStringLiteral("A\nB\nC\nD") << QByteArray("A\r\nB\nC\rD");
    QTest::newRow("mixed, a line more: the usual end for all")
        << QByteArray("a\r\nb\r\nc\nd") << QStringLiteral("a\nb\nc\nd\ne")
        << QByteArray("a\r\nb\r\nc\r\nd\r\ne");
    QTest::newRow("mixed, all lines joined")
        << QByteArray("a\r\nb\nc") << QStringLiteral("abc") << QByteArray("abc");
    QTest::newRow("GB18030 CRLF, text replaced")
        << QByteArray("\xD6\xD0\r\n\xCE\xC4") << QStringLiteral("文\n中😀")
        << QByteArray("\xCE\xC4\r\n\xD6\xD0\x94\x39\xFC\x36");
    QTest::newRow("UTF-16 BE CRLF, a line added")
        << bytes("\xFE\xFF\0a\0\r\0\n\0b", 10) << QStringLiteral("a\nb\nc")
        << bytes("\xFE\xFF\0a\0\r\0\n\0b\0\r\0\n\0c", 16);
}

void TestTextFile::changedTextKeepsFileLineEnds()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, changed);
    QFETCH(QByteArray, written);

    const textfile::Decoded decoded = textfile::decode(file.toStdString());
    QCOMPARE(decoded.status, DecodeStatus::Decoded);
    QCOMPARE(textfile::encode(text::toCodePage(changed), decoded.format), written);
}

void TestTextFile::refusesWhatIsNotText_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<DecodeStatus>("status");

    QTest::newRow("a zero byte") << bytes("ab\0cd", 5) << DecodeStatus::ZeroBytes;
    QTest::newRow("zero byte first") << bytes("\0abc", 4) << DecodeStatus::ZeroBytes;
    QTest::newRow("UTF-16 without a mark") << bytes("a\0b\0", 4) << DecodeStatus::ZeroBytes;
    QTest::newRow("binary header")
        << bytes("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16) << DecodeStatus::ZeroBytes;
    QTest::newRow("UTF-16 zero character") << bytes("\xFF\xFE"
                                                    "a\0\0\0",
                                                    6)
                                           << DecodeStatus::ZeroBytes;
    QTest::newRow("UTF-16 odd length") << bytes("\xFF\xFE"
                                                "a\0b",
                                                5)
                                       << DecodeStatus::InvalidUtf16;
    QTest::newRow("UTF-16 lone high surrogate") << bytes("\xFF\xFE\x3D\xD8"
                                                         "a\0",
                                                         6)
                                                << DecodeStatus::InvalidUtf16;
    QTest::newRow("UTF-16 lone low surrogate at the end")
        << bytes("\xFE\xFF\0a\xDC\x00", 6) << DecodeStatus::InvalidUtf16;
    QTest::newRow("UTF-8 mark, broken sequence") << QByteArray("\xEF\xBB\xBF"
                                                               "ab\xC3(")
                                                 << DecodeStatus::InvalidUtf8;
    QTest::newRow("lead byte at the end") << QByteArray("abc\xB0") << DecodeStatus::InvalidGb18030;
    QTest::newRow("byte 0xFF") << QByteArray("a\xFF"
                                             "b")
                               << DecodeStatus::InvalidGb18030;
    QTest::newRow("byte 0x80") << QByteArray("a\x80"
                                             "b")
                               << DecodeStatus::InvalidGb18030;
}

void TestTextFile::refusesWhatIsNotText()
{
    QFETCH(QByteArray, file);
    QFETCH(DecodeStatus, status);

    const textfile::Decoded decoded = textfile::decode(file.toStdString());
    QCOMPARE(decoded.status, status);
    QVERIFY(decoded.text.empty());

    const QString path = m_dir->filePath(QStringLiteral("in.bin"));
    writeFile(path, file);
    const textfile::ReadResult read = textfile::read(path);
    QCOMPARE(read.status, ReadStatus::NotText);
    QCOMPARE(read.decoded.status, status);
}

void TestTextFile::readFailures_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<ReadStatus>("status");

    QTest::newRow("missing") << "missing" << ReadStatus::Missing;
    QTest::newRow("missing folder") << "missing folder" << ReadStatus::Missing;
    QTest::newRow("folder") << "folder" << ReadStatus::Directory;
    QTest::newRow("pipe") << "pipe" << ReadStatus::NotRegularFile;
    QTest::newRow("device") << "device" << ReadStatus::NotRegularFile;
    QTest::newRow("one byte over the limit") << "too large" << ReadStatus::TooLarge;
    QTest::newRow("no read permission") << "no permission" << ReadStatus::Unreadable;
    QTest::newRow("read error") << "read error" << ReadStatus::Unreadable;
}

void TestTextFile::readFailures()
{
    QFETCH(QString, kind);
    QFETCH(ReadStatus, status);

    QString path = m_dir->filePath(QStringLiteral("file.txt"));
    if (kind == QLatin1String("missing folder")) {
        path = m_dir->filePath(QStringLiteral("nowhere/file.txt"));
    } else if (kind == QLatin1String("folder")) {
        path = m_dir->path();
    } else if (kind == QLatin1String("pipe")) {
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == QLatin1String("device")) {
        path = QStringLiteral("/dev/zero");
    } else if (kind == QLatin1String("too large")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(textfile::kLargestFileBytes + 1)); // sparse: takes no disk
    } else if (kind == QLatin1String("no permission")) {
        writeFile(path, "text");
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    } else if (kind == QLatin1String("read error")) {
        path = QStringLiteral("/proc/self/mem"); // its first page is not mapped
    }

    const testing::FilePermissionsApply permissions;
    const textfile::ReadResult read = textfile::read(path);
    QCOMPARE(read.status, status);
    QVERIFY(read.decoded.text.empty());
    if (status == ReadStatus::Unreadable)
        QVERIFY(!read.reason.isEmpty());
    if (status == ReadStatus::TooLarge)
        QCOMPARE(read.size, textfile::kLargestFileBytes + 1);
}

void TestTextFile::writeFailuresKeepOldFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<WriteStatus>("status");

    QTest::newRow("read-only folder") << "read-only folder" << WriteStatus::CannotCreate;
    QTest::newRow("missing folder") << "missing folder" << WriteStatus::CannotCreate;
    QTest::newRow("path is a folder") << "folder" << WriteStatus::Directory;
    QTest::newRow("disk full") << "disk full" << WriteStatus::WriteFailed;
}

void TestTextFile::writeFailuresKeepOldFile()
{
    QFETCH(QString, kind);
    QFETCH(WriteStatus, status);

    const QString folder = m_dir->filePath(QStringLiteral("folder"));
    QVERIFY(QDir().mkdir(folder));
    QString path = folder + QStringLiteral("/file.txt");
    const QByteArray old("old contents\n");
    writeFile(path, old);
    const QByteArray text(64 * 1024, 'x');

    textfile::WriteResult result;
    if (kind == QLatin1String("read-only folder")) {
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const testing::FilePermissionsApply permissions;
        result = textfile::write(path, text);
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner));
    } else if (kind == QLatin1String("missing folder")) {
        result = textfile::write(m_dir->filePath(QStringLiteral("nowhere/file.txt")), text);
    } else if (kind == QLatin1String("folder")) {
        result = textfile::write(folder, text);
    } else if (kind == QLatin1String("disk full")) {
        const FileSizeLimit limit(4096);
        result = textfile::write(path, text);
    }
    QCOMPARE(result.status, status);
    if (status != WriteStatus::Directory)
        QVERIFY(!result.reason.isEmpty());
    QCOMPARE(contentsOf(path), old);
    // Nothing half-written is left beside it.
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"file.txt"});
}

void TestTextFile::newTextIsUtf8WithLf()
{
    const textfile::Format fresh;
    QCOMPARE(textfile::encode(text::toCodePage(u"中\n😀"), fresh),
             QByteArray("\xE4\xB8\xAD\n\xF0\x9F\x98\x80"));
}

QTEST_APPLESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
