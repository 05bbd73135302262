#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include "panes/charformat.h"
#include "panes/paragraphs.h"
#include "panes/richedit.h"
#include "text/codepage.h"

namespace {

std::string bytesOf(const QString &text)
{
    return text::toCodePage(text);
}

// The characters of the pane's live selection.
QString selectedText(const RichEdit &pane)
{
    return pane.selectionCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n');
}

// Runs the pane's context menu and chooses the editing entry of this name in it.
void chooseFromContextMenu(RichEdit &pane, const QString &entry)
{
    QTimer::singleShot(0, &pane, [entry] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        auto *action = menu->findChild<QAction *>(entry);
        if (!action) {
            menu->close();
            QFAIL(qPrintable(entry));
        }
        QVERIFY(action->isEnabled());
        menu->setActiveAction(action);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    const QPoint inside(5, 5);
    QContextMenuEvent event(QContextMenuEvent::Keyboard, inside,
                            pane.viewport()->mapToGlobal(inside));
    QApplication::sendEvent(pane.viewport(), &event);
}

CharFormat underline()
{
    CharFormat format;
    format.FontName = "\xCB\xCE\xCC\xE5";
    format.FontSize = 9;
    format.Effects = CharFormat::Underline;
    format.TextColor = CharFormat::AutomaticColor;
    return format;
}

} // namespace

class RichEditTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_pane = std::make_unique<RichEdit>(); }
    void cleanup() { m_pane.reset(); }

    void storedSelection_data();
    void storedSelection();
    void userSelectionDoesNotMoveStoredStart();
    void byteRangesSelectWholeCharacters_data();
    void byteRangesSelectWholeCharacters();
    void contextRoundTrip_data();
    void contextRoundTrip();
    void lineEndingsReadAsLineFeed();
    void emptyPaneReadsEmpty();
    void writeIsUndoable();
    void writtenTextHasDefaultFormat();
    void sizeKeepingMarkOverMergingFragments();
    void selectionHiddenWithoutFocus();
    void protectedTextRefusesEditsButNotFormats();
    void protectedTextRefusesEveryWayIn_data();
    void protectedTextRefusesEveryWayIn();
    void refusedEditKeepsEarlierTypingAndUndo();
    void undoThatRemovesProtectedTextIsRefused();
    void dragSelectsWholeWordsOutsideFirstWord_data();
    void dragSelectsWholeWordsOutsideFirstWord();
    void pasteInsertsPlainText();
    void longLinesReadBackExactly_data();
    void longLinesReadBackExactly();
    void editsNextToSoftBreaks_data();
    void editsNextToSoftBreaks();
    void copyAcrossSoftBreakKeepsTheText();
    void removalFromParagraphStartKeepsItsBreak_data();
    void removalFromParagraphStartKeepsItsBreak();
    void byteRangesAcrossSoftBreaks();
    void scrollToByteShowsItInALongLine_data();
    void scrollToByteShowsItInALongLine();

private:
    // Makes the bytes from start on protected, as the protect effect of a format does.
    void protect(int32_t start, int32_t length)
    {
        CharFormat format = underline();
        format.Effects = CharFormat::Protected;
        m_pane->setSelStart(start);
        m_pane->setSelLength(length);
        m_pane->applyCharFormat(format);
    }

    std::unique_ptr<RichEdit> m_pane;
};

// A sequence of SelStart/SelLength writes on "abcdefghij" (10 bytes).
void RichEditTest::storedSelection_data()
{
    QTest::addColumn<QList<int>>("writes"); // pairs: 0 = SelStart, 1 = SelLength, then value
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("storedStart");
    QTest::addColumn<int>("storedLength");

    QTest::newRow("start alone leaves a caret") << QList<int>{0, 5} << 5 << 0 << 5 << 0;
    QTest::newRow("start then length") << QList<int>{0, 5, 1, 3} << 5 << 3 << 5 << 3;
    QTest::newRow("length -1 selects all") << QList<int>{1, -1} << 0 << 10 << 0 << -1;
    QTest::newRow("start after -1 still all") << QList<int>{1, -1, 0, 2} << 0 << 10 << 2 << -1;
    QTest::newRow("length after -1 from stored start")
        << QList<int>{1, -1, 0, 2, 1, 1} << 2 << 1 << 2 << 1;
    QTest::newRow("length -7 counts as -1") << QList<int>{1, -7} << 0 << 10 << 0 << -1;
    QTest::newRow("negative start counts as 0") << QList<int>{0, -2, 1, 2} << 0 << 2 << 0 << 2;
    QTest::newRow("range past the end") << QList<int>{0, 20, 1, 3} << 10 << 0 << 20 << 3;
    QTest::newRow("range over the end") << QList<int>{0, 8, 1, 5} << 8 << 2 << 8 << 5;
}

