#include <memory>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include "../testing/filepermissions.h"
#include "commands/filecommands.h"
#include "commands/replaceall.h"
#include "panes/inputs.h"
#include "panes/richedit.h"
#include "text/codepage.h"

namespace {

// Answers the dialogs with the paths it was given and notes every message.
class FakeFileUser : public commands::FileUser
{
public:
    QString fileToOpen(const QString &startPath) override
    {
        askedFrom = startPath;
        return openAnswer;
    }
    QString fileToSave(const QString &suggestedPath) override
    {
        askedFrom = suggestedPath;
        return saveAnswer;
    }
    void fileProblem(const QString &message) override { messages << message; }

    QString openAnswer;
    QString saveAnswer;
    QString askedFrom;
    QStringList messages;
};

class FixedText : public TextInput
{
public:
    explicit FixedText(const QString &text) : m_text(text::toCodePage(text)) {}
    std::string content() const override { return m_text; }

private:
    std::string m_text;
};

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

bool writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

QString paneText(const RichEdit &pane)
{
    return text::fromCodePage(pane.context());
}

// A long text of CRLF lines with four-byte characters, past the length from which the pane
// groups its lines into paragraphs.
QByteArray longCrLfFile()
{
    QByteArray file;
    for (int line = 0; file.size() < 600 * 1024; ++line)
        file += "line " + QByteArray::number(line) + " \xF0\x9F\x98\x80 \xED\x95\x9C text\r\n";
    return file;
}

} // namespace

class TestFileCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void loadsAndSavesByteForByte_data();
    void loadsAndSavesByteForByte();
    void loadIsOneUndoStep();
    void badInputLeavesPaneAsItWas_data();
    void badInputLeavesPaneAsItWas();
    void failedSaveKeepsFileAndSays_data();
    void failedSaveKeepsFileAndSays();
    void replaceAllThenSaveKeepsEncodingAndLineEnds();
    void pastedTextSavesAsUtf8();
    void cancelledDialogsDoNothing();
    void dialogsStartAtThePaneFile();

private:
    QString path(const char *name) const { return m_dir->filePath(QString::fromUtf8(name)); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RichEdit> m_pane;
    commands::PaneFile m_file;
    FakeFileUser m_user;
};

void TestFileCommands::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_pane = std::make_unique<RichEdit>();
    m_pane->resize(355, 216);
    m_pane->show();
    m_file = {};
    m_user = FakeFileUser();
}

void TestFileCommands::cleanup()
{
    m_pane.reset();
    m_dir.reset();
}

void TestFileCommands::loadsAndSavesByteForByte_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("text");

    QTest::newRow("UTF-8, LF") << QByteArray("ab\n中文\n") << QStringLiteral("ab\n中文\n");
    QTest::newRow("UTF-8 with mark, CRLF") << QByteArray("\xEF\xBB\xBF"
                                                         "a\r\n\xF0\x9F\x98\x80")
                                           << QStringLiteral("a\n😀");
    QTest::newRow("UTF-16 LE, CR") << QByteArray("\xFF\xFE"
                                                 "a\0\r\0b\0",
                                                 8)
                                   << QStringLiteral("a\nb");
    QTest::newRow("UTF-16 BE, mixed")
        << QByteArray("\xFE\xFF\0a\0\r\0\n\0b\0\n\0c", 14) << QStringLiteral("a\nb\nc");
    QTest::newRow("GB18030, CRLF, four-byte characters")
        << QByteArray("\xD6\xD0\r\n\x94\x39\xFC\x36\x83\x36\x84\x33\r\n\x95\x32\x82\x36")
        << QStringLiteral("中\n😀한\n𠀀");
    QTest::newRow("GB18030, CR then CRLF")
        << QByteArray("\xB0\xA1\r\r\n\xB0\xA1") << QStringLiteral("啊\n\n啊");
    QTest::newRow("blank lines, CRLF") << QByteArray("\r\n\r\n\r\n") << QStringLiteral("\n\n\n");
    QTest::newRow("tab and form feed kept") << QByteArray("a\tb\fc") << QStringLiteral("a\tb\fc");
    const QByteArray longFile = longCrLfFile();
    QString longText = QString::fromUtf8(longFile);
    longText.remove(u'\r');
    QTest::newRow("long text, CRLF") << longFile << longText;
}

void TestFileCommands::loadsAndSavesByteForByte()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, text);

    QVERIFY(writeFile(path("in.txt"), file));
    QVERIFY(commands::openFile(*m_pane, m_file, path("in.txt"), m_user));
    QCOMPARE(paneText(*m_pane), text);
    QCOMPARE(m_file.path, path("in.txt"));

    QVERIFY(commands::saveFile(*m_pane, m_file, path("out.txt"), m_user));
    QCOMPARE(contentsOf(path("out.txt")), file);
    QCOMPARE(m_file.path, path("out.txt"));
    QCOMPARE(m_user.messages, QStringList());
}

