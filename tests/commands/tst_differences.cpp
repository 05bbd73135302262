#include <memory>
#include <optional>

#include <QHBoxLayout>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

#include "commands/compare.h"
#include "commands/differences.h"
#include "panes/bytemap.h"
#include "panes/charformat.h"
#include "panes/paragraphs.h"
#include "panes/richedit.h"
#include "text/codepage.h"

using commands::AlignedPair;
using commands::Direction;
using commands::Side;

Q_DECLARE_METATYPE(ByteRange)
Q_DECLARE_METATYPE(std::optional<ByteRange>)
Q_DECLARE_METATYPE(commands::Direction)
Q_DECLARE_METATYPE(commands::Side)

namespace {

using Runs = std::vector<ByteRange>;
using Pairs = std::vector<AlignedPair>;

// The kind of record an aligned compare hands over.
struct Hunk
{
    ByteRange left;
    ByteRange right;
};

// Numbered lines; a line whose number is in changed gets "CHANGED" in place of "line".
std::string lines(int count, std::initializer_list<int> changed = {}, const char *prefix = "")
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        const bool differs = std::find(changed.begin(), changed.end(), i) != changed.end();
        text += prefix;
        text += differs ? "LINE " : "line ";
        text += std::to_string(i);
        text += '\n';
    }
    return text;
}

// The byte offset at which line number `line` starts in a text made by lines().
int32_t lineStart(const std::string &text, int line)
{
    std::size_t at = 0;
    for (int i = 0; i < line; ++i)
        at = text.find('\n', at) + 1;
    return int32_t(at);
}

// Whether the pane's view shows the character that holds the byte.
bool showsByte(RichEdit &pane, int32_t byte)
{
    const std::string text = pane.context();
    const std::vector<int> softBreaks = paragraphs::plainText(*pane.document()).softBreaks;
    ByteMap map(text, softBreaks);
    QTextCursor cursor(pane.document());
    cursor.setPosition(map.charStartAt(byte));
    const QRect caret = pane.cursorRect(cursor);
    return caret.top() >= 0 && caret.bottom() <= pane.viewport()->height();
}

} // namespace

class TestDifferences : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void runToMoveTo_data();
    void runToMoveTo();
    void matchingByte_data();
    void matchingByte();

    void movesThroughMarksAndWraps();
    void movesInTheRightPane();
    void movesInLongText();
    void withoutMarksNothingMoves();
    void alignedHunksPlaceTheOtherPane();
    void editedTextForgetsAlignedHunks();

private:
    void load(const std::string &left, const std::string &right);
    // Moves and checks: the pane selects the run and shows it, the other pane shows
    // otherByte and keeps its selection, the focus stays on the line edit.
    void moveAndCheck(Side side, Direction direction, ByteRange run, int32_t otherByte);

    std::unique_ptr<QWidget> m_window;
    RichEdit *m_left = nullptr;
    RichEdit *m_right = nullptr;
    QLineEdit *m_elsewhere = nullptr;
    CharFormat m_highlight;
    std::unique_ptr<commands::DifferenceNavigator> m_navigator;
};

void TestDifferences::init()
{
    m_window = std::make_unique<QWidget>();
    auto *layout = new QHBoxLayout(m_window.get());
    m_left = new RichEdit;
    m_right = new RichEdit;
    m_elsewhere = new QLineEdit;
    for (QWidget *widget : {static_cast<QWidget *>(m_left), static_cast<QWidget *>(m_right)})
        widget->setFixedSize(355, 216);
    layout->addWidget(m_left);
    layout->addWidget(m_elsewhere);
    layout->addWidget(m_right);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_window->activateWindow();
    m_elsewhere->setFocus();
    m_highlight = CharFormat{"\xCB\xCE\xCC\xE5", 9, 0, 0, CharFormat::AutomaticColor};
    m_navigator = std::make_unique<commands::DifferenceNavigator>(*m_left, *m_right);
}

void TestDifferences::cleanup()
{
    m_navigator.reset();
    m_window.reset();
}

void TestDifferences::load(const std::string &left, const std::string &right)
{
    m_left->setContext(left);
    m_right->setContext(right);
    commands::compare(*m_left, *m_right, m_highlight);
    // Compare leaves the last difference selected; the moves below start from the top.
    for (RichEdit *pane : {m_left, m_right}) {
        pane->setSelStart(0);
        pane->setSelLength(0);
        pane->verticalScrollBar()->setValue(0);
    }
}