void RichEditTest::storedSelection()
{
    QFETCH(QList<int>, writes);
    m_pane->setContext("abcdefghij");
    for (qsizetype i = 0; i + 1 < writes.size(); i += 2) {
        if (writes[i] == 0)
            m_pane->setSelStart(writes[i + 1]);
        else
            m_pane->setSelLength(writes[i + 1]);
    }
    QTEST(int(m_pane->selStart()), "start");
    QTEST(int(m_pane->selLength()), "length");
    QTEST(int(m_pane->storedStart()), "storedStart");
    QTEST(int(m_pane->storedLength()), "storedLength");
}

void RichEditTest::userSelectionDoesNotMoveStoredStart()
{
    m_pane->setContext("abcdefghijklmnop");
    m_pane->setSelStart(5);
    QTextCursor cursor = m_pane->textCursor();
    cursor.setPosition(10);
    m_pane->setTextCursor(cursor); // the user clicks elsewhere
    m_pane->setSelLength(2);
    QCOMPARE(selectedText(*m_pane), QStringLiteral("fg"));
}

void RichEditTest::byteRangesSelectWholeCharacters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("selected");

    QTest::newRow("ascii") << "abcdef" << 2 << 3 << "cde";
    QTest::newRow("chinese whole") << "中文abc" << 2 << 2 << "文";
    QTest::newRow("chinese trail byte") << "中文abc" << 1 << 1 << "中";
    QTest::newRow("chinese two halves") << "中文abc" << 1 << 2 << "中文";
    QTest::newRow("line break is one byte") << "ab\ncd" << 2 << 2 << "\nc";
    QTest::newRow("emoji is four bytes") << "a😀b" << 1 << 4 << "😀";
    QTest::newRow("emoji middle byte") << "a😀b" << 3 << 1 << "😀";
    QTest::newRow("after emoji") << "a😀b" << 5 << 1 << "b";
    QTest::newRow("four-byte BMP char") << "x€\u00A0y" << 3 << 4 << "\u00A0";
    QTest::newRow("empty range") << "中文" << 2 << 0 << "";
}

void RichEditTest::byteRangesSelectWholeCharacters()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, length);
    m_pane->setContext(bytesOf(text));
    m_pane->setSelStart(start);
    m_pane->setSelLength(length);
    QTEST(selectedText(*m_pane), "selected");
}

void RichEditTest::contextRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii") << "hello world";
    QTest::newRow("chinese") << "比较两段文本。";
    QTest::newRow("emoji and rare") << "😀 𠀀 \u00A0 \u20AC";
    QTest::newRow("tabs and lines") << "a\tb\n\nc\n";
    QTest::newRow("right-to-left and combining") << "\u200Fשלום e\u0301";
}

void RichEditTest::contextRoundTrip()
{
    QFETCH(QString, text);
    const std::string bytes = bytesOf(text);
    m_pane->setContext(bytes);
    QCOMPARE(m_pane->context(), bytes);
    QCOMPARE(int(m_pane->textLength()), int(bytes.size()));
    m_pane->setContext(m_pane->context());
    QCOMPARE(m_pane->context(), bytes);
}

void RichEditTest::lineEndingsReadAsLineFeed()
{
    m_pane->setContext("a\r\nb\rc\nd");
    QCOMPARE(m_pane->context(), std::string("a\nb\nc\nd"));
}

