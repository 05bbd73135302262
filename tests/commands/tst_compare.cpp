#include <optional>

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
    void init() { m_panes.emplace(); }
    void cleanup() { m_panes.reset(); }

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
    void compare() { commands::compare(*m_panes->left, *m_panes->right, *m_panes->highlight); }

    std::optional<panetesting::ComparedPanes> m_panes;
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
    m_panes->load(left, right);
    compare();
    QTEST(underlineMask(*m_panes->left), "leftMask");
    QTEST(underlineMask(*m_panes->right), "rightMask");
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
    m_panes->load(QStringLiteral("abcdefgh"), QStringLiteral("aXcdYfgh"));
    compare();
    for (RichEdit *pane : {m_panes->left.get(), m_panes->right.get()}) {
        QCOMPARE(int(pane->storedStart()), 4);
        QCOMPARE(int(pane->storedLength()), 1);
        QCOMPARE(int(pane->selStart()), 4);
        QCOMPARE(int(pane->selLength()), 1);
    }
    QCOMPARE(m_panes->highlight->Effects, CharFormat::Underline);

    // Past the end of the right text its selection is brought to the end.
    m_panes->load(QStringLiteral("abcdef"), QStringLiteral("abc"));
    compare();
    QCOMPARE(int(m_panes->right->storedStart()), 5);
    QCOMPARE(int(m_panes->right->selStart()), 3);
    QCOMPARE(int(m_panes->right->selLength()), 0);
    QCOMPARE(underlineMask(*m_panes->right), QStringLiteral("..."));

    // Each pane ends on its own last marked character: the right one beyond the left text.
    m_panes->load(QStringLiteral("abcd"), QStringLiteral("aXcdef"));
    compare();
    QCOMPARE(int(m_panes->left->selStart()), 1);
    QCOMPARE(int(m_panes->left->selLength()), 1);
    QCOMPARE(int(m_panes->right->selStart()), 5);
    QCOMPARE(int(m_panes->right->selLength()), 1);
}

void CompareTest::leftPrefixMarksTheRightPaneOnly()
{
    m_panes->load(QStringLiteral("abc"), QStringLiteral("abc中😀"));
    m_panes->left->setSelStart(1);
    m_panes->left->setSelLength(1);
    compare();
    QCOMPARE(underlineMask(*m_panes->left), QStringLiteral("..."));
    QCOMPARE(underlineMask(*m_panes->right), QStringLiteral("...^^^"));
    QCOMPARE(int(m_panes->left->selStart()), 1);
    QCOMPARE(int(m_panes->left->selLength()), 1);
    // The last marked character is the emoji, bytes 6-9.
    QCOMPARE(int(m_panes->right->storedStart()), 8);
    QCOMPARE(int(m_panes->right->selStart()), 5);
    QCOMPARE(int(m_panes->right->selLength()), 4);
    QCOMPARE(m_panes->highlight->Effects, CharFormat::Underline);
}

void CompareTest::equalTextsLeaveSelectionsAlone()
{
    m_panes->load(QStringLiteral("same"), QStringLiteral("same"));
    m_panes->left->setSelStart(1);
    m_panes->left->setSelLength(2);
    compare();
    QCOMPARE(int(m_panes->left->selStart()), 1);
    QCOMPARE(int(m_panes->left->selLength()), 2);
    QCOMPARE(m_panes->highlight->Effects, 0u);
}

void CompareTest::secondRunChangesNothing()
{
    m_panes->load(QStringLiteral("比较abc"), QStringLiteral("比对abd"));
    compare();
    const QString left = m_panes->left->document()->toHtml();
    const QString right = m_panes->right->document()->toHtml();
    compare();
    QCOMPARE(m_panes->left->document()->toHtml(), left);
    QCOMPARE(m_panes->right->document()->toHtml(), right);
}

void CompareTest::newSizeAndColourReachOnlyDifferences()
{
    m_panes->load(QStringLiteral("abcd"), QStringLiteral("aXcd"));
    compare();
    QCOMPARE(formatAt(*m_panes->left, 1).fontPointSize(), 9.0);
    QVERIFY(!formatAt(*m_panes->left, 1).hasProperty(QTextFormat::ForegroundBrush));

    m_panes->right->setContext("aXcY");
    m_panes->highlight->FontSize = 12;
    m_panes->highlight->TextColor = 0x000000FF;
    compare();
    QCOMPARE(formatAt(*m_panes->left, 1).fontPointSize(), 12.0);
    QCOMPARE(formatAt(*m_panes->left, 1).foreground().color(), QColor(Qt::red));
    QCOMPARE(formatAt(*m_panes->left, 3).fontPointSize(), 12.0);
    QVERIFY(!formatAt(*m_panes->left, 2).fontUnderline());
    QCOMPARE(formatAt(*m_panes->right, 3).foreground().color(), QColor(Qt::red));
}

QTEST_MAIN(CompareTest)
#include "tst_compare.moc"
