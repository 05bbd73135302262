#include "panes/richedit.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include <QAbstractTextDocumentLayout>
#include <QFocusEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QUrl>

#include "panes/bytemap.h"
#include "panes/charformat.h"
#include "panes/paragraphs.h"
#include "panes/protectedtext.h"
#include "panes/textformat.h"
#include "text/codepage.h"

namespace {

// The first local file among dropped URLs; empty when none is a local file.
QString droppedFile(const QMimeData *source)
{
    if (source == nullptr || !source->hasUrls())
        return {};
    for (const QUrl &url : source->urls()) {
        if (url.isLocalFile())
            return url.toLocalFile();
    }
    return {};
}

bool isProtected(const QTextCharFormat &format)
{
    return format.property(textformat::ProtectedProperty).toBool();
}

// Whether a character in the document positions [from, to) is protected. Walks the fragments:
// a cursor moved over every position would ask the layout for its x position at each.
bool anyProtected(const QTextDocument &document, int from, int to)
{
    for (QTextBlock block = document.findBlock(from); block.isValid() && block.position() < to;
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.position() < to && fragment.position() + fragment.length() > from &&
                isProtected(fragment.charFormat()))
                return true;
        }
    }
    return false;
}

} // namespace

RichEdit::RichEdit(QWidget *parent) : QPlainTextEdit(parent)
{
    // The pane lays out only the paragraphs it shows, and scrolls by lines, so a long text
    // costs no layout beyond the view wherever the view is. Pasted and dropped text comes in as
    // plain text; the only formats are the marks.
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Word wrap, falling back to a break anywhere in a word wider than the pane. It is quadratic
    // in a run without a break opportunity, but no paragraph is long enough for that to show.
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setFont(defaultFont()); // the document's default font follows the widget's
    document()->setDefaultFont(defaultFont());
    document()->setUndoRedoEnabled(true);

    connect(document(), &QTextDocument::contentsChange, this, [this] {
        if (!m_formatting)
            m_text.reset();
    });

    m_hiddenSelection = textCursor();
}

QFont RichEdit::defaultFont()
{
    QFont font(textformat::faceName("\xCB\xCE\xCC\xE5")); // 宋体
    font.setPointSize(9);
    return font;
}

const RichEdit::CodePageText &RichEdit::codePageText() const
{
    if (!m_text) {
        paragraphs::PlainText plain = paragraphs::plainText(*document());
        m_text = CodePageText{text::toCodePage(plain.text), std::move(plain.softBreaks), {}};
    }
    return *m_text;
}

const std::string &RichEdit::bytes() const
{
    return codePageText().bytes;
}

ByteMap RichEdit::byteMap() const
{
    codePageText();
    CodePageText &text = *m_text;
    if (text.checkpoints.empty() && !text.bytes.empty())
        text.checkpoints = ByteMap::checkpoints(text.bytes, text.softBreaks);
    return ByteMap(text.bytes, text.softBreaks, text.checkpoints);
}

std::string RichEdit::context() const
{
    return bytes();
}

void RichEdit::setContext(std::string_view text)
{
    // Every byte given is written, a zero byte included, so no text is lost on the way back.
    QString content = text::fromCodePage(text);
    paragraphs::groupLines(content);
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    cursor.setBlockFormat(QTextBlockFormat());
    cursor.setBlockCharFormat(QTextCharFormat());
    cursor.insertText(content, QTextCharFormat());
    paragraphs::cutLongParagraphs(cursor, 0, cursor.position());
    cursor.endEditBlock();
}

QTextCursor RichEdit::selectionCursor() const
{
    return m_hiddenSelection ? *m_hiddenSelection : textCursor();
}

void RichEdit::setSelectionCursor(const QTextCursor &cursor)
{
    if (m_hiddenSelection)
        m_hiddenSelection = cursor;
    else
        setTextCursor(cursor);
}

void RichEdit::selectBytes(int64_t start, int64_t end)
{
    ByteMap map = byteMap();
    const int from = map.charStartAt(start);
    const int to = end > start ? map.charEndAt(end - 1) : from;
    QTextCursor cursor(document());
    // Inside an edit block the cursor does not ask the layout for its x position, which
    // would lay out the whole text after a change of formats.
    cursor.beginEditBlock();
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    cursor.endEditBlock();
    setSelectionCursor(cursor);
}