void RichEditTest::emptyPaneReadsEmpty()
{
    m_pane->setContext("abc");
    m_pane->setContext({});
    QCOMPARE(m_pane->context(), std::string());
    QCOMPARE(int(m_pane->textLength()), 0);
}

void RichEditTest::writeIsUndoable()
{
    m_pane->setContext("first");
    m_pane->setContext("second");
    m_pane->undo();
    QCOMPARE(m_pane->context(), std::string("first"));
    m_pane->setContext({});
    m_pane->undo();
    QCOMPARE(m_pane->context(), std::string("first"));
}

void RichEditTest::writtenTextHasDefaultFormat()
{
    m_pane->setContext("abc");
    m_pane->setSelStart(0);
    m_pane->setSelLength(3);
    m_pane->applyCharFormat(underline());
    m_pane->setContext("xyz");
    for (QTextBlock::iterator it = m_pane->document()->begin().begin(); !it.atEnd(); ++it) {
        QVERIFY(!it.fragment().charFormat().fontUnderline());
        QVERIFY(!it.fragment().charFormat().hasProperty(QTextFormat::ForegroundBrush));
    }
    QVERIFY(!m_pane->document()->begin().charFormat().fontUnderline());
}

void RichEditTest::sizeKeepingMarkOverMergingFragments()
{
    // A mark without a size (the size list's empty item) keeps each character's size, fragment
    // by fragment; marking one fragment makes it equal to its marked neighbours.
    CharFormat keepSize = underline();
    keepSize.FontSize = 0;
    CharFormat large = underline();
    large.FontSize = 12;
    m_pane->setContext("abcdefgh");
    const std::vector<ByteRange> scattered = {{1, 1}, {3, 1}, {5, 1}};
    m_pane->applyCharFormat(scattered, keepSize);
    const std::vector<ByteRange> third = {{2, 1}};
    m_pane->applyCharFormat(third, large);
    const std::vector<ByteRange> all = {{0, 8}};
    m_pane->applyCharFormat(all, keepSize);

    QTextCursor cursor(m_pane->document());
    for (int position = 0; position < 8; ++position) {
        cursor.setPosition(position + 1);
        QVERIFY2(cursor.charFormat().fontUnderline(), qPrintable(QString::number(position)));
        QCOMPARE(cursor.charFormat().font().pointSize(), position == 2 ? 12 : 9);
    }
}

void RichEditTest::selectionHiddenWithoutFocus()
{
    QWidget window;
    auto *pane = new RichEdit(&window);
    auto *other = new QLineEdit(&window);
    other->move(0, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    other->setFocus();
    pane->setContext("abcdef");
    pane->setSelStart(1);
    pane->setSelLength(2);
    QVERIFY(!pane->textCursor().hasSelection()); // nothing drawn
    QCOMPARE(pane->selectionCursor().selectedText(), QStringLiteral("bc"));
    pane->setFocus();
    QTRY_VERIFY(pane->hasFocus());
    QCOMPARE(pane->textCursor().selectedText(), QStringLiteral("bc"));
    other->setFocus();
    QTRY_VERIFY(!pane->hasFocus());
    QVERIFY(!pane->textCursor().hasSelection());
    QCOMPARE(int(pane->selStart()), 1);
    QCOMPARE(int(pane->selLength()), 2);
}

void RichEditTest::protectedTextRefusesEditsButNotFormats()
{
    m_pane->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pane.get()));
    m_pane->setFocus();
    m_pane->setContext("abcdef");
    protect(2, 2);

    QTextCursor cursor = m_pane->textCursor();
    cursor.setPosition(3); // between the two protected characters
    m_pane->setTextCursor(cursor);
    QTest::keyClick(m_pane.get(), Qt::Key_X);
    QTest::keyClick(m_pane.get(), Qt::Key_Backspace);
    QCOMPARE(m_pane->context(), std::string("abcdef"));

    cursor.setPosition(1);
    m_pane->setTextCursor(cursor);
    QTest::keyClick(m_pane.get(), Qt::Key_Y); // outside the protected characters
    QCOMPARE(m_pane->context(), std::string("aybcdef"));

    m_pane->setSelStart(3); // a format change is still allowed
    m_pane->setSelLength(2);
    m_pane->applyCharFormat(underline());
    cursor.setPosition(4);
    QVERIFY(cursor.charFormat().fontUnderline());
}

