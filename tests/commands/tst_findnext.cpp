#include <QTest>

#include "../panes/panetesting.h"
#include "../testing/windowfixture.h"
#include "commands/findnext.h"

using panetesting::underlineMask;

class FindNextTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_fixture = std::make_unique<testing::WindowFixture>(); }
    void cleanup() { m_fixture.reset(); }

    void clicksWalkTheOccurrences_data();
    void clicksWalkTheOccurrences();
    void endOfSearchMessageThenFreshSearch();
    void clearKeepsTheCursor();
    void nextSearchStartsOnCharacterBoundary_data();
    void nextSearchStartsOnCharacterBoundary();

private:
    std::unique_ptr<testing::WindowFixture> m_fixture;
};

// Each click: the find cursor after it ("msg" when the click showed the end-of-search message
// instead of searching) and the underlined units of the left pane.
void FindNextTest::clicksWalkTheOccurrences_data()
{
    QTest::addColumn<QString>("pane");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QStringList>("cursors");
    QTest::addColumn<QStringList>("masks");

    QTest::newRow("abcabc / bc") << "abcabc"
                                 << "bc" << QStringList{"2", "5", "-1", "msg", "2"}
                                 << QStringList{".^^...", ".^^.^^", ".^^.^^", ".^^.^^", ".^^.^^"};
    QTest::newRow("overlapping") << "aaa"
                                 << "aa" << QStringList{"1", "2", "-1", "msg"}
                                 << QStringList{"^^.", "^^^", "^^^", "^^^"};
    QTest::newRow("exact case") << "ABC"
                                << "abc" << QStringList{"-1", "msg"} << QStringList{"...", "..."};
    QTest::newRow("empty search") << "ab"
                                  << "" << QStringList{"1", "1", "1"}
                                  << QStringList{"..", "..", ".."};
    QTest::newRow("empty search, one byte")
        << "a"
        << "" << QStringList{"1", "-1", "msg"} << QStringList{".", ".", "."};
    QTest::newRow("empty pane") << ""
                                << "x" << QStringList{"-1", "msg"} << QStringList{"", ""};
    QTest::newRow("two-byte repeats")
        << "中中"
        << "中" << QStringList{"1", "3", "-1"} << QStringList{"^.", "^^", "^^"};
    QTest::newRow("chinese sentence") << "我们比较文本，比较结果"
                                      << "比较" << QStringList{"5", "15", "-1"}
                                      << QStringList{"..^^.......", "..^^...^^..", "..^^...^^.."};
}

void FindNextTest::clicksWalkTheOccurrences()
{
    QFETCH(QString, pane);
    QFETCH(QString, search);
    QFETCH(QStringList, cursors);
    QFETCH(QStringList, masks);
    m_fixture->setLeft(pane);
    m_fixture->setSearch(search);
    for (qsizetype i = 0; i < cursors.size(); ++i) {
        const std::size_t messagesBefore = m_fixture->messages.size();
        m_fixture->click("按钮3");
        if (cursors[i] == "msg") {
            QCOMPARE(m_fixture->messages.size(), messagesBefore + 1);
            QCOMPARE(m_fixture->state.findCursor, 0);
        } else {
            QCOMPARE(m_fixture->messages.size(), messagesBefore);
            QCOMPARE(m_fixture->state.findCursor, cursors[i].toInt());
        }
        QCOMPARE(underlineMask(*m_fixture->window->leftPane()), masks[i]);
    }
}

void FindNextTest::endOfSearchMessageThenFreshSearch()
{
    m_fixture->setLeft(QStringLiteral("one"));
    m_fixture->setSearch(QStringLiteral("x"));
    m_fixture->click("按钮3");
    QVERIFY(m_fixture->messages.empty());
    m_fixture->click("按钮3");
    QCOMPARE(m_fixture->messages.size(), std::size_t(1));
    QCOMPARE(m_fixture->messages[0].caption, QStringLiteral("信息："));
    QCOMPARE(m_fixture->messages[0].text, QStringLiteral("查找完毕，下面没有了"));

    // A new search text after the message is searched from the start.
    m_fixture->setSearch(QStringLiteral("n"));
    m_fixture->click("按钮3");
    QCOMPARE(m_fixture->state.findCursor, 2);
    QCOMPARE(m_fixture->messages.size(), std::size_t(1));
}

void FindNextTest::clearKeepsTheCursor()
{
    m_fixture->setLeft(QStringLiteral("xx-xx"));
    m_fixture->setSearch(QStringLiteral("x"));
    m_fixture->click("按钮3");
    m_fixture->click("按钮3");
    QCOMPARE(m_fixture->state.findCursor, 2);
    m_fixture->click("按钮2");
    QCOMPARE(m_fixture->state.findCursor, 2);
    m_fixture->setLeft(QStringLiteral("xxxxx"));
    m_fixture->click("按钮3");
    QCOMPARE(m_fixture->state.findCursor, 3);
}

void FindNextTest::nextSearchStartsOnCharacterBoundary_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<int>("start");
    QTest::newRow("first search") << QByteArray("abc") << 0 << 1;
    QTest::newRow("after a single byte") << QByteArray("abc") << 2 << 3;
    QTest::newRow("after a lead byte") << QByteArray("\xD6\xD0\xD6\xD0") << 1 << 3;
    QTest::newRow("cursor past a changed text") << QByteArray("ab") << 7 << 8;
}

void FindNextTest::nextSearchStartsOnCharacterBoundary()
{
    QFETCH(QByteArray, text);
    QFETCH(int, cursor);
    QTEST(int(commands::nextSearchStart(text.toStdString(), cursor)), "start");
}

QTEST_MAIN(FindNextTest)
#include "tst_findnext.moc"