void RichEdit::setSelStart(int32_t start)
{
    m_storedStart = std::max(start, 0);
    if (m_storedLength < 0) {
        selectBytes(0, std::numeric_limits<int64_t>::max());
        return;
    }
    selectBytes(m_storedStart, int64_t(m_storedStart) + m_storedLength);
}

void RichEdit::setSelLength(int32_t length)
{
    m_storedLength = std::max(length, -1);
    if (m_storedLength < 0) {
        selectBytes(0, std::numeric_limits<int64_t>::max());
        return;
    }
    selectBytes(m_storedStart, int64_t(m_storedStart) + m_storedLength);
}

int32_t RichEdit::selStart() const
{
    ByteMap map = byteMap();
    return static_cast<int32_t>(map.byteOffsetAt(selectionCursor().selectionStart()));
}

int32_t RichEdit::selLength() const
{
    const QTextCursor cursor = selectionCursor();
    ByteMap map = byteMap();
    const int64_t start = map.byteOffsetAt(cursor.selectionStart());
    return static_cast<int32_t>(map.byteOffsetAt(cursor.selectionEnd()) - start);
}

int32_t RichEdit::textLength() const
{
    const std::size_t length = bytes().size();
    return static_cast<int32_t>(std::min<std::size_t>(length, std::numeric_limits<int32_t>::max()));
}

void RichEdit::showSelection()
{
    showPosition(selectionCursor().selectionStart());
}

void RichEdit::showPosition(int position)
{
    // The scroll bar counts lines: those of the paragraphs laid out so far, and one for every
    // other paragraph. The position's paragraph is laid out to find its line.
    const QTextBlock block = document()->findBlock(position);
    if (!block.isValid())
        return;
    QAbstractTextDocumentLayout *layout = document()->documentLayout();
    layout->blockBoundingRect(block);
    int lineInBlock = 0;
    if (const QTextLine textLine = block.layout()->lineForTextPosition(position - block.position());
        textLine.isValid())
        lineInBlock = textLine.lineNumber();
    QScrollBar *bar = verticalScrollBar();
    // The paragraphs that will show above the position are laid out first: each counted as one
    // line, they would put the view's top too close to the position, and once laid out they
    // would push it below the view.
    int above = lineInBlock;
    for (QTextBlock previous = block.previous(); previous.isValid() && above < bar->pageStep();
         previous = previous.previous()) {
        layout->blockBoundingRect(previous);
        above += previous.lineCount();
    }
    const int line = block.firstLineNumber() + lineInBlock;
    if (line < bar->value() || line >= bar->value() + bar->pageStep())
        bar->setValue(line - bar->pageStep() / 2);
}

namespace {

// Formats the characters between the cursor's anchor and position. A full record replaces
// their format in one step; a record that keeps the size goes fragment by fragment.
void formatSelection(QTextCursor &cursor, textformat::Applier &applier)
{
    if (!cursor.hasSelection()) {
        // No character changes; the format waits at the insertion point for what is typed.
        cursor.setCharFormat(applier.applied(cursor.charFormat()));
        return;
    }
    if (!applier.keepsSize()) {
        cursor.setCharFormat(applier.applied(QTextCharFormat()));
        return;
    }
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    QTextDocument *document = cursor.document();
    QTextCursor part(document);
    struct Part
    {
        int from;
        int to;
        QTextCharFormat format;
    };
    std::vector<Part> parts;
    for (QTextBlock block = document->findBlock(start); block.isValid() && block.position() < end;
         block = block.next()) {
        // A formatted fragment may merge with its neighbours, which ends a walk over them, so
        // the block's fragments are all read before the first is formatted.
        parts.clear();
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int from = std::max(start, fragment.position());
            const int to = std::min(end, fragment.position() + fragment.length());
            if (from < to)
                parts.push_back({from, to, fragment.charFormat()});
        }
        for (const Part &piece : parts) {
            part.setPosition(piece.from);
            part.setPosition(piece.to, QTextCursor::KeepAnchor);
            part.setCharFormat(applier.applied(piece.format));
        }
        // The paragraph break after the block belongs to the selection too.
        const int breakPosition = block.position() + block.length() - 1;
        if (breakPosition >= start && breakPosition < end && block.next().isValid()) {
            part.setPosition(breakPosition);
            part.setPosition(breakPosition + 1, QTextCursor::KeepAnchor);
            part.setCharFormat(applier.applied(part.charFormat()));
        }
    }
}

} // namespace