// "one two three" with "two" (characters 4 to 6) protected.
void RichEditTest::protectedTextRefusesEveryWayIn_data()
{
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("text");

    const QString unchanged = QStringLiteral("one two three");
    QTest::newRow("Ctrl+Backspace after the word") << 7 << 7 << "DeleteStartOfWord" << unchanged;
    QTest::newRow("Ctrl+Delete before the word") << 4 << 4 << "DeleteEndOfWord" << unchanged;
    QTest::newRow("Ctrl+Backspace inside the word") << 6 << 6 << "DeleteStartOfWord" << unchanged;
    QTest::newRow("Ctrl+Backspace after the word and a space")
        << 8 << 8 << "DeleteStartOfWord" << unchanged;
    QTest::newRow("menu Cut over the word") << 2 << 9 << "menu edit-cut" << unchanged;
    QTest::newRow("menu Delete within the word") << 5 << 6 << "menu edit-delete" << unchanged;
    QTest::newRow("typing right after the word") << 7 << 7 << "type x" << unchanged;
    QTest::newRow("Ctrl+Backspace before the word")
        << 3 << 3 << "DeleteStartOfWord" << QStringLiteral(" two three");
    QTest::newRow("Ctrl+Delete of the space before the word")
        << 3 << 3 << "DeleteEndOfWord" << QStringLiteral("onetwo three");
    QTest::newRow("menu Delete after the word")
        << 8 << 13 << "menu edit-delete" << QStringLiteral("one two ");
    QTest::newRow("typing right before the word")
        << 4 << 4 << "type x" << QStringLiteral("one xtwo three");
}

void RichEditTest::protectedTextRefusesEveryWayIn()
{
    QFETCH(int, anchor);
    QFETCH(int, position);
    QFETCH(QString, action);

    m_pane->show();
    QVERIFY(QTest::qWaitForWindowActive(m_pane.get()));
    m_pane->setFocus();
    m_pane->setContext("one two three");
    protect(4, 3);

    QTextCursor cursor = m_pane->textCursor();
    cursor.setPosition(anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    m_pane->setTextCursor(cursor);

    const QStringList words = action.split(' ');
    if (words[0] == "menu") {
        chooseFromContextMenu(*m_pane, words[1]);
    } else if (words[0] == "type") {
        QTest::keyClicks(m_pane.get(), words[1]);
    } else {
        const QMap<QString, QKeySequence::StandardKey> keys = {
            {"DeleteStartOfWord", QKeySequence::DeleteStartOfWord},
            {"DeleteEndOfWord", QKeySequence::DeleteEndOfWord}};
        QVERIFY(!QKeySequence::keyBindings(keys.value(action)).isEmpty());
        QTest::keySequence(m_pane.get(), QKeySequence(keys.value(action)));
    }
    QTEST(QString::fromStdString(m_pane->context()), "text");
    // The protected characters keep their protection.
    QTextCursor probe(m_pane->document());
    probe.setPosition(m_pane->context().find("two") + 2);
    QVERIFY(probe.charFormat().boolProperty(QTextFormat::UserProperty + 1));
}

void RichEditTest::refusedEditKeepsEarlierTypingAndUndo()
{
    m_pane->show();
    QVERIFY(QTest::qWaitForWindowActive(m_pane.get()));
    m_pane->setFocus();
    m_pane->setContext("one two three");
    protect(4, 3);

    QTextCursor cursor = m_pane->textCursor();
    cursor.setPosition(0);
    m_pane->setTextCursor(cursor);
    QTest::keyClicks(m_pane.get(), "ab");
    cursor.setPosition(9); // right after "two"
    m_pane->setTextCursor(cursor);
    QTest::keySequence(m_pane.get(), QKeySequence(QKeySequence::DeleteStartOfWord));
    QCOMPARE(m_pane->context(), std::string("abone two three"));
    // The refused edit left nothing to redo, and undo still takes back the typing (while the
    // pane holds protected text, one character a step).
    QVERIFY(!m_pane->document()->isRedoAvailable());
    QTest::keySequence(m_pane.get(), QKeySequence(QKeySequence::Undo));
    QCOMPARE(m_pane->context(), std::string("aone two three"));
    QTest::keySequence(m_pane.get(), QKeySequence(QKeySequence::Undo));
    QCOMPARE(m_pane->context(), std::string("one two three"));
}

void RichEditTest::undoThatRemovesProtectedTextIsRefused()
{
    m_pane->show();
    QVERIFY(QTest::qWaitForWindowActive(m_pane.get()));
    m_pane->setFocus();
    QTest::keyClicks(m_pane.get(), "typed");
    protect(0, 5);

    QTest::keySequence(m_pane.get(), QKeySequence(QKeySequence::Undo)); // the format: passes
    QTest::keySequence(m_pane.get(), QKeySequence(QKeySequence::Undo)); // the typing
    QCOMPARE(m_pane->context(), std::string("typed"));
}

void RichEditTest::dragSelectsWholeWordsOutsideFirstWord_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("from");
    QTest::addColumn<QList<int>>("path");
    QTest::addColumn<int>("selectionStart");
    QTest::addColumn<int>("selectionEnd");

    const QString hello = QStringLiteral("hello world again");
    QTest::newRow("within the first word") << hello << 1 << QList<int>{3} << 1 << 3;
    QTest::newRow("into the next word") << hello << 1 << QList<int>{9} << 0 << 11;
    QTest::newRow("into the third word") << hello << 1 << QList<int>{14} << 0 << 17;
    QTest::newRow("backwards into the word before") << hello << 8 << QList<int>{2} << 0 << 11;
    QTest::newRow("out and back into the first word") << hello << 1 << QList<int>{9, 3} << 1 << 3;
    QTest::newRow("Chinese and Korean words")
        << QStringLiteral("你好 세계 😀x") << 0 << QList<int>{4} << 0 << 5;
}