void TestDifferences::moveAndCheck(Side side, Direction direction, ByteRange run, int32_t otherByte)
{
    RichEdit *pane = side == Side::Left ? m_left : m_right;
    RichEdit *other = side == Side::Left ? m_right : m_left;
    const ByteRange otherSelection = other->selection();
    QWidget *focus = QApplication::focusWidget();

    QVERIFY(m_navigator->move(side, direction));
    // The view stays where it went while the rest of a long text is laid out.
    QCoreApplication::processEvents();
    QCOMPARE(pane->selection(), run);
    QVERIFY2(showsByte(*pane, run.start), "the run is out of view");
    QVERIFY2(showsByte(*other, otherByte), "the other pane shows another place");
    QCOMPARE(other->selection(), otherSelection);
    QCOMPARE(QApplication::focusWidget(), focus);
}

void TestDifferences::runToMoveTo_data()
{
    QTest::addColumn<Runs>("runs");
    QTest::addColumn<ByteRange>("selection");
    QTest::addColumn<Direction>("direction");
    QTest::addColumn<std::optional<ByteRange>>("expected");

    const Runs three{{2, 3}, {10, 1}, {20, 4}};
    const auto next = Direction::Next;
    const auto previous = Direction::Previous;
    QTest::newRow("caret at 0, next")
        << three << ByteRange{0, 0} << next << std::optional(ByteRange{2, 3});
    QTest::newRow("caret at 0, previous wraps to the last")
        << three << ByteRange{0, 0} << previous << std::optional(ByteRange{20, 4});
    QTest::newRow("caret at a run's start, next is that run")
        << three << ByteRange{10, 0} << next << std::optional(ByteRange{10, 1});
    QTest::newRow("caret at a run's start, previous is the one before")
        << three << ByteRange{10, 0} << previous << std::optional(ByteRange{2, 3});
    QTest::newRow("caret inside a run, next")
        << three << ByteRange{3, 0} << next << std::optional(ByteRange{10, 1});
    QTest::newRow("caret inside a run, previous is that run")
        << three << ByteRange{3, 0} << previous << std::optional(ByteRange{2, 3});
    QTest::newRow("first run selected, next")
        << three << ByteRange{2, 3} << next << std::optional(ByteRange{10, 1});
    QTest::newRow("middle run selected, previous")
        << three << ByteRange{10, 1} << previous << std::optional(ByteRange{2, 3});
    QTest::newRow("last run selected, next wraps to the first")
        << three << ByteRange{20, 4} << next << std::optional(ByteRange{2, 3});
    QTest::newRow("first run selected, previous wraps to the last")
        << three << ByteRange{2, 3} << previous << std::optional(ByteRange{20, 4});
    QTest::newRow("caret after the last run, next wraps")
        << three << ByteRange{30, 0} << next << std::optional(ByteRange{2, 3});
    QTest::newRow("caret after the last run, previous")
        << three << ByteRange{30, 0} << previous << std::optional(ByteRange{20, 4});
    QTest::newRow("selection over a run's start skips it, next")
        << three << ByteRange{8, 4} << next << std::optional(ByteRange{20, 4});
    QTest::newRow("only run selected, next is itself")
        << Runs{{5, 2}} << ByteRange{5, 2} << next << std::optional(ByteRange{5, 2});
    QTest::newRow("only run selected, previous is itself")
        << Runs{{5, 2}} << ByteRange{5, 2} << previous << std::optional(ByteRange{5, 2});
    QTest::newRow("no runs") << Runs{} << ByteRange{0, 0} << next << std::optional<ByteRange>();
    QTest::newRow("no runs, previous")
        << Runs{} << ByteRange{4, 1} << previous << std::optional<ByteRange>();
}

void TestDifferences::runToMoveTo()
{
    QFETCH(Runs, runs);
    QFETCH(ByteRange, selection);
    QFETCH(Direction, direction);
    QFETCH(std::optional<ByteRange>, expected);

    QCOMPARE(commands::runToMoveTo(runs, selection, direction), expected);
}