namespace {

// Whether every character of the selection already has the format the record gives it, so a
// repeated mark costs no new layout of the text around it. Long selections are not checked.
bool alreadyFormatted(const QTextCursor &cursor, textformat::Applier &applier)
{
    constexpr int kLongestChecked = 64;
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    if (start == end || end - start > kLongestChecked)
        return false;
    // Walks the fragments rather than moving a cursor, which would ask for a layout.
    const QTextDocument *document = cursor.document();
    for (QTextBlock block = document->findBlock(start); block.isValid() && block.position() < end;
         block = block.next()) {
        const int breakPosition = block.position() + block.length() - 1;
        if (breakPosition >= start && breakPosition < end) {
            // A line break has the format the next block starts with.
            if (!block.next().isValid() || !applier.keeps(block.next().charFormat()))
                return false;
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.position() >= end || fragment.position() + fragment.length() <= start)
                continue;
            if (!applier.keeps(fragment.charFormat()))
                return false;
        }
    }
    return true;
}

} // namespace

void RichEdit::applyCharFormat(const CharFormat &format)
{
    QTextCursor cursor = selectionCursor();
    textformat::Applier applier(format);
    if (alreadyFormatted(cursor, applier))
        return;
    m_formatting = true;
    formatSelection(cursor, applier);
    m_formatting = false;
    if (!cursor.hasSelection())
        setSelectionCursor(cursor); // keeps the insertion-point format
}

void RichEdit::applyCharFormat(std::span<const ByteRange> ranges, const CharFormat &format)
{
    std::vector<std::pair<int, int>> spans; // document positions, end excluded
    spans.reserve(ranges.size());
    ByteMap map = byteMap();
    for (const ByteRange &range : ranges) {
        const int from = map.charStartAt(range.start);
        const int to =
            range.length > 0 ? map.charEndAt(int64_t(range.start) + range.length - 1) : from;
        if (from < to)
            spans.emplace_back(from, to); // a range past the end has no character to format
    }
    if (spans.empty())
        return;

    QTextDocument *document = this->document();
    const int first = spans.front().first;
    const int last = spans.back().second;
    // Every format change in a block drops its layout, at a cost that grows with the block's
    // lines; a block without lines drops it at once. The blocks in view are laid out again when
    // they are painted, the others when they come into view.
    for (QTextBlock block = document->findBlock(first); block.isValid() && block.position() < last;
         block = block.next())
        block.clearLayout();

    QTextCursor cursor(document);
    m_formatting = true;
    // One edit block: one undo step takes every mark back.
    textformat::Applier applier(format);
    cursor.beginEditBlock();
    for (const auto &[from, to] : spans) {
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        formatSelection(cursor, applier);
    }
    cursor.endEditBlock();
    m_formatting = false;
}

void RichEdit::focusInEvent(QFocusEvent *event)
{
    if (m_hiddenSelection) {
        const QTextCursor selection = *m_hiddenSelection;
        m_hiddenSelection.reset();
        setTextCursor(selection);
    }
    QPlainTextEdit::focusInEvent(event);
}

void RichEdit::focusOutEvent(QFocusEvent *event)
{
    // The selection is not drawn while the pane lacks the focus; a context menu keeps it, as
    // its actions work on it.
    if (event->reason() != Qt::PopupFocusReason && !m_hiddenSelection) {
        m_hiddenSelection = textCursor();
        QTextCursor caret = textCursor();
        caret.clearSelection();
        setTextCursor(caret);
    }
    QPlainTextEdit::focusOutEvent(event);
}

bool RichEdit::editTouchesProtectedText(const QTextCursor &cursor, int extraBefore,
                                        int extraAfter) const
{
    int from = cursor.selectionStart();
    int to = cursor.selectionEnd();
    if (from == to) {
        from -= extraBefore;
        to += extraAfter;
    }
    const int last = document()->characterCount() - 1;
    from = std::clamp(from, 0, last);
    to = std::clamp(to, 0, last);
    QTextCursor probe(document());
    if (from == to) {
        // Typing between two protected characters would change protected text.
        if (from == 0 || from == last)
            return false;
        probe.setPosition(from);
        const bool before = isProtected(probe.charFormat());
        probe.setPosition(from + 1);
        return before && isProtected(probe.charFormat());
    }
    return anyProtected(*document(), from, to);
}

