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
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

#include "panes/bytemap.h"
#include "panes/charformat.h"
#include "panes/textformat.h"
#include "text/codepage.h"

namespace {

// Longest run of characters without a break opportunity that the pane still wraps at word
// boundaries. Qt's word wrap is quadratic in such a run, so beyond it lines wrap anywhere.
constexpr qsizetype kLongestWordForWordWrap = 4096;

// Shortest stretch of marks, in characters, whose layout is redone while the pane is idle.
constexpr int kShortestDeferredSpan = 16 * 1024;

// A long text is held in paragraphs of some thousand characters, not one per line: the document
// and its layout spend several hundred bytes on every paragraph.
constexpr qsizetype kShortestGroupedText = 256 * 1024;
constexpr qsizetype kShortestParagraph = 4096;

// Turns the line breaks of a long text into line separators, but for the first break after
// every kShortestParagraph characters. The pane shows a line separator as a line break and reads
// it back as one. Carriage returns and paragraph separators stay paragraph breaks, as the
// document makes them.
void groupLines(QString &text)
{
    if (text.size() < kShortestGroupedText)
        return;
    qsizetype paragraphStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t ch = text[i].unicode();
        if (ch == u'\r' || ch == QChar::ParagraphSeparator) {
            paragraphStart = i + 1;
        } else if (ch == u'\n' && (i == 0 || text[i - 1] != u'\r')) {
            if (i - paragraphStart < kShortestParagraph)
                text[i] = QChar::LineSeparator;
            else
                paragraphStart = i + 1;
        }
    }
}

bool breaksWords(QChar ch)
{
    // Spaces, line breaks and the CJK ranges, where lines may break between characters.
    return ch.isSpace() || ch.unicode() >= 0x2E80;
}

qsizetype longestUnbrokenRun(QStringView text)
{
    qsizetype longest = 0;
    qsizetype run = 0;
    for (QChar ch : text) {
        run = breaksWords(ch) ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest;
}

bool isProtected(const QTextCharFormat &format)
{
    return format.property(textformat::ProtectedProperty).toBool();
}

} // namespace

RichEdit::RichEdit(QWidget *parent) : QTextEdit(parent)
{
    setAcceptRichText(false); // pasted and dropped text comes in as plain text
    setTabChangesFocus(true);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    document()->setDefaultFont(defaultFont());
    document()->setUndoRedoEnabled(true);

    connect(document(), &QTextDocument::contentsChange, this, [this] {
        if (!m_formatting)
            m_bytes.reset();
    });

    m_hiddenSelection = textCursor();
}

QFont RichEdit::defaultFont()
{
    QFont font(textformat::faceName("\xCB\xCE\xCC\xE5")); // 宋体
    font.setPointSize(9);
    return font;
}

const std::string &RichEdit::bytes() const
{
    if (!m_bytes) {
        QString raw = document()->toRawText();
        // The document separates paragraphs with U+2029 and soft breaks with U+2028; both read
        // as a line break, one character for one byte.
        raw.replace(QChar::ParagraphSeparator, u'\n');
        raw.replace(QChar::LineSeparator, u'\n');
        m_bytes = text::toCodePage(raw);
    }
    return *m_bytes;
}

std::string RichEdit::context() const
{
    return bytes();
}

void RichEdit::setContext(std::string_view text)
{
    // Every byte given is written, a zero byte included, so no text is lost on the way back.
    QString content = text::fromCodePage(text);
    // The wrap mode is settled before the text goes in, so the text is laid out once, and
    // never with the wrap that is quadratic in a long unbroken line.
    updateWrapMode(content);
    // A text too tall for the pane gets its scroll bar before it goes in, so it is laid out once,
    // at the width left beside the bar, rather than again when the bar appears.
    const bool barFirst = needsScrollBar(content);
    groupLines(content);
    if (barFirst)
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    cursor.setBlockFormat(QTextBlockFormat());
    cursor.setBlockCharFormat(QTextCharFormat());
    cursor.insertText(content, QTextCharFormat());
    cursor.endEditBlock();
    if (barFirst)
        setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded); // kept: the text needs it
}

