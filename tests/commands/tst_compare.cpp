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
    void leftPrefixMarksTheRightPaneOnly();
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
                                << "^^^";
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
                                  << "...^^^";
    QTest::newRow("right longer after a difference") << "aX"
                                                     << "abcd"
                                                     << ".^"
                                                     << ".^^^";
    QTest::newRow("right longer by an emoji") << "a"
                                              << "a😀"
                                              << "."
                                              << ".^^";
    QTest::newRow("right longer by a line") << "ab"
                                            << "ab\ncd"
                                            << ".."
                                            << "..^^^";
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
    QTest::newRow("emoji against rare Han") << "😀a"
                                            << "𠀀a"
                                            << "^^."
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
    QTest::addColumn<QList<int>>("leftRanges"); // start, length pairs
    QTest::addColumn<QList<int>>("rightRanges");

    QTest::newRow("none") << QByteArray("abc") << QByteArray("abc") << QList<int>{} << QList<int>{};
    QTest::newRow("runs merge") << QByteArray("abcdef") << QByteArray("aXYdeZ")
                                << QList<int>{1, 2, 5, 1} << QList<int>{1, 2, 5, 1};
    QTest::newRow("tail of left") << QByteArray("abcd") << QByteArray("abX") << QList<int>{2, 2}
                                  << QList<int>{2, 2};
    QTest::newRow("right beyond left")
        << QByteArray("ab") << QByteArray("abcd") << QList<int>{} << QList<int>{2, 2};
    QTest::newRow("right beyond left joins a difference")
        << QByteArray("aX") << QByteArray("abcd") << QList<int>{1, 1} << QList<int>{1, 3};
    QTest::newRow("right beyond left after an equal byte")
        << QByteArray("Xb") << QByteArray("abcd") << QList<int>{0, 1} << QList<int>{0, 1, 2, 2};
    QTest::newRow("zero byte ends the left text")
        << QByteArray("ab\0cd", 5) << QByteArray("abXYZ") << QList<int>{2, 3} << QList<int>{2, 3};
    QTest::newRow("zero byte ends the left text, right longer")
        << QByteArray("a\0c", 3) << QByteArray("abcdef") << QList<int>{1, 2} << QList<int>{1, 5};
    QTest::newRow("zero byte ends the right text")
        << QByteArray("ab") << QByteArray("ab\0cd", 5) << QList<int>{} << QList<int>{};
    QTest::newRow("zero byte in both")
        << QByteArray("a\0c", 3) << QByteArray("a\0d", 3) << QList<int>{} << QList<int>{};
    QTest::newRow("empty left") << QByteArray() << QByteArray("abc") << QList<int>{}
                                << QList<int>{0, 3};
    QTest::newRow("both empty") << QByteArray() << QByteArray() << QList<int>{} << QList<int>{};
}

void CompareTest::differingRangesFollowTheByteWalk()
{
    QFETCH(QByteArray, left);
    QFETCH(QByteArray, right);
    const auto toRanges = [](const QList<int> &pairs) {
        std::vector<ByteRange> ranges;
        for (qsizetype i = 0; i + 1 < pairs.size(); i += 2)
            ranges.push_back({pairs[i], pairs[i + 1]});
        return ranges;
    };
    const commands::Differences actual = commands::differingRanges(
        std::string_view(left.data(), left.size()), std::string_view(right.data(), right.size()));
    QFETCH(QList<int>, leftRanges);
    QFETCH(QList<int>, rightRanges);
    QVERIFY(actual.left == toRanges(leftRanges));
    QVERIFY(actual.right == toRanges(rightRanges));
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

    // Each pane ends on its own last marked character: the right one beyond the left text.
    load(QStringLiteral("abcd"), QStringLiteral("aXcdef"));
    compare();
    QCOMPARE(int(m_left->selStart()), 1);
    QCOMPARE(int(m_left->selLength()), 1);
    QCOMPARE(int(m_right->selStart()), 5);
    QCOMPARE(int(m_right->selLength()), 1);
}

void CompareTest::leftPrefixMarksTheRightPaneOnly()
{
    load(QStringLiteral("abc"), QStringLiteral("abc中😀"));
    m_left->setSelStart(1);
    m_left->setSelLength(1);
    compare();
    QCOMPARE(underlineMask(*m_left), QStringLiteral("..."));
    QCOMPARE(underlineMask(*m_right), QStringLiteral("...^^^"));
    QCOMPARE(int(m_left->selStart()), 1);
    QCOMPARE(int(m_left->selLength()), 1);
    // The last marked character is the emoji, bytes 6-9.
    QCOMPARE(int(m_right->storedStart()), 8);
    QCOMPARE(int(m_right->selStart()), 5);
    QCOMPARE(int(m_right->selLength()), 4);
    QCOMPARE(m_highlight->Effects, CharFormat::Underline);
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
