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

    void marksOnlyWhatChanged_data();
    void marksOnlyWhatChanged();
    void answersTheHunksItMarked();
    void marksInHighlightSizeAndColour();
    void keepsEarlierMarksAndSelections();
    void oneUndoStepPerPaneTakesItBack();
    void editAndCompareAgainMarksTheNewChange();

private:
    void load(const QString &left, const QString &right)
    {
        m_left->setContext(text::toCodePage(left));
        m_right->setContext(text::toCodePage(right));
    }
    std::vector<text::AlignedHunk> alignedCompare()
    {
        return commands::alignedCompare(*m_left, *m_right, *m_highlight);
    }

    std::unique_ptr<RichEdit> m_left;
    std::unique_ptr<RichEdit> m_right;
    std::unique_ptr<CharFormat> m_highlight;
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
    load(left, right);
    alignedCompare();
    QTEST(underlineMask(*m_left), "leftMask");
    QTEST(underlineMask(*m_right), "rightMask");
}

void AlignedCompareTest::answersTheHunksItMarked()
{
    load(QStringLiteral("中a😀bcd"), QStringLiteral("中a文bcdX"));
    const auto hunks = alignedCompare();
    const std::vector<text::AlignedHunk> expected{{{3, 4}, {3, 2}}, {{10, 0}, {8, 1}}};
    QVERIFY(hunks == expected);
}

void AlignedCompareTest::marksInHighlightSizeAndColour()
{
    m_highlight->FontSize = 14;
    m_highlight->TextColor = 0x000000FF;
    m_highlight->Effects = CharFormat::Bold;
    load(QStringLiteral("abcd"), QStringLiteral("abXcd"));
    alignedCompare();
    QCOMPARE(m_highlight->Effects, CharFormat::Underline);
    const QTextCharFormat marked = formatAt(*m_right, 2);
    QVERIFY(marked.fontUnderline());
    QVERIFY(marked.fontWeight() != QFont::Bold);
    QCOMPARE(marked.fontPointSize(), 14.0);
    QCOMPARE(marked.foreground().color(), QColor(Qt::red));
    QVERIFY(!formatAt(*m_right, 1).fontUnderline());
    QVERIFY(!formatAt(*m_right, 3).fontUnderline());
}

void AlignedCompareTest::keepsEarlierMarksAndSelections()
{
    load(QStringLiteral("abcdef"), QStringLiteral("abcdXf"));
    const ByteRange earlier{0, 1};
    m_highlight->Effects = CharFormat::Underline;
    m_left->applyCharFormat(std::span(&earlier, 1), *m_highlight);
    m_left->setSelStart(1);
    m_left->setSelLength(2);
    alignedCompare();
    QCOMPARE(underlineMask(*m_left), QStringLiteral("^...^."));
    QCOMPARE(int(m_left->selStart()), 1);
    QCOMPARE(int(m_left->selLength()), 2);
}

void AlignedCompareTest::oneUndoStepPerPaneTakesItBack()
{
    const QString rightText = QStringLiteral("one\ntwo 😁\nthree!\nfour");
    load(QStringLiteral("one\ntwo 😀\nthree"), rightText);
    alignedCompare();
    QCOMPARE(underlineMask(*m_left), QStringLiteral("........^^......"));
    QCOMPARE(underlineMask(*m_right), QStringLiteral("........^^......^^^^^^"));

    // One undo in each pane takes every mark of the run back and leaves the text.
    m_left->document()->undo();
    m_right->document()->undo();
    QCOMPARE(underlineMask(*m_left), QStringLiteral("................"));
    QCOMPARE(underlineMask(*m_right), QStringLiteral("......................"));
    QCOMPARE(text::fromCodePage(m_right->context()), rightText);
}

void AlignedCompareTest::editAndCompareAgainMarksTheNewChange()
{
    load(QStringLiteral("abcdef"), QStringLiteral("abcXdef"));
    alignedCompare();
    QCOMPARE(underlineMask(*m_right), QStringLiteral("...^..."));
    // The user types the missing letter into the left pane; the next run finds nothing new.
    m_left->setContext(text::toCodePage(QStringLiteral("abcXdef")));
    alignedCompare();
    QCOMPARE(underlineMask(*m_left), QStringLiteral("......."));
    // The right text is written anew, its old mark going with it: only the new change is marked.
    m_right->setContext(text::toCodePage(QStringLiteral("abcXdeYf")));
    alignedCompare();
    QCOMPARE(underlineMask(*m_left), QStringLiteral("......."));
    QCOMPARE(underlineMask(*m_right), QStringLiteral("......^."));
}

QTEST_MAIN(AlignedCompareTest)
#include "tst_alignedcompare.moc"