void RichEdit::keyPressEvent(QKeyEvent *event)
{
    const QTextCursor cursor = textCursor();
    bool edits = false;
    int before = 0;
    int after = 0;
    if (event->key() == Qt::Key_Backspace) {
        edits = true;
        before = 1;
    } else if (event->key() == Qt::Key_Delete) {
        edits = true;
        after = 1;
    } else if (event->matches(QKeySequence::Cut) || event->matches(QKeySequence::Paste)) {
        edits = true;
    } else if (!event->text().isEmpty() && event->text().at(0).isPrint()) {
        edits = true;
    } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        edits = true;
    }
    if (edits && !isReadOnly() && editTouchesProtectedText(cursor, before, after)) {
        event->accept();
        return;
    }
    const ProtectedTextEdit edit(*document());
    const paragraphs::BreakKeeper breaks(*document(), textCursor().selectionStart());
    if (!isReadOnly() && editAcrossSoftBreak(event)) {
        event->accept();
        return;
    }
    // Ctrl+Y redoes wherever the program runs: Qt's redo keys follow the desktop, and on X11
    // they are Ctrl+Shift+Z alone.
    if (!isReadOnly() && event->key() == Qt::Key_Y && event->modifiers() == Qt::ControlModifier) {
        redo();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void RichEdit::inputMethodEvent(QInputMethodEvent *event)
{
    if (!event->commitString().isEmpty() && editTouchesProtectedText(textCursor(), 0, 0)) {
        event->accept();
        return;
    }
    const ProtectedTextEdit edit(*document());
    const paragraphs::BreakKeeper breaks(*document(), textCursor().selectionStart());
    QPlainTextEdit::inputMethodEvent(event);
}

bool RichEdit::canInsertFromMimeData(const QMimeData *source) const
{
    return (source->hasText() && QPlainTextEdit::canInsertFromMimeData(source)) ||
           !droppedFile(source).isEmpty();
}

void RichEdit::insertFromMimeData(const QMimeData *source)
{
    if (!source->hasText() || editTouchesProtectedText(textCursor(), 0, 0))
        return;
    const ProtectedTextEdit edit(*document());
    const paragraphs::BreakKeeper breaks(*document(), textCursor().selectionStart());
    QString text = source->text();
    paragraphs::groupLines(text);
    QTextDocument *document = this->document();
    QTextCursor cursor = textCursor();
    // One edit block: the paste is one step the user can undo, its paragraphs included.
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    const int from = cursor.position();
    cursor.insertText(text); // in the format of the insertion point, as typing is
    QTextCursor paragraphCursor(document);
    paragraphs::hardenBreaks(paragraphCursor, from, cursor.position());
    paragraphs::cutLongParagraphs(paragraphCursor, from, cursor.position());
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}

QMimeData *RichEdit::createMimeDataFromSelection() const
{
    // The text as the pane reads it: soft breaks left out, every other break a line break.
    const QTextCursor cursor = textCursor();
    auto *data = new QMimeData;
    data->setText(
        paragraphs::plainText(*document(), cursor.selectionStart(), cursor.selectionEnd()));
    return data;
}

bool RichEdit::editAcrossSoftBreak(const QKeyEvent *event)
{
    QTextCursor cursor = textCursor();
    const QTextBlock block = cursor.block();
    if (event->matches(QKeySequence::InsertParagraphSeparator)) {
        // A new paragraph in or over a paragraph after a soft break would take its format, and
        // so a soft break of its own: the line break the user typed would read as nothing.
        if (!paragraphs::startsSoftly(block) &&
            !paragraphs::startsSoftly(document()->findBlock(cursor.selectionStart())))
            return false;
        cursor.beginEditBlock();
        cursor.removeSelectedText();
        QTextBlockFormat format = cursor.blockFormat();
        format.clearProperty(paragraphs::SoftBreakProperty);
        cursor.insertBlock(format, cursor.charFormat());
        cursor.endEditBlock();
    } else if (event->modifiers() & ~Qt::KeypadModifier || cursor.hasSelection()) {
        return false;
    } else if (event->key() == Qt::Key_Backspace) {
        // The user sees no break: Backspace deletes the character before it.
        if (!cursor.atBlockStart() || block.position() == 0 || !paragraphs::startsSoftly(block))
            return false;
        cursor.setPosition(block.position() - 1);
        cursor.deletePreviousChar();
    } else if (event->key() == Qt::Key_Delete) {
        const QTextBlock next = block.next();
        if (!cursor.atBlockEnd() || !next.isValid() || !paragraphs::startsSoftly(next))
            return false;
        cursor.setPosition(next.position());
        cursor.deleteChar();
    } else {
        return false;
    }
    setTextCursor(cursor);
    ensureCursorVisible();
    return true;
}

void RichEdit::dropEvent(QDropEvent *event)
{
    if (const QString path = droppedFile(event->mimeData()); !path.isEmpty()) {
        QDragLeaveEvent leave; // ends the drag's drop caret
        QPlainTextEdit::dragLeaveEvent(&leave);
        event->acceptProposedAction();
        emit fileDropped(path);
        return;
    }
    if (editTouchesProtectedText(textCursor(), 0, 0)) {
        event->ignore();
        return;
    }
    const ProtectedTextEdit edit(*document());
    // A move takes the dragged text away from where it was; the drop goes in at the pointer.
    const paragraphs::BreakKeeper dragged(*document(), textCursor().selectionStart());
    const paragraphs::BreakKeeper dropped(
        *document(), cursorForPosition(event->position().toPoint()).position());
    QPlainTextEdit::dropEvent(event);
}

void RichEdit::contextMenuEvent(QContextMenuEvent *event)
{
    // The editing menu, followed by the actions the window added to the pane (QWidget::addAction).
    std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    const QList<QAction *> editing = menu->actions();
    if (!actions().isEmpty()) {
        menu->addSeparator();
        menu->addActions(actions());
    }
    ProtectedTextEdit edit(*document());
    const paragraphs::BreakKeeper breaks(*document(), textCursor().selectionStart());
    if (!editing.contains(menu->exec(event->globalPos())))
        edit.dismiss();
}

void RichEdit::mousePressEvent(QMouseEvent *event)
{
    QPlainTextEdit::mousePressEvent(event);
    m_wordDrag.stop();
    // A press inside a selection may start dragging it instead.
    if (event->button() == Qt::LeftButton && event->modifiers() == Qt::NoModifier &&
        !textCursor().hasSelection())
        m_wordDrag.start(textCursor());
}

void RichEdit::mouseMoveEvent(QMouseEvent *event)
{
    // Dragging the selection elsewhere in the pane moves text.
    std::optional<ProtectedTextEdit> edit;
    if (event->buttons() & Qt::LeftButton)
        edit.emplace(*document());
    QPlainTextEdit::mouseMoveEvent(event);
    if (event->buttons() & Qt::LeftButton) {
        if (const std::optional<QTextCursor> words = m_wordDrag.extend(textCursor()))
            setTextCursor(*words);
    }
}

void RichEdit::mouseReleaseEvent(QMouseEvent *event)
{
    m_wordDrag.stop();
    // The middle button pastes the selection of the windowing system.
    const ProtectedTextEdit edit(*document());
    QPlainTextEdit::mouseReleaseEvent(event);
}

ByteRange RichEdit::selection() const
{
    return {selStart(), selLength()};
}

std::vector<ByteRange> RichEdit::markedRanges() const
{
    // Document positions of the underlined characters, end excluded, touching ones joined.
    std::vector<std::pair<int, int>> spans;
    const auto add = [&spans](int from, int to) {
        if (!spans.empty() && spans.back().second == from)
            spans.back().second = to;
        else
            spans.emplace_back(from, to);
    };
    const QTextDocument *document = this->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().fontUnderline())
                add(fragment.position(), fragment.position() + fragment.length());
        }
        // The line break after a block has the format the next block starts with.
        const QTextBlock next = block.next();
        if (next.isValid() && next.charFormat().fontUnderline())
            add(next.position() - 1, next.position());
    }

    // A soft break holds no byte: runs on both sides of one are one run.
    std::vector<ByteRange> ranges;
    ranges.reserve(spans.size());
    ByteMap map = byteMap();
    for (const auto &[from, to] : spans) {
        const int32_t start = int32_t(map.byteOffsetAt(from));
        const int32_t end = int32_t(map.byteOffsetAt(to));
        if (!ranges.empty() && ranges.back().start + ranges.back().length == start)
            ranges.back().length = end - ranges.back().start;
        else if (start < end)
            ranges.push_back({start, end - start});
    }
    return ranges;
}

void RichEdit::scrollToByte(int32_t position)
{
    ByteMap map = byteMap();
    showPosition(map.charStartAt(std::max(position, 0)));
}
