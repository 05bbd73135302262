#include <utility>

#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define UNDER_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define UNDER_ADDRESS_SANITIZER 1
#endif

namespace {

struct ProbeRun
{
    int exitCode = -1;
    QString boxReport;
    QString standardError;
};

ProbeRun runProbe(const QString &mode)
{
    QProcess probe;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    probe.setProcessEnvironment(environment);
    probe.start(QStringLiteral(FATAL_PROBE_PATH), {mode});
    if (!probe.waitForFinished(120000) || probe.exitStatus() != QProcess::NormalExit)
        return {};
    return {probe.exitCode(), QString::fromUtf8(probe.readAllStandardOutput()),
            QString::fromUtf8(probe.readAllStandardError())};
}

// An X display that no server is expected to run on.
const QString kNoServer = QStringLiteral(":4093");

} // namespace

// The fatal paths run in a child process: the probe program fails to build its window or runs
// out of memory; the real program finds no display it can open.
class FatalTest : public QObject
{
    Q_OBJECT

private slots:
    void fatalErrorShowsBoxAndExits_data();
    void fatalErrorShowsBoxAndExits();
    void outOfMemoryAnywhereShowsBoxAndExits_data();
    void outOfMemoryAnywhereShowsBoxAndExits();
    void noDisplayExitsWithMessage_data();
    void noDisplayExitsWithMessage();
};

void FatalTest::fatalErrorShowsBoxAndExits_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("message");
    QTest::newRow("window not built") << "window"
                                      << "载入启动窗口失败";
    QTest::newRow("allocation failed") << "allocation"
                                       << "分配 1125899906842624 字节内存失败!";
}

void FatalTest::fatalErrorShowsBoxAndExits()
{
    QFETCH(QString, mode);
    QFETCH(QString, message);
    QProcess probe;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    probe.setProcessEnvironment(environment);
    probe.start(QStringLiteral(FATAL_PROBE_PATH), {mode});
    QVERIFY(probe.waitForFinished(30000));
    QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
    QCOMPARE(probe.exitCode(), 255);

    const QString text = QStringLiteral("运行时出错!\n\n错误信息：") + message + u'\n';
    const QString box = QString::fromUtf8(probe.readAllStandardOutput());
    QCOMPARE(box, QStringLiteral("caption=错误\nicon=%1\nbuttons=确定\ntext=%2\n")
                      .arg(int(QMessageBox::Critical))
                      .arg(text));
    const QString standardError = QString::fromUtf8(probe.readAllStandardError());
    QVERIFY(standardError.contains(text));
    QVERIFY(!standardError.contains(QStringLiteral("无法打开显示")));
}

void FatalTest::outOfMemoryAnywhereShowsBoxAndExits_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<qulonglong>("leastBytes");
    QTest::addColumn<bool>("needsAddressLimit");
    // The containers ask for 2^44 bytes and a little header.
    QTest::newRow("container while the window is built") << "container" << (1ull << 44) << false;
    QTest::newRow("container in a slot of the running program") << "slot" << (1ull << 44) << false;
    QTest::newRow("pasting under an address-space limit") << "paste" << 1ull << true;
}

void FatalTest::outOfMemoryAnywhereShowsBoxAndExits()
{
    QFETCH(QString, mode);
    QFETCH(qulonglong, leastBytes);
    QFETCH(bool, needsAddressLimit);
#if defined(UNDER_ADDRESS_SANITIZER)
    if (needsAddressLimit)
        QSKIP("AddressSanitizer reserves more address space than any limit leaves room for");
#else
    Q_UNUSED(needsAddressLimit);
#endif
    const ProbeRun run = runProbe(mode);
    QCOMPARE(run.exitCode, 255);

    const QRegularExpression boxReport(
        QStringLiteral(
            "^caption=错误\nicon=%1\nbuttons=确定\ntext=(运行时出错!\n\n错误信息：(.*)\n)\n$")
            .arg(int(QMessageBox::Critical)));
    const QRegularExpressionMatch box = boxReport.match(run.boxReport);
    QVERIFY2(box.hasMatch(), qPrintable(run.boxReport));
    QVERIFY(run.standardError.contains(box.captured(1)));
    const QString message = box.captured(2);
#if defined(UNDER_ADDRESS_SANITIZER)
    // The sanitizer's allocator does not tell the program the size it refused.
    Q_UNUSED(leastBytes);
    QCOMPARE(message, QStringLiteral("分配内存失败!"));
#else
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("^分配 (\\d+) 字节内存失败!$")).match(message);
    QVERIFY2(size.hasMatch(), qPrintable(message));
    QVERIFY(size.captured(1).toULongLong() >= leastBytes);
#endif
}

void FatalTest::noDisplayExitsWithMessage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("wayland");
    QTest::addColumn<QString>("reason");

    const QString unset;
    QTest::newRow("nothing set") << QStringList() << unset << unset << unset
                                 << "无法打开显示：没有设置 DISPLAY";
    QTest::newRow("X display without a server")
        << QStringList() << unset << kNoServer << unset
        << QStringLiteral("无法打开显示：DISPLAY=\"%1\"").arg(kNoServer);
    QTest::newRow("Wayland display without a compositor")
        << QStringList() << unset << unset << "wayland-textcompare-none"
        << "无法打开显示：WAYLAND_DISPLAY=\"wayland-textcompare-none\"，没有设置 DISPLAY";
    QTest::newRow("platform that does not exist")
        << QStringList() << "nosuchplatform" << unset << unset
        << "无法打开显示：平台 \"nosuchplatform\"";
    QTest::newRow("platform on the command line")
        << QStringList{"-platform", "nosuchplatform"} << "offscreen" << kNoServer << unset
        << "无法打开显示：平台 \"nosuchplatform\"";
}

// The error box cannot be shown, so standard error gets its text and, on the line after it, why.
void FatalTest::noDisplayExitsWithMessage()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, platform);
    QFETCH(QString, display);
    QFETCH(QString, wayland);
    QFETCH(QString, reason);
    if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(kNoServer.mid(1))))
        QSKIP("an X server runs on the display meant to have none");

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const std::pair<const char *, QString> variables[] = {
        {"QT_QPA_PLATFORM", platform}, {"DISPLAY", display}, {"WAYLAND_DISPLAY", wayland}};
    for (const auto &[name, value] : variables) {
        environment.remove(name);
        if (!value.isNull())
            environment.insert(name, value);
    }
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(TEXTCOMPARE_PATH), arguments);
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 255);

    const QString standardError = QString::fromUtf8(program.readAllStandardError());
    const QString text = QStringLiteral("运行时出错!\n\n错误信息：载入启动窗口失败\n");
    QVERIFY2(standardError.contains(text + reason + u'\n'), qPrintable(standardError));
    QCOMPARE(standardError.count(QStringLiteral("无法打开显示")), 1);
}

QTEST_APPLESS_MAIN(FatalTest)
#include "tst_fatal.moc"
