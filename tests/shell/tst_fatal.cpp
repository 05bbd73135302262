#include <QMessageBox>
#include <QProcess>
#include <QTest>

// The fatal paths run in a child process: the probe program fails to build its window or runs
// out of memory; the real program finds no display.
class FatalTest : public QObject
{
    Q_OBJECT

private slots:
    void fatalErrorShowsBoxAndExits_data();
    void fatalErrorShowsBoxAndExits();
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
    QCOMPARE(box, QStringLiteral("caption=错误\nicon=%1\nbuttons=1\ntext=%2\n")
                      .arg(int(QMessageBox::Critical))
                      .arg(text));
    QVERIFY(QString::fromUtf8(probe.readAllStandardError()).contains(text));
}

void FatalTest::noDisplayExitsWithMessage()
{
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(TEXTCOMPARE_PATH), {});
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 255);
    QVERIFY(QString::fromUtf8(program.readAllStandardError()).contains("载入启动窗口失败"));
}

QTEST_APPLESS_MAIN(FatalTest)
#include "tst_fatal.moc"