void TestDifferences::matchingByte_data()
{
    QTest::addColumn<Pairs>("pairs");
    QTest::addColumn<Side>("side");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("expected");

    // Left bytes 5..7 deleted, right bytes 9..12 inserted, left 20..21 replaced by right 17..21.
    const Pairs pairs{{{5, 3}, {5, 0}}, {{12, 0}, {9, 4}}, {{20, 2}, {17, 5}}};
    const auto left = Side::Left;
    const auto right = Side::Right;
    QTest::newRow("no pairs") << Pairs{} << left << 42 << 42;
    QTest::newRow("before the first pair") << pairs << left << 3 << 3;
    QTest::newRow("deleted text goes to where it was") << pairs << left << 6 << 5;
    QTest::newRow("just after the deletion") << pairs << left << 8 << 5;
    QTest::newRow("between pairs") << pairs << left << 10 << 7;
    QTest::newRow("at an insertion: after the inserted text") << pairs << left << 12 << 13;
    QTest::newRow("replaced text, first byte") << pairs << left << 20 << 17;
    QTest::newRow("replaced text, second byte") << pairs << left << 21 << 18;
    QTest::newRow("after the last pair") << pairs << left << 25 << 25;
    QTest::newRow("right: before the first pair") << pairs << right << 2 << 2;
    QTest::newRow("right: at a deletion, after the deleted text") << pairs << right << 5 << 8;
    QTest::newRow("right: inserted text goes to where it came in") << pairs << right << 11 << 12;
    QTest::newRow("right: replacement longer than the original") << pairs << right << 21 << 22;
    QTest::newRow("right: after the last pair") << pairs << right << 30 << 30;
}

void TestDifferences::matchingByte()
{
    QFETCH(Pairs, pairs);
    QFETCH(Side, side);
    QFETCH(int, position);
    QFETCH(int, expected);

    QCOMPARE(commands::matchingByte(pairs, side, position), expected);
}

void TestDifferences::movesThroughMarksAndWraps()
{
    // Two hundred lines; differences in lines 5, 100 and 190, each "line" against "LINE".
    const std::string left = lines(200);
    const std::string right = lines(200, {5, 100, 190});
    load(left, right);
    const ByteRange first{lineStart(left, 5), 4};
    const ByteRange second{lineStart(left, 100), 4};
    const ByteRange third{lineStart(left, 190), 4};
    QCOMPARE(m_left->markedRanges(), (Runs{first, second, third}));

    moveAndCheck(Side::Left, Direction::Next, first, first.start);
    moveAndCheck(Side::Left, Direction::Next, second, second.start);
    moveAndCheck(Side::Left, Direction::Next, third, third.start);
    moveAndCheck(Side::Left, Direction::Next, first, first.start);
    moveAndCheck(Side::Left, Direction::Previous, third, third.start);
    moveAndCheck(Side::Left, Direction::Previous, second, second.start);
    moveAndCheck(Side::Left, Direction::Previous, first, first.start);
}

void TestDifferences::movesInTheRightPane()
{
    // The right text is longer: past the left text's end every byte differs. The four-byte
    // characters make byte and character positions part ways.
    const std::string left = lines(60, {}, "\x95\x32\x82\x36 ");
    std::string right = lines(60, {30}, "\x95\x32\x82\x36 ");
    right += lines(40);
    load(left, right);
    const ByteRange changed{lineStart(left, 30) + 5, 4};
    const ByteRange tail{int32_t(left.size()), int32_t(right.size() - left.size())};
    // Compare marks the right text's bytes beyond the left text in the right pane.
    QCOMPARE(m_right->markedRanges(), (Runs{changed, tail}));

    moveAndCheck(Side::Right, Direction::Previous, tail, tail.start);
    // The left text ends before the run: the left pane shows its end.
    QVERIFY(showsByte(*m_left, int32_t(left.size())));
    moveAndCheck(Side::Right, Direction::Previous, changed, changed.start);
    moveAndCheck(Side::Right, Direction::Next, tail, tail.start);
    moveAndCheck(Side::Right, Direction::Next, changed, changed.start);
}

void TestDifferences::movesInLongText()
{
    // About a megabyte, held by the pane in grouped paragraphs, with a Korean syllable (four
    // bytes) on every line; differences near the start, in the middle and at the end.
    const int count = 40000;
    const std::string left = lines(count, {}, "\x83\x36\x84\x33 ");
    const std::string right = lines(count, {3, count / 2, count - 1}, "\x83\x36\x84\x33 ");
    load(left, right);
    const ByteRange first{lineStart(left, 3) + 5, 4};
    const ByteRange middle{lineStart(left, count / 2) + 5, 4};
    const ByteRange last{lineStart(left, count - 1) + 5, 4};
    QCOMPARE(m_left->markedRanges(), (Runs{first, middle, last}));

    moveAndCheck(Side::Left, Direction::Previous, last, last.start);
    moveAndCheck(Side::Left, Direction::Next, first, first.start);
    moveAndCheck(Side::Left, Direction::Next, middle, middle.start);
    m_right->setSelStart(middle.start + 10);
    m_right->setSelLength(0);
    moveAndCheck(Side::Right, Direction::Previous, middle, middle.start);
    moveAndCheck(Side::Right, Direction::Previous, first, first.start);
}