void TestFileCommands::loadIsOneUndoStep()
{
    m_pane->setContext("typed before");
    QVERIFY(writeFile(path("in.txt"), "from the file"));
    QVERIFY(commands::openFile(*m_pane, m_file, path("in.txt"), m_user));
    QCOMPARE(m_pane->context(), std::string("from the file"));
    m_pane->document()->undo();
    QCOMPARE(m_pane->context(), std::string("typed before"));
    m_pane->document()->redo();
    QCOMPARE(m_pane->context(), std::string("from the file"));
}

void TestFileCommands::badInputLeavesPaneAsItWas_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message"); // %1 stands for the path

    QTest::newRow("missing") << "missing"
                             << "无法打开“%1”：文件不存在。";
    QTest::newRow("folder") << "folder"
                            << "无法打开“%1”：这是一个文件夹，不是文件。";
    QTest::newRow("pipe") << "pipe"
                          << "无法打开“%1”：这不是普通文件。";
    QTest::newRow("no read permission")
        << "no permission"
        << "无法读取“%1”：没有读取权限或读取出错（Permission denied）。";
    QTest::newRow("too large")
        << "too large"
        << "无法打开“%1”：文件有 67108865 字节，超过了本程序能打开的上限 64 MB。";
    QTest::newRow("zero bytes") << "zero bytes"
                                << "无法打开“%1”：这不是文本文件（其中有零字节）。";
    QTest::newRow("neither UTF-8 nor GB18030")
        << "invalid"
        << "无法打开“%1”：这不是文本文件（既不是有效的 UTF-8，也不是有效的 GB18030）。";
    QTest::newRow("broken UTF-16")
        << "broken UTF-16"
        << "无法打开“%1”：这不是文本文件（开头标明是 UTF-16，内容却不是有效的 UTF-16）。";
    QTest::newRow("broken UTF-8")
        << "broken UTF-8"
        << "无法打开“%1”：这不是文本文件（开头标明是 UTF-8，内容却不是有效的 UTF-8）。";
}

void TestFileCommands::badInputLeavesPaneAsItWas()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);

    // The pane holds a loaded GB18030 CRLF text with a selection.
    QVERIFY(writeFile(path("loaded.txt"), "\xD6\xD0\r\nab"));
    QVERIFY(commands::openFile(*m_pane, m_file, path("loaded.txt"), m_user));
    m_pane->setSelStart(3);
    m_pane->setSelLength(1);
    const std::string before = m_pane->context();
    const int undoSteps = m_pane->document()->availableUndoSteps();
    const commands::PaneFile fileBefore = m_file;

    QString bad = path("bad.txt");
    if (kind == QLatin1String("folder")) {
        bad = m_dir->path();
    } else if (kind == QLatin1String("pipe")) {
        QCOMPARE(mkfifo(QFile::encodeName(bad).constData(), 0600), 0);
    } else if (kind == QLatin1String("no permission")) {
        QVERIFY(writeFile(bad, "secret"));
        QVERIFY(QFile::setPermissions(bad, QFileDevice::WriteOwner));
    } else if (kind == QLatin1String("too large")) {
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize((qint64(64) << 20) + 1));
    } else if (kind == QLatin1String("zero bytes")) {
        QVERIFY(writeFile(bad, QByteArray("text\0\0\0\0more", 12)));
    } else if (kind == QLatin1String("invalid")) {
        QVERIFY(writeFile(bad, "abc\x80\xFF"));
    } else if (kind == QLatin1String("broken UTF-16")) {
        QVERIFY(writeFile(bad, "\xFF\xFE"
                               "abc"));
    } else if (kind == QLatin1String("broken UTF-8")) {
        QVERIFY(writeFile(bad, "\xEF\xBB\xBF\xC3"));
    }

    bool opened = true;
    {
        const testing::FilePermissionsApply permissions;
        opened = commands::openFile(*m_pane, m_file, bad, m_user);
    }
    QVERIFY(!opened);
    QCOMPARE(m_user.messages, QStringList{message.arg(bad)});
    QCOMPARE(m_pane->context(), before);
    QCOMPARE(m_pane->document()->availableUndoSteps(), undoSteps);
    QCOMPARE(m_pane->selection(), (ByteRange{3, 1}));
    QCOMPARE(m_file, fileBefore);
}

