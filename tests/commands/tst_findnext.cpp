#include <functional>
#include <vector>

#include <QTest>

#include "../panes/panetesting.h"
#include "../testing/windowfixture.h"
#include "../text/charactertexts.h"
#include "commands/findnext.h"
#include "text/bytes.h"

using panetesting::underlineMask;

using FixtureAction = std::function<void(testing::WindowFixture &)>;
Q_DECLARE_METATYPE(FixtureAction)

class FindNextTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_fixture = std::make_unique<testing::WindowFixture>(); }
    void cleanup() { m_fixture.reset(); }

    void clicksWalkTheOccurrences_data();
    void clicksWalkTheOccurrences();
    void endOfSearchMessageThenFreshSearch();
    void whatStartsTheSearchOver_data();
    void whatStartsTheSearchOver();
    void nextSearchStartsOnCharacterBoundary_data();
    void nextSearchStartsOnCharacterBoundary();
    void clicksVisitEveryOccurrenceOfWholeCharacters();

private:
    std::unique_ptr<testing::WindowFixture> m_fixture;
};

// Each click: the find cursor after it ("msg" when the click's search found nothing and showed
// the end-of-search message, which leaves the cursor at 0) and the underlined units of the left
// pane.
void FindNextTest::clicksWalkTheOccurrences_data()
{
    QTest::addColumn<QString>("pane");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QStringList>("cursors");
    QTest::addColumn<QStringList>("masks");

    QTest::newRow("abcabc / bc") << "abcabc"
                                 << "bc" << QStringList{"2", "5", "msg", "2"}
                                 << QStringList{".^^...", ".^^.^^", ".^^.^^", ".^^.^^"};
    QTest::newRow("overlapping") << "aaa"
                                 << "aa" << QStringList{"1", "2", "msg", "1"}
                                 << QStringList{"^^.", "^^^", "^^^", "^^^"};
    QTest::newRow("exact case") << "ABC"
                                << "abc" << QStringList{"msg", "msg"} << QStringList{"...", "..."};
    QTest::newRow("empty search") << "ab"
                                  << "" << QStringList{"1", "1", "1"}
                                  << QStringList{"..", "..", ".."};
    QTest::newRow("empty search, one byte")
        << "a"
        << "" << QStringList{"1", "msg", "1"} << QStringList{".", ".", "."};
    QTest::newRow("empty pane") << ""
                                << "x" << QStringList{"msg", "msg"} << QStringList{"", ""};
    QTest::newRow("two-byte repeats")
        << "中中"
        << "中" << QStringList{"1", "3", "msg"} << QStringList{"^.", "^^", "^^"};
    QTest::newRow("chinese sentence") << "我们比较文本，比较结果"
                                      << "比较" << QStringList{"5", "15", "msg"}
                                      << QStringList{"..^^.......", "..^^...^^..", "..^^...^^.."};
    // Four-byte characters; an emoji or a rare Han character takes two units of the pane.
    QTest::newRow("emoji repeats") << "😀😀😀"
                                   << "😀" << QStringList{"1", "5", "9", "msg"}
                                   << QStringList{"^^....", "^^^^..", "^^^^^^", "^^^^^^"};
    QTest::newRow("across two four-byte characters")
        << "ءء"
        << "외" << QStringList{"msg", "msg"} << QStringList{"..", ".."};
    QTest::newRow("four-byte next to two-byte")
        << "中😀中😀"
        << "😀" << QStringList{"3", "9", "msg"} << QStringList{".^^...", ".^^.^^", ".^^.^^"};
    QTest::newRow("rare Han after emoji")
        << "😀𠀀a"
        << "𠀀a" << QStringList{"5", "msg"} << QStringList{"..^^^", "..^^^"};
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
    m_fixture->setSearch(QStringLiteral("n"));
    m_fixture->click("按钮3");
    QVERIFY(m_fixture->messages.empty());
    // The click whose search runs off the end says so at once.
    m_fixture->click("按钮3");
    QCOMPARE(m_fixture->messages.size(), std::size_t(1));
    QCOMPARE(m_fixture->messages[0].caption, QStringLiteral("信息："));
    QCOMPARE(m_fixture->messages[0].text, QStringLiteral("查找完毕，下面没有了"));
    QCOMPARE(m_fixture->state.findCursor, 0);
    QCOMPARE(underlineMask(*m_fixture->window->leftPane()), QStringLiteral(".^."));

    // The click after it searches from the top again.
    m_fixture->click("按钮3");
    QCOMPARE(m_fixture->state.findCursor, 2);
    QCOMPARE(m_fixture->messages.size(), std::size_t(1));
}

