#include <optional>

#include <QTest>

#include "shell/commandline.h"

Q_DECLARE_METATYPE(std::optional<int>)

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void readsFilesOrEnds_data();
    void readsFilesOrEnds();
};

void TestCommandLine::readsFilesOrEnds_data()
{
    QTest::addColumn<QStringList>("arguments"); // after the program's name
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<std::optional<int>>("exitStatus");
    QTest::addColumn<QString>("messageHas");

    const std::optional<int> runs;
    QTest::newRow("no arguments") << QStringList() << QStringList() << runs << QString();
    QTest::newRow("left only") << QStringList{"a.txt"} << QStringList{"a.txt"} << runs << QString();
    QTest::newRow("left and right") << QStringList{"a.txt", "/tmp/中文.txt"}
                                    << QStringList{"a.txt", "/tmp/中文.txt"} << runs << QString();
    QTest::newRow("a file named like an option, after --")
        << QStringList{"--", "-x.txt"} << QStringList{"-x.txt"} << runs << QString();
    QTest::newRow("three files") << QStringList{"a", "b", "c"} << QStringList() << std::optional(1)
                                 << QStringLiteral("最多只能给出两个文件");
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << QStringList()
                                    << std::optional(1) << QStringLiteral("frobnicate");
    QTest::newRow("help") << QStringList{"--help"} << QStringList() << std::optional(0)
                          << QStringLiteral("[LEFT [RIGHT]]");
    QTest::newRow("short help") << QStringList{"-h", "a.txt"} << QStringList() << std::optional(0)
                                << QStringLiteral("[LEFT [RIGHT]]");
}

void TestCommandLine::readsFilesOrEnds()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, files);
    QFETCH(std::optional<int>, exitStatus);
    QFETCH(QString, messageHas);

    const commandline::Startup startup =
        commandline::parse(QStringList{QStringLiteral("textcompare")} + arguments);
    QCOMPARE(startup.files, files);
    QCOMPARE(startup.exitStatus, exitStatus);
    if (messageHas.isEmpty())
        QVERIFY(startup.message.isEmpty());
    else
        QVERIFY2(startup.message.contains(messageHas), qPrintable(startup.message));
}

QTEST_APPLESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