void TestFileCommands::failedSaveKeepsFileAndSays_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message"); // %1 the path, %2 its folder

    QTest::newRow("read-only folder")
        << "read-only folder"
        << "无法保存到“%1”：不能在文件夹“%2”中写入文件（Permission denied）。";
    QTest::newRow("missing folder")
        << "missing folder"
        << "无法保存到“%1”：不能在文件夹“%2”中写入文件（No such file or directory）。";
    QTest::newRow("a folder") << "a folder"
                              << "无法保存到“%1”：这是一个文件夹。";
}

void TestFileCommands::failedSaveKeepsFileAndSays()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);

    const QString folder = path("folder");
    QVERIFY(QDir().mkdir(folder));
    QString target = folder + QStringLiteral("/out.txt");
    QVERIFY(writeFile(target, "old"));
    if (kind == QLatin1String("missing folder"))
        target = path("nowhere/out.txt");
    else if (kind == QLatin1String("a folder"))
        target = folder;
    m_pane->setContext("new text");
    const commands::PaneFile fileBefore = m_file;

    bool saved = true;
    if (kind == QLatin1String("read-only folder")) {
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const testing::FilePermissionsApply permissions;
        saved = commands::saveFile(*m_pane, m_file, target, m_user);
    } else {
        saved = commands::saveFile(*m_pane, m_file, target, m_user);
    }
    QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner));
    QVERIFY(!saved);
    message.replace(QStringLiteral("%1"), target);
    message.replace(QStringLiteral("%2"), QFileInfo(target).absolutePath());
    QCOMPARE(m_user.messages, QStringList{message});
    QCOMPARE(contentsOf(folder + QStringLiteral("/out.txt")), QByteArray("old"));
    QCOMPARE(m_file, fileBefore);
    QCOMPARE(m_pane->context(), std::string("new text"));
}

void TestFileCommands::replaceAllThenSaveKeepsEncodingAndLineEnds()
{
    // A GB18030 file with CRLF lines; Replace all puts in a line break and a four-byte character.
    QVERIFY(writeFile(path("in.txt"), "\xD6\xD0\xCE\xC4 one\r\n\xD6\xD0\xCE\xC4 two\r\n"));
    QVERIFY(commands::openFile(*m_pane, m_file, path("in.txt"), m_user));

    struct NoMessages : commands::Notifier
    {
        void endOfSearch() override { QFAIL("no search here"); }
        void replacementTooLarge(std::size_t) override { QFAIL("a small replacement"); }
    } notifier;
    int32_t findCursor = 0;
    commands::replaceAll(*m_pane, FixedText(QStringLiteral("中文")),
                         FixedText(QStringLiteral("😀\n")), findCursor, notifier);
    QCOMPARE(paneText(*m_pane), QStringLiteral("😀\n one\n😀\n two\n"));

    QVERIFY(commands::saveFile(*m_pane, m_file, path("in.txt"), m_user));
    QCOMPARE(contentsOf(path("in.txt")),
             QByteArray("\x94\x39\xFC\x36\r\n one\r\n\x94\x39\xFC\x36\r\n two\r\n"));
}

void TestFileCommands::pastedTextSavesAsUtf8()
{
    m_pane->setContext(text::toCodePage(u"中\n𠀀"));
    QVERIFY(commands::saveFile(*m_pane, m_file, path("out.txt"), m_user));
    QCOMPARE(contentsOf(path("out.txt")), QByteArray("\xE4\xB8\xAD\n\xF0\xA0\x80\x80"));
}

void TestFileCommands::cancelledDialogsDoNothing()
{
    m_pane->setContext("kept");
    const int undoSteps = m_pane->document()->availableUndoSteps();
    commands::openChosenFile(*m_pane, m_file, m_user);
    commands::saveToChosenFile(*m_pane, m_file, m_user);
    QCOMPARE(m_pane->context(), std::string("kept"));
    QCOMPARE(m_pane->document()->availableUndoSteps(), undoSteps);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());
    QCOMPARE(m_user.messages, QStringList());
}

void TestFileCommands::dialogsStartAtThePaneFile()
{
    QVERIFY(writeFile(path("in.txt"), QByteArray("\xFF\xFE"
                                                 "a\0",
                                                 4)));
    m_user.openAnswer = path("in.txt");
    commands::openChosenFile(*m_pane, m_file, m_user);
    QCOMPARE(m_user.askedFrom, QString());
    QCOMPARE(m_pane->context(), std::string("a"));

    m_user.saveAnswer = path("copy.txt");
    commands::saveToChosenFile(*m_pane, m_file, m_user);
    QCOMPARE(m_user.askedFrom, path("in.txt"));
    QCOMPARE(contentsOf(path("copy.txt")), QByteArray("\xFF\xFE"
                                                      "a\0",
                                                      4));

    commands::openChosenFile(*m_pane, m_file, m_user);
    QCOMPARE(m_user.askedFrom, path("copy.txt"));
}

QTEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