void RichEditTest::dragSelectsWholeWordsOutsideFirstWord()
{
    QFETCH(QString, text);
    QFETCH(int, from);
    QFETCH(QList<int>, path);

    m_pane->resize(400, 100);
    m_pane->show();
    QVERIFY(QTest::qWaitForWindowActive(m_pane.get()));
    m_pane->setContext(bytesOf(text));
    const auto pointAt = [this](int position) {
        QTextCursor cursor(m_pane->document());
        cursor.setPosition(position);
        const QRect caret = m_pane->cursorRect(cursor);
        return QPoint(caret.left() + 1, caret.center().y());
    };
    QWidget *viewport = m_pane->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, pointAt(from));
    for (int position : path) {
        QMouseEvent move(QEvent::MouseMove, pointAt(position),
                         viewport->mapToGlobal(pointAt(position)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
    }
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, pointAt(path.last()));
    QTEST(m_pane->textCursor().selectionStart(), "selectionStart");
    QTEST(m_pane->textCursor().selectionEnd(), "selectionEnd");
}

void RichEditTest::pasteInsertsPlainText()
{
    auto *data = new QMimeData;
    data->setHtml(QStringLiteral("<b>bold</b>"));
    data->setText(QStringLiteral("bold"));
    QApplication::clipboard()->setMimeData(data);
    m_pane->paste();
    QCOMPARE(m_pane->context(), std::string("bold"));
    QTextCursor cursor(m_pane->document());
    cursor.setPosition(2);
    QCOMPARE(cursor.charFormat().fontWeight(), int(QFont::Normal));
}

namespace {

// A line of the given characters repeated, without a space or a line break.
QString unbroken(const QString &unit, int repeats)
{
    return unit.repeated(repeats);
}

// The longest paragraph of the pane, in characters.
int longestParagraph(const RichEdit &pane)
{
    int longest = 0;
    for (QTextBlock block = pane.document()->begin(); block.isValid(); block = block.next())
        longest = std::max(longest, block.length() - 1);
    return longest;
}

// Shows the pane and gives it the focus, so its selection is the live one.
bool focus(RichEdit &pane)
{
    pane.show();
    pane.activateWindow();
    if (!QTest::qWaitForWindowActive(&pane))
        return false;
    pane.setFocus();
    return pane.hasFocus();
}

// The document position of the first soft break's block, whose start is just after the break.
int firstSoftBlockStart(const RichEdit &pane)
{
    for (QTextBlock block = pane.document()->begin(); block.isValid(); block = block.next()) {
        if (paragraphs::startsSoftly(block))
            return block.position();
    }
    return -1;
}

} // namespace