void TestDifferences::withoutMarksNothingMoves()
{
    load(lines(100), lines(100));
    m_left->setSelStart(40);
    m_left->setSelLength(3);
    m_left->verticalScrollBar()->setValue(50);
    const int scrolled = m_left->verticalScrollBar()->value();
    for (Direction direction : {Direction::Next, Direction::Previous}) {
        QVERIFY(!m_navigator->move(Side::Left, direction));
        QCOMPARE(m_left->selection(), (ByteRange{40, 3}));
        QCOMPARE(m_left->verticalScrollBar()->value(), scrolled);
        QCOMPARE(m_right->verticalScrollBar()->value(), 0);
    }
}

void TestDifferences::alignedHunksPlaceTheOtherPane()
{
    // Fifty lines inserted on the right after line 100; line 150 changed on the left.
    const std::string left = lines(200, {150});
    std::string right = lines(200);
    const int32_t insertAt = lineStart(right, 100);
    const std::string inserted = lines(50, {}, "new ");
    right.insert(std::size_t(insertAt), inserted);
    const int32_t length = int32_t(inserted.size());
    m_left->setContext(left);
    m_right->setContext(right);
    const ByteRange changedLeft{lineStart(left, 150), 4};
    const ByteRange changedRight{changedLeft.start + length, 4};
    m_highlight.Effects = CharFormat::Underline;
    m_left->applyCharFormat(std::vector<ByteRange>{changedLeft}, m_highlight);
    m_right->applyCharFormat(std::vector<ByteRange>{{insertAt, length}, changedRight}, m_highlight);

    const std::vector<Hunk> hunks{{{insertAt, 0}, {insertAt, length}}, {changedLeft, changedRight}};
    m_navigator->setAlignedHunks(hunks);
    QCOMPARE(m_navigator->alignedPairs().size(), std::size_t(2));

    moveAndCheck(Side::Left, Direction::Next, changedLeft, changedRight.start);
    QVERIFY(!showsByte(*m_right, changedLeft.start));
    moveAndCheck(Side::Right, Direction::Next, {insertAt, length}, insertAt);
    moveAndCheck(Side::Right, Direction::Next, changedRight, changedLeft.start);

    // After an ordinary Compare the panes match byte for byte again.
    m_navigator->forgetAlignedHunks();
    m_right->verticalScrollBar()->setValue(0);
    moveAndCheck(Side::Left, Direction::Next, changedLeft, changedLeft.start);
    QVERIFY(!showsByte(*m_right, changedRight.start));
}

void TestDifferences::editedTextForgetsAlignedHunks()
{
    // Sixty lines inserted at the start of the right text; line 150 changed on the left.
    const std::string left = lines(200, {150});
    const std::string right = lines(60, {}, "new ") + lines(200);
    m_left->setContext(left);
    m_right->setContext(right);
    const int32_t shift = int32_t(right.size() - left.size());
    const ByteRange changedLeft{lineStart(left, 150), 4};
    m_highlight.Effects = CharFormat::Underline;
    m_left->applyCharFormat(std::vector<ByteRange>{changedLeft}, m_highlight);
    m_navigator->setAlignedHunks(
        std::vector<Hunk>{{{0, 0}, {0, shift}}, {changedLeft, {changedLeft.start + shift, 4}}});
    moveAndCheck(Side::Left, Direction::Next, changedLeft, changedLeft.start + shift);

    // A line typed into the right pane: the hunks no longer describe the texts.
    QTextCursor end(m_right->document());
    end.movePosition(QTextCursor::End);
    end.insertText(QStringLiteral("typed\n"));
    m_right->verticalScrollBar()->setValue(0);
    moveAndCheck(Side::Left, Direction::Next, changedLeft, changedLeft.start);
    QVERIFY(!showsByte(*m_right, changedLeft.start + shift));
}

QTEST_MAIN(TestDifferences)
#include "tst_differences.moc"
