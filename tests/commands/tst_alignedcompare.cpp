#include <optional>

#include <QTest>
#include <QTextDocument>

#include "../panes/panetesting.h"
#include "commands/alignedcompare.h"
#include "panes/richedit.h"
#include "shell/appstate.h"
#include "text/codepage.h"

using panetesting::formatAt;
using panetesting::underlineMask;

class AlignedCompareTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_panes.emplace(); }
    void cleanup() { m_panes.reset(); }

    void marksOnlyWhatChanged_data();
    void marksOnlyWhatChanged();
    void answersTheHunksItMarked();
    void marksInHighlightSizeAndColour();
    void keepsEarlierMarksAndSelections();
    void oneUndoStepPerPaneTakesItBack();
    void editAndCompareAgainMarksTheNewChange();

private:
    std::vector<text::AlignedHunk> alignedCompare()
    {
        return commands::alignedCompare(*m_panes->left, *m_panes->right, *m_panes->highlight);
    }

    std::optional<panetesting::ComparedPanes> m_panes;
};

void AlignedCompareTest::marksOnlyWhatChanged_data()
{
    // Masks have one mark per UTF-16 unit of the pane, line breaks included: an emoji or a rare
    // Han character takes two.
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<QString>("leftMask");
    QTest::addColumn<QString>("rightMask");

    QTest::newRow("equal") << "abcd"
                           << "abcd"
                           << "...."
                           << "....";
    QTest::newRow("both empty") << ""
                                << ""
                                << ""
                                << "";
    QTest::newRow("left empty") << ""
                                << "ab"
                                << ""
                                << "^^";
    QTest::newRow("one letter inserted at the start") << "bcdef"
                                                      << "abcdef"
                                                      << "....."
                                                      << "^.....";
    QTest::newRow("deleted in the middle") << "abcdef"
                                           << "abdef"
                                           << "..^..."
                                           << ".....";
    QTest::newRow("replaced at the end") << "abcdef"
                                         << "abcdeX"
                                         << ".....^"
                                         << ".....^";
    QTest::newRow("chinese inserted") << "我北京"
                                      << "我爱北京"
                                      << "..."
                                      << ".^..";
    QTest::newRow("emoji replaced") << "a😀b"
                                    << "a😁b"
                                    << ".^^."
                                    << ".^^.";
    QTest::newRow("rare han inserted") << "ab"
                                       << "a𠀀b"
                                       << ".."
                                       << ".^^.";
    QTest::newRow("korean deleted") << "한국어"
                                    << "한어"
                                    << ".^."
                                    << "..";
    QTest::newRow("line inserted") << "one\nthree"
                                   << "one\ntwo\nthree"
                                   << "........."
                                   << "....^^^^.....";
    QTest::newRow("line break replaced") << "ab\ncd"
                                         << "ab cd"
                                         << "..^.."
                                         << "..^..";
}

void AlignedCompareTest::marksOnlyWhatChanged()
{
    QFETCH(QString, left);
    QFETCH(QString, right);
    m_panes->load(left, right);
    alignedCompare();
    QTEST(underlineMask(*m_panes->left), "leftMask");
    QTEST(underlineMask(*m_panes->right), "rightMask");
}

void AlignedCompareTest::answersTheHunksItMarked()
{
    m_panes->load(QStringLiteral("中a😀bcd"), QStringLiteral("中a文bcdX"));
    const auto hunks = alignedCompare();
    const std::vector<text::AlignedHunk> expected{{{3, 4}, {3, 2}}, {{10, 0}, {8, 1}}};
    QVERIFY(hunks == expected);
}

void AlignedCompareTest::marksInHighlightSizeAndColour()
{
    m_panes->highlight->FontSize = 14;
    m_panes->highlight->TextColor = 0x000000FF;
    m_panes->highlight->Effects = CharFormat::Bold;
    m_panes->load(QStringLiteral("abcd"), QStringLiteral("abXcd"));
    alignedCompare();
    QCOMPARE(m_panes->highlight->Effects, CharFormat::Underline);
    const QTextCharFormat marked = formatAt(*m_panes->right, 2);
    QVERIFY(marked.fontUnderline());
    QVERIFY(marked.fontWeight() != QFont::Bold);
    QCOMPARE(marked.fontPointSize(), 14.0);
    QCOMPARE(marked.foreground().color(), QColor(Qt::red));
    QVERIFY(!formatAt(*m_panes->right, 1).fontUnderline());
    QVERIFY(!formatAt(*m_panes->right, 3).fontUnderline());
}

void AlignedCompareTest::keepsEarlierMarksAndSelections()
{
    m_panes->load(QStringLiteral("abcdef"), QStringLiteral("abcdXf"));
    const ByteRange earlier{0, 1};
    m_panes->highlight->Effects = CharFormat::Underline;
    m_panes->left->applyCharFormat(std::span(&earlier, 1), *m_panes->highlight);
    m_panes->left->setSelStart(1);
    m_panes->left->setSelLength(2);
    alignedCompare();
    QCOMPARE(underlineMask(*m_panes->left), QStringLiteral("^...^."));
    QCOMPARE(int(m_panes->left->selStart()), 1);
    QCOMPARE(int(m_panes->left->selLength()), 2);
}

void AlignedCompareTest::oneUndoStepPerPaneTakesItBack()
{
    const QString rightText = QStringLiteral("one\ntwo 😁\nthree!\nfour");
    m_panes->load(QStringLiteral("one\ntwo 😀\nthree"), rightText);
    alignedCompare();
    QCOMPARE(underlineMask(*m_panes->left), QStringLiteral("........^^......"));
    QCOMPARE(underlineMask(*m_panes->right), QStringLiteral("........^^......^^^^^^"));

    // One undo in each pane takes every mark of the run back and leaves the text.
    m_panes->left->document()->undo();
    m_panes->right->document()->undo();
    QCOMPARE(underlineMask(*m_panes->left), QStringLiteral("................"));
    QCOMPARE(underlineMask(*m_panes->right), QStringLiteral("......................"));
    QCOMPARE(text::fromCodePage(m_panes->right->context()), rightText);
}

void AlignedCompareTest::editAndCompareAgainMarksTheNewChange()
{
    m_panes->load(QStringLiteral("abcdef"), QStringLiteral("abcXdef"));
    alignedCompare();
    QCOMPARE(underlineMask(*m_panes->right), QStringLiteral("...^..."));
    // The user types the missing letter into the left pane; the next run finds nothing new.
    m_panes->left->setContext(text::toCodePage(QStringLiteral("abcXdef")));
    alignedCompare();
    QCOMPARE(underlineMask(*m_panes->left), QStringLiteral("......."));
    // The right text is written anew, its old mark going with it: only the new change is marked.
    m_panes->right->setContext(text::toCodePage(QStringLiteral("abcXdeYf")));
    alignedCompare();
    QCOMPARE(underlineMask(*m_panes->left), QStringLiteral("......."));
    QCOMPARE(underlineMask(*m_panes->right), QStringLiteral("......^."));
}

QTEST_MAIN(AlignedCompareTest)
#include "tst_alignedcompare.moc"