// A long line is held in short paragraphs, so no edit lays out more than a few thousand
// characters, yet it reads back byte for byte, whichever way it came in.
void RichEditTest::longLinesReadBackExactly_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("pasted");

    const QString letters = unbroken(QStringLiteral("abcdefghijklmnopqrstuvwxyz"), 4000);
    const QString fourByte = unbroken(QStringLiteral("😀외𠀀a"), 9000); // surrogate pairs, Korean
    const QString prose = unbroken(QStringLiteral("word and words "), 7000);
    const QString mixed = QStringLiteral("first\n") + letters + QStringLiteral("\r\nlast\n") +
                          unbroken(QStringLiteral("中文"), 20000) + QStringLiteral("\n\nend");
    for (bool pasted : {false, true}) {
        const char *how = pasted ? " pasted" : " written";
        QTest::newRow(QByteArray("letters") + how) << letters << pasted;
        QTest::newRow(QByteArray("four-byte characters") + how) << fourByte << pasted;
        QTest::newRow(QByteArray("words without a line break") + how) << prose << pasted;
        QTest::newRow(QByteArray("long lines among short ones") + how) << mixed << pasted;
    }
}

void RichEditTest::longLinesReadBackExactly()
{
    QFETCH(QString, text);
    QFETCH(bool, pasted);
    QString expected = text;
    expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (pasted) {
        m_pane->setContext("before after");
        QTextCursor cursor = m_pane->textCursor();
        cursor.setPosition(7);
        m_pane->setTextCursor(cursor);
        QApplication::clipboard()->setText(text);
        m_pane->paste();
        expected = QStringLiteral("before ") + expected + QStringLiteral("after");
    } else {
        m_pane->setContext(bytesOf(text));
    }
    QCOMPARE(m_pane->context(), bytesOf(expected));
    QCOMPARE(m_pane->textLength(), int32_t(bytesOf(expected).size()));
    QVERIFY2(longestParagraph(*m_pane) <= 4096, "a paragraph is too long to lay out quickly");
    // Undo gives back what was there before, in one step.
    m_pane->document()->undo();
    QCOMPARE(m_pane->context(), pasted ? std::string("before after") : std::string());
}

// Keys next to a soft break act on the text the user sees, where there is no break.
void RichEditTest::editsNextToSoftBreaks_data()
{
    QTest::addColumn<bool>("atBlockStart"); // else at the end of the block before
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("removedBefore"); // bytes removed before the caret's byte offset
    QTest::addColumn<int>("removedAfter");
    QTest::addColumn<QString>("inserted");

    QTest::newRow("Backspace after the break")
        << true << int(Qt::Key_Backspace) << 1 << 0 << QString();
    QTest::newRow("Delete before the break") << false << int(Qt::Key_Delete) << 0 << 1 << QString();
    QTest::newRow("Backspace before the break")
        << false << int(Qt::Key_Backspace) << 1 << 0 << QString();
    QTest::newRow("Delete after the break") << true << int(Qt::Key_Delete) << 0 << 1 << QString();
    QTest::newRow("Enter after the break")
        << true << int(Qt::Key_Return) << 0 << 0 << QStringLiteral("\n");
    QTest::newRow("Enter before the break")
        << false << int(Qt::Key_Return) << 0 << 0 << QStringLiteral("\n");
    QTest::newRow("typing after the break")
        << true << int(Qt::Key_X) << 0 << 0 << QStringLiteral("x");
}

