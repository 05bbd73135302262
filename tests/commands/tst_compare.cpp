#include <QTest>

#include "../panes/panetesting.h"
#include "commands/compare.h"
#include "panes/richedit.h"
#include "shell/appstate.h"
#include "text/codepage.h"

using panetesting::formatAt;
using panetesting::underlineMask;

class CompareTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_left = std::make_unique<RichEdit>();
        m_right = std::make_unique<RichEdit>();
        m_highlight = createHighlightFormat();
    }
    void cleanup()
    {
        m_left.reset();
        m_right.reset();
    }

    void marksDifferingPositions_data();
    void marksDifferingPositions();
    void differingRangesFollowTheByteWalk_data();
    void differingRangesFollowTheByteWalk();
    void leavesLastPositionSelected();
    void equalTextsLeaveSelectionsAlone();
    void secondRunChangesNothing();
    void newSizeAndColourReachOnlyDifferences();

private:
    void load(const QString &left, const QString &right)
    {
        m_left->setContext(text::toCodePage(left));
        m_right->setContext(text::toCodePage(right));
    }
    void compare() { commands::compare(*m_left, *m_right, *m_highlight); }

    std::unique_ptr<RichEdit> m_left;
    std::unique_ptr<RichEdit> m_right;
    std::unique_ptr<CharFormat> m_highlight;
};

void CompareTest::marksDifferingPositions_data()
{
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<QString>("leftMask");
    QTest::addColumn<QString>("rightMask");

    QTest::newRow("equal") << "abcd"
                           << "abcd"
                           << "...."
                           << "....";
    QTest::newRow("empty left") << ""
                                << "abc"
                                << ""
                                << "...";
    QTest::newRow("third letter") << "abcd"
                                  << "abXd"
                                  << "..^."
                                  << "..^.";
    QTest::newRow("right shorter") << "abcdef"
                                   << "abc"
                                   << "...^^^"
                                   << "...";
    QTest::newRow("right longer") << "abc"
                                  << "abcdef"
                                  << "..."
                                  << "......";
    QTest::newRow("case only") << "aBcD"
                               << "abcd"
                               << ".^.^"
                               << ".^.^";
    QTest::newRow("trail byte only") << "中a"
                                     << "终a"
                                     << "^."
                                     << "^.";
    QTest::newRow("lead and trail") << "中a"
                                    << "ab"
                                    << "^^"
                                    << "^^";
    QTest::newRow("line break") << "ab\ncd"
                                << "ab\nXd"
                                << "...^."
                                << "...^.";
    QTest::newRow("line break moved") << "a\nb"
                                      << "ab\n"
                                      << ".^^"
                                      << ".^^";
    QTest::newRow("emoji last byte") << "a😀b"
                                     << "a😁b"
                                     << ".^^."
                                     << ".^^.";
    QTest::newRow("chinese against ascii") << "比较"
                                           << "ab较"
                                           << "^."
                                           << "^^.";
}

void CompareTest::marksDifferingPositions()
{
    QFETCH(QString, left);
    QFETCH(QString, right);
    load(left, right);
    compare();
    QTEST(underlineMask(*m_left), "leftMask");
    QTEST(underlineMask(*m_right), "rightMask");
}

void CompareTest::differingRangesFollowTheByteWalk_data()
{
    QTest::addColumn<QByteArray>("left");
    QTest::addColumn<QByteArray>("right");
    QTest::addColumn<QList<int>>("ranges"); // start, length pairs

    QTest::newRow("none") << QByteArray("abc") << QByteArray("abc") << QList<int>{};
    QTest::newRow("runs merge") << QByteArray("abcdef") << QByteArray("aXYdeZ")
                                << QList<int>{1, 2, 5, 1};
    QTest::newRow("tail of left") << QByteArray("abcd") << QByteArray("abX") << QList<int>{2, 2};
    QTest::newRow("right beyond left ignored")
        << QByteArray("ab") << QByteArray("abcd") << QList<int>{};
    QTest::newRow("zero byte ends the left text")
        << QByteArray("ab\0cd", 5) << QByteArray("abXYZ") << QList<int>{2, 3};
    QTest::newRow("zero byte in both")
        << QByteArray("a\0c", 3) << QByteArray("a\0d", 3) << QList<int>{};
    QTest::newRow("empty left") << QByteArray() << QByteArray("abc") << QList<int>{};
}

void CompareTest::differingRangesFollowTheByteWalk()
{
    QFETCH(QByteArray, left);
    QFETCH(QByteArray, right);
    QFETCH(QList<int>, ranges);
    std::vector<ByteRange> expected;
    for (qsizetype i = 0; i + 1 < ranges.size(); i += 2)
        expected.push_back({ranges[i], ranges[i + 1]});
    const auto actual = commands::differingRanges(std::string_view(left.data(), left.size()),
                                                  std::string_view(right.data(), right.size()));
    QVERIFY(actual == expected);
}

void CompareTest::leavesLastPositionSelected()
{
    load(QStringLiteral("abcdefgh"), QStringLiteral("aXcdYfgh"));
    compare();
    for (RichEdit *pane : {m_left.get(), m_right.get()}) {
        QCOMPARE(int(pane->storedStart()), 4);
        QCOMPARE(int(pane->storedLength()), 1);
        QCOMPARE(int(pane->selStart()), 4);
        QCOMPARE(int(pane->selLength()), 1);
    }
    QCOMPARE(m_highlight->Effects, CharFormat::Underline);

    // Past the end of the right text its selection is brought to the end.
    load(QStringLiteral("abcdef"), QStringLiteral("abc"));
    compare();
    QCOMPARE(int(m_right->storedStart()), 5);
    QCOMPARE(int(m_right->selStart()), 3);
    QCOMPARE(int(m_right->selLength()), 0);
    QCOMPARE(underlineMask(*m_right), QStringLiteral("..."));
}

void CompareTest::equalTextsLeaveSelectionsAlone()
{
    load(QStringLiteral("same"), QStringLiteral("same"));
    m_left->setSelStart(1);
    m_left->setSelLength(2);
    compare();
    QCOMPARE(int(m_left->selStart()), 1);
    QCOMPARE(int(m_left->selLength()), 2);
    QCOMPARE(m_highlight->Effects, 0u);
}

void CompareTest::secondRunChangesNothing()
{
    load(QStringLiteral("比较abc"), QStringLiteral("比对abd"));
    compare();
    const QString left = m_left->document()->toHtml();
    const QString right = m_right->document()->toHtml();
    compare();
    QCOMPARE(m_left->document()->toHtml(), left);
    QCOMPARE(m_right->document()->toHtml(), right);
}

void CompareTest::newSizeAndColourReachOnlyDifferences()
{
    load(QStringLiteral("abcd"), QStringLiteral("aXcd"));
    compare();
    QCOMPARE(formatAt(*m_left, 1).fontPointSize(), 9.0);
    QVERIFY(!formatAt(*m_left, 1).hasProperty(QTextFormat::ForegroundBrush));

    m_right->setContext("aXcY");
    m_highlight->FontSize = 12;
    m_highlight->TextColor = 0x000000FF;
    compare();
    QCOMPARE(formatAt(*m_left, 1).fontPointSize(), 12.0);
    QCOMPARE(formatAt(*m_left, 1).foreground().color(), QColor(Qt::red));
    QCOMPARE(formatAt(*m_left, 3).fontPointSize(), 12.0);
    QVERIFY(!formatAt(*m_left, 2).fontUnderline());
    QCOMPARE(formatAt(*m_right, 3).foreground().color(), QColor(Qt::red));
}

QTEST_MAIN(CompareTest)
#include "tst_compare.moc"