bool RichEdit::needsScrollBar(QStringView text) const
{
    if (!isVisible() || verticalScrollBar()->isVisible() ||
        verticalScrollBarPolicy() != Qt::ScrollBarAsNeeded)
        return false;
    // A lower bound of the lines the text takes: one per paragraph, and one per viewport width
    // of characters, none of which is narrower than a pixel.
    const qreal width = std::max(1, viewport()->width());
    const qreal lines = std::max(qreal(text.count(u'\n') + 1), qreal(text.size()) / width);
    return lines * QFontMetricsF(document()->defaultFont()).lineSpacing() > viewport()->height();
}

void RichEdit::updateWrapMode(QStringView text)
{
    const auto mode = longestUnbrokenRun(text) > kLongestWordForWordWrap
                          ? QTextOption::WrapAnywhere
                          : QTextOption::WrapAtWordBoundaryOrAnywhere;
    if (wordWrapMode() != mode)
        setWordWrapMode(mode);
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
    ByteMap map(bytes());
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
    ByteMap map(bytes());
    return static_cast<int32_t>(map.byteOffsetAt(selectionCursor().selectionStart()));
}

int32_t RichEdit::selLength() const
{
    const QTextCursor cursor = selectionCursor();
    ByteMap map(bytes());
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
    const QRect caret = cursorRect(selectionCursor());
    const int height = viewport()->height();
    if (caret.top() < 0 || caret.bottom() > height) {
        QScrollBar *bar = verticalScrollBar();
        bar->setValue(bar->value() + caret.center().y() - height / 2);
    }
}

namespace {

// Formats the characters between the cursor's anchor and position. A full record replaces
// their format in one step; a record that keeps the size goes fragment by fragment.
void formatSelection(QTextCursor &cursor, const CharFormat &record)
{
    if (!cursor.hasSelection()) {
        // No character changes; the format waits at the insertion point for what is typed.
        QTextCharFormat format = cursor.charFormat();
        textformat::applyTo(record, format);
        cursor.setCharFormat(format);
        return;
    }
    if (record.FontSize > 0) {
        QTextCharFormat format;
        textformat::applyTo(record, format);
        cursor.setCharFormat(format);
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
        for (Part &piece : parts) {
            textformat::applyTo(record, piece.format);
            part.setPosition(piece.from);
            part.setPosition(piece.to, QTextCursor::KeepAnchor);
            part.setCharFormat(piece.format);
        }
        // The paragraph break after the block belongs to the selection too.
        const int breakPosition = block.position() + block.length() - 1;
        if (breakPosition >= start && breakPosition < end && block.next().isValid()) {
            part.setPosition(breakPosition);
            part.setPosition(breakPosition + 1, QTextCursor::KeepAnchor);
            QTextCharFormat format = part.charFormat();
            textformat::applyTo(record, format);
            part.setCharFormat(format);
        }
    }
}

} // namespace

namespace {

bool keepsFormat(const QTextCharFormat &format, const CharFormat &record)
{
    QTextCharFormat formatted = format;
    textformat::applyTo(record, formatted);
    return formatted == format;
}

// Whether every character of the selection already has the format the record gives it, so a
// repeated mark costs no new layout of the text around it. Long selections are not checked.
bool alreadyFormatted(const QTextCursor &cursor, const CharFormat &record)
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
            if (!block.next().isValid() || !keepsFormat(block.next().charFormat(), record))
                return false;
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.position() >= end || fragment.position() + fragment.length() <= start)
                continue;
            if (!keepsFormat(fragment.charFormat(), record))
                return false;
        }
    }
    return true;
}

} // namespace

void RichEdit::applyCharFormat(const CharFormat &format)
{
    QTextCursor cursor = selectionCursor();
    if (alreadyFormatted(cursor, format))
        return;
    m_formatting = true;
    formatSelection(cursor, format);
    m_formatting = false;
    if (!cursor.hasSelection())
        setSelectionCursor(cursor); // keeps the insertion-point format
}

void RichEdit::resumeLayout(const QSizeF &pageSize, int scrolled)
{
    // The layout starts again from the top; until it reaches the view, the document looks
    // shorter than it is and the scroll bar gives way. The view is laid out at once and the
    // scroll bar put back where it was.
    QTextDocument *document = this->document();
    document->setPageSize(pageSize);
    if (scrolled > 0) {
        QScrollBar *bar = verticalScrollBar();
        document->documentLayout()->hitTest(QPointF(0, scrolled + viewport()->height()),
                                            Qt::FuzzyHit);
        bar->setMaximum(std::max(bar->maximum(), scrolled));
        bar->setValue(scrolled);
    }
}