void RichEditTest::editsNextToSoftBreaks()
{
    QFETCH(bool, atBlockStart);
    QFETCH(int, key);
    QFETCH(int, removedBefore);
    QFETCH(int, removedAfter);
    QFETCH(QString, inserted);

    const std::string original = bytesOf(unbroken(QStringLiteral("0123456789"), 1000));
    m_pane->setContext(original);
    QVERIFY(focus(*m_pane));
    const int blockStart = firstSoftBlockStart(*m_pane);
    QVERIFY(blockStart > 0);
    QTextCursor cursor = m_pane->textCursor();
    cursor.setPosition(atBlockStart ? blockStart : blockStart - 1);
    m_pane->setTextCursor(cursor);
    const int offset = m_pane->selStart();
    QCOMPARE(offset, blockStart - 1); // one byte a character, the break not counted

    QTest::keyClick(m_pane.get(), Qt::Key(key));
    std::string expected = original;
    expected.erase(std::size_t(offset - removedBefore), std::size_t(removedBefore + removedAfter));
    expected.insert(std::size_t(offset - removedBefore), bytesOf(inserted));
    QCOMPARE(m_pane->context(), expected);

    // The line break typed is a real one: it survives the text's way out and back in.
    m_pane->setContext(m_pane->context());
    QCOMPARE(m_pane->context(), expected);
    m_pane->document()->undo();
    m_pane->document()->undo();
    QCOMPARE(m_pane->context(), original);
}

void RichEditTest::copyAcrossSoftBreakKeepsTheText()
{
    const std::string original = bytesOf(unbroken(QStringLiteral("中abc"), 2000));
    m_pane->setContext(original);
    QVERIFY(focus(*m_pane));
    const int blockStart = firstSoftBlockStart(*m_pane);
    QVERIFY(blockStart > 0);
    QTextCursor cursor = m_pane->textCursor();
    cursor.setPosition(blockStart - 3);
    cursor.setPosition(blockStart + 3, QTextCursor::KeepAnchor);
    m_pane->setTextCursor(cursor);
    const int32_t start = m_pane->selStart();
    const int32_t length = m_pane->selLength();
    m_pane->copy();
    QCOMPARE(bytesOf(QApplication::clipboard()->text()), original.substr(start, length));

    // Pasted back over the selection, the text is unchanged.
    m_pane->paste();
    QCOMPARE(m_pane->context(), original);

    // Line breaks pasted into a paragraph after a soft break stay line breaks.
    m_pane->setContext(original);
    cursor = m_pane->textCursor();
    cursor.setPosition(firstSoftBlockStart(*m_pane) + 10);
    m_pane->setTextCursor(cursor);
    const int32_t at = m_pane->selStart();
    QApplication::clipboard()->setText(QStringLiteral("x\ny\n"));
    m_pane->paste();
    std::string expected = original;
    expected.insert(std::size_t(at), "x\ny\n");
    QCOMPARE(m_pane->context(), expected);
    m_pane->setContext(m_pane->context());
    QCOMPARE(m_pane->context(), expected);
}

// A selection from the start of a paragraph into a later one, deleted or typed over: the break
// before the first paragraph keeps its kind, whichever kind the later paragraph's break was.
void RichEditTest::removalFromParagraphStartKeepsItsBreak_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("fromBlock"); // the selection starts where this paragraph starts
    QTest::addColumn<int>("toBlock");   // and ends two characters into this one
    QTest::addColumn<int>("key");

    const QString line = unbroken(QStringLiteral("abcdefghij"), 500); // cut by soft breaks
    QTest::newRow("line break, then into a cut line, Delete")
        << QStringLiteral("first\n") + line << 1 << 3 << int(Qt::Key_Delete);
    QTest::newRow("line break, then into a cut line, typed over")
        << QStringLiteral("first\n") + line << 1 << 3 << int(Qt::Key_X);
    QTest::newRow("soft break, then into a line after a line break, Delete")
        << line + QStringLiteral("\nlast") << 1 << 4 << int(Qt::Key_Delete);
    QTest::newRow("soft break, then into a line after a line break, Enter")
        << line + QStringLiteral("\nlast") << 1 << 4 << int(Qt::Key_Return);
}