// Left pane 'xx-xx', search text 'x', two clicks (the find cursor stands at 2); then something
// else happens. The find cursor after it, and after one more click.
void FindNextTest::whatStartsTheSearchOver_data()
{
    using Fixture = testing::WindowFixture;
    QTest::addColumn<FixtureAction>("action");
    QTest::addColumn<int>("cursorAfterAction");
    QTest::addColumn<int>("cursorAfterClick");

    QTest::newRow("Clear, then a new text") << FixtureAction([](Fixture &f) {
        f.click("按钮2");
        f.setLeft(QStringLiteral("x-x"));
    }) << 0 << 1;
    QTest::newRow("new search text")
        << FixtureAction([](Fixture &f) { f.setSearch(QStringLiteral("-x")); }) << 0 << 3;
    QTest::newRow("search text typed over with the same text") << FixtureAction([](Fixture &f) {
        EditBox *box = f.window->searchBox();
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, QStringLiteral("x"));
    }) << 0 << 1;
    QTest::newRow("search text set to what it is")
        << FixtureAction([](Fixture &f) { f.setSearch(QStringLiteral("x")); }) << 2 << 4;
    QTest::newRow("Replace all rewrites the pane") << FixtureAction([](Fixture &f) {
        f.setReplacement(QStringLiteral("xx"));
        f.click("按钮5");
    }) << 0 << 1;
    QTest::newRow("typing in the left pane") << FixtureAction([](Fixture &f) {
        RichEdit *pane = f.window->leftPane();
        pane->setFocus();
        QTest::keyClick(pane, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(pane, QStringLiteral("zx"));
    }) << 2 << 4;
    QTest::newRow("Compare") << FixtureAction([](Fixture &f) {
        f.setRight(QStringLiteral("xy-xx"));
        f.click("按钮1");
    }) << 2 << 4;
}

void FindNextTest::whatStartsTheSearchOver()
{
    QFETCH(FixtureAction, action);
    m_fixture->setLeft(QStringLiteral("xx-xx"));
    m_fixture->setSearch(QStringLiteral("x"));
    m_fixture->click("按钮3");
    m_fixture->click("按钮3");
    QCOMPARE(m_fixture->state.findCursor, 2);
    action(*m_fixture);
    QTEST(int(m_fixture->state.findCursor), "cursorAfterAction");
    m_fixture->click("按钮3");
    QTEST(int(m_fixture->state.findCursor), "cursorAfterClick");
    QVERIFY(m_fixture->messages.empty());
}

void FindNextTest::nextSearchStartsOnCharacterBoundary_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<int>("start");
    QTest::newRow("first search") << QByteArray("abc") << 0 << 1;
    QTest::newRow("after a single byte") << QByteArray("abc") << 2 << 3;
    QTest::newRow("after a lead byte") << QByteArray("\xD6\xD0\xD6\xD0") << 1 << 3;
    QTest::newRow("after a first byte with a letter") << QByteArray("\x81\x41\x81\x41") << 1 << 3;
    QTest::newRow("after a four-byte character")
        << QByteArray("\x94\x39\xFC\x36\x94\x39\xFC\x36") << 1 << 5;
    QTest::newRow("after a four-byte character inside the text")
        << QByteArray("a\x95\x32\x82\x36z") << 2 << 6;
    QTest::newRow("after a first byte at the end") << QByteArray("a\x81") << 2 << 4;
    QTest::newRow("cursor past a changed text") << QByteArray("ab") << 7 << 8;
}

void FindNextTest::nextSearchStartsOnCharacterBoundary()
{
    QFETCH(QByteArray, text);
    QFETCH(int, cursor);
    QTEST(int(commands::nextSearchStart(text.toStdString(), cursor)), "start");
}

// Texts of whole one-, two- and four-byte characters and search texts of whole characters: the
// clicks visit exactly the occurrences that begin where a character begins, in order, and then
// say that the search is over.
void FindNextTest::clicksVisitEveryOccurrenceOfWholeCharacters()
{
    charactertexts::Generator generate(4242);
    int visited = 0;
    for (int round = 0; round < 5000; ++round) {
        const charactertexts::Text text = generate.text(10);
        const std::string search = generate.wholeCharactersFor(text);
        if (search.empty())
            continue;
        std::vector<int32_t> expected;
        for (const std::size_t start : text.starts) {
            if (text.bytes.compare(start, search.size(), search) == 0)
                expected.push_back(int32_t(start) + 1);
        }
        std::vector<int32_t> found;
        int32_t cursor = 0;
        for (std::size_t click = 0; click <= text.starts.size(); ++click) {
            cursor =
                text::FindBytes(text.bytes, search, commands::nextSearchStart(text.bytes, cursor),
                                /*ignoreCase=*/false);
            if (cursor == -1)
                break;
            found.push_back(cursor);
        }
        visited += int(found.size());
        QVERIFY2(cursor == -1 && found == expected,
                 qPrintable(
                     QStringLiteral("text %1, search %2")
                         .arg(QString::fromLatin1(QByteArray::fromStdString(text.bytes).toHex(' ')),
                              QString::fromLatin1(QByteArray::fromStdString(search).toHex(' ')))));
    }
    QVERIFY(visited > 1000);
}

QTEST_MAIN(FindNextTest)
#include "tst_findnext.moc"