void RichEdit::applyCharFormat(std::span<const ByteRange> ranges, const CharFormat &format)
{
    std::vector<std::pair<int, int>> spans; // document positions, end excluded
    spans.reserve(ranges.size());
    ByteMap map(bytes());
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
    // Marks over most of a long text are laid out the way a new text is: the visible part at
    // once, the rest in steps while the pane is idle. A document without a page size lays out
    // nothing, so the page size is taken away while the formats change.
    const QSizeF pageSize = document->pageSize();
    const bool deferLayout = !pageSize.isNull() && last - first >= kShortestDeferredSpan &&
                             2 * qint64(last - first) >= document->characterCount();
    const int scrolled = verticalScrollBar()->value();
    if (deferLayout) {
        document->setPageSize(QSizeF(0, 0));
    } else {
        // Every format change in a block drops its layout, at a cost that grows with the
        // block's lines; a block without lines drops it at once. These blocks are laid out
        // again when the batch ends anyway.
        for (QTextBlock block = document->findBlock(first);
             block.isValid() && block.position() < last; block = block.next())
            block.clearLayout();
    }

    QTextCursor cursor(document);
    m_formatting = true;
    // One edit block: one undo step takes every mark back.
    cursor.beginEditBlock();
    for (const auto &[from, to] : spans) {
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        formatSelection(cursor, format);
    }
    cursor.endEditBlock();
    m_formatting = false;

    if (deferLayout)
        resumeLayout(pageSize, scrolled);
}

void RichEdit::focusInEvent(QFocusEvent *event)
{
    if (m_hiddenSelection) {
        const QTextCursor selection = *m_hiddenSelection;
        m_hiddenSelection.reset();
        setTextCursor(selection);
    }
    QTextEdit::focusInEvent(event);
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
    QTextEdit::focusOutEvent(event);
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
    for (int position = from + 1; position <= to; ++position) {
        probe.setPosition(position);
        if (isProtected(probe.charFormat()))
            return true;
    }
    return false;
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
    QTextEdit::keyPressEvent(event);
}

void RichEdit::inputMethodEvent(QInputMethodEvent *event)
{
    if (!event->commitString().isEmpty() && editTouchesProtectedText(textCursor(), 0, 0)) {
        event->accept();
        return;
    }
    QTextEdit::inputMethodEvent(event);
}

bool RichEdit::canInsertFromMimeData(const QMimeData *source) const
{
    return source->hasText() && QTextEdit::canInsertFromMimeData(source);
}

void RichEdit::insertFromMimeData(const QMimeData *source)
{
    if (editTouchesProtectedText(textCursor(), 0, 0))
        return;
    if (source->hasText() && source->text().size() > kLongestWordForWordWrap) {
        // The pasted text joins the text around it, so the whole of it decides the wrap.
        updateWrapMode(document()->toRawText() + source->text());
    }
    // A long paste is laid out the way a new text is: the view at once, the rest in steps
    // while the pane is idle. Laid out in one go, 50 MiB froze the window for minutes.
    QTextDocument *document = this->document();
    const QSizeF pageSize = document->pageSize();
    const bool deferLayout =
        source->hasText() && !pageSize.isNull() && source->text().size() >= kShortestDeferredSpan;
    const int scrolled = verticalScrollBar()->value();
    if (deferLayout)
        document->setPageSize(QSizeF(0, 0));
    if (source->hasText() && source->text().size() >= kShortestGroupedText) {
        // A long text is held in paragraphs as setContext holds it.
        QString text = source->text();
        groupLines(text);
        QMimeData grouped;
        grouped.setText(text);
        QTextEdit::insertFromMimeData(&grouped);
    } else {
        QTextEdit::insertFromMimeData(source);
    }
    if (deferLayout)
        resumeLayout(pageSize, scrolled);
}

void RichEdit::dropEvent(QDropEvent *event)
{
    if (editTouchesProtectedText(textCursor(), 0, 0)) {
        event->ignore();
        return;
    }
    QTextEdit::dropEvent(event);
}

void RichEdit::contextMenuEvent(QContextMenuEvent *event)
{
    // The editing menu, followed by the actions the window added to the pane (QWidget::addAction).
    std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    if (!actions().isEmpty()) {
        menu->addSeparator();
        menu->addActions(actions());
    }
    menu->exec(event->globalPos());
}