void RichEditTest::removalFromParagraphStartKeepsItsBreak()
{
    QFETCH(QString, text);
    QFETCH(int, fromBlock);
    QFETCH(int, toBlock);
    QFETCH(int, key);

    const std::string original = bytesOf(text);
    m_pane->setContext(original);
    QVERIFY(focus(*m_pane));
    QTextDocument *document = m_pane->document();
    QVERIFY(document->blockCount() > toBlock);
    QTextCursor cursor(document);
    cursor.setPosition(document->findBlockByNumber(fromBlock).position());
    cursor.setPosition(document->findBlockByNumber(toBlock).position() + 2,
                       QTextCursor::KeepAnchor);
    m_pane->setTextCursor(cursor);
    const int32_t start = m_pane->selStart();
    const int32_t length = m_pane->selLength();

    QTest::keyClick(m_pane.get(), Qt::Key(key));
    std::string expected = original;
    const char *typed = key == Qt::Key_X ? "x" : key == Qt::Key_Return ? "\n" : "";
    expected.replace(std::size_t(start), std::size_t(length), typed);
    QCOMPARE(m_pane->context(), expected);
    m_pane->setContext(m_pane->context());
    QCOMPARE(m_pane->context(), expected);
    document->undo();
    document->undo();
    QCOMPARE(m_pane->context(), original);
}

// Selections and marks given in bytes land on the same characters on both sides of a soft break.
void RichEditTest::byteRangesAcrossSoftBreaks()
{
    // 3 bytes and 2 characters a unit; the paragraphs are cut every 1024 characters.
    const QString text = unbroken(QStringLiteral("a中"), 3000);
    m_pane->setContext(bytesOf(text));
    QCOMPARE(firstSoftBlockStart(*m_pane), 1025);
    const std::string bytes = m_pane->context();
    for (int32_t start : {0, 1533, 3000, 3069, 8991}) {
        m_pane->setSelStart(start);
        m_pane->setSelLength(9);
        QCOMPARE(m_pane->selStart(), start);
        QCOMPARE(m_pane->selLength(), 9);
        // The selection spans a soft break where it crosses one; the break is no character.
        QCOMPARE(
            bytesOf(m_pane->selectionCursor().selectedText().remove(QChar::ParagraphSeparator)),
            bytes.substr(std::size_t(start), 9));
    }
    const std::vector<ByteRange> ranges{{3069, 6}, {6001, 2}};
    m_pane->applyCharFormat(ranges, underline());
    QString marked;
    for (QTextBlock block = m_pane->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().fontUnderline())
                marked += it.fragment().text();
        }
    }
    QCOMPARE(marked, QStringLiteral("a中a中") + QStringLiteral("中"));
    QCOMPARE(m_pane->context(), bytes);
}

QTEST_MAIN(RichEditTest)
void RichEditTest::scrollToByteShowsItInALongLine_data()
{
    QTest::addColumn<bool>("fromTheEnd"); // where a paste leaves the view
    QTest::addColumn<int>("position");

    QTest::newRow("from the end, middle") << true << 500000;
    QTest::newRow("from the top, middle") << false << 500000;
    QTest::newRow("from the end, near the start") << true << 300;
    QTest::newRow("from the top, near the end") << false << 1040000;
}

// F8 moves both panes to a byte this way: in a megabyte line, whose paragraphs the pane lays out
// only when they come into view, the byte must end up inside the view.
void RichEditTest::scrollToByteShowsItInALongLine()
{
    QFETCH(bool, fromTheEnd);
    QFETCH(int, position);

    m_pane->resize(355, 216);
    m_pane->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pane.get()));
    m_pane->setContext(std::string(1 << 20, 'x'));
    QScrollBar *bar = m_pane->verticalScrollBar();
    bar->setValue(fromTheEnd ? bar->maximum() : 0);
    QCoreApplication::processEvents();

    m_pane->setSelStart(position);
    m_pane->setSelLength(1);
    m_pane->scrollToByte(position);
    QCoreApplication::processEvents();
    const QRect shown = m_pane->cursorRect(m_pane->selectionCursor());
    QVERIFY2(m_pane->viewport()->rect().contains(shown.center()),
             qPrintable(QStringLiteral("the byte is drawn at y = %1").arg(shown.center().y())));
}

#include "tst_richedit.moc"
