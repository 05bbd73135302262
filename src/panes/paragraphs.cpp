#include "panes/paragraphs.h"

#include <algorithm>

#include <QTextCursor>
#include <QTextDocument>

namespace paragraphs {

namespace {

// Texts from this length on keep their line breaks in paragraphs of kShortestParagraph
// characters or more.
constexpr qsizetype kShortestGroupedText = 256 * 1024;
constexpr qsizetype kShortestParagraph = 4096;
// A block longer than kLongestParagraph is cut into paragraphs of about kCutParagraph characters:
// the layout of a paragraph, redone on every change in it, then stays short, and even the word
// wrap, which is quadratic in a run without a break opportunity, stays cheap.
constexpr qsizetype kCutParagraph = 1024;
constexpr qsizetype kLongestParagraph = 2 * kCutParagraph;
// How far back from a cut a space is looked for, so that a cut falls between words.
constexpr qsizetype kSpaceSearch = 128;

// Where a block of this text is cut: after the last space shortly before the cut, never
// between the two halves of a surrogate pair.
qsizetype cutBefore(QStringView text, qsizetype cut)
{
    for (qsizetype i = cut; i > cut - kSpaceSearch && i > 0; --i) {
        if (text[i - 1].isSpace())
            return i;
    }
    if (text[cut].isLowSurrogate() && text[cut - 1].isHighSurrogate())
        return cut + 1;
    return cut;
}

// The offsets in a block's text at which soft breaks go.
std::vector<qsizetype> cutsOf(QStringView text)
{
    std::vector<qsizetype> cuts;
    qsizetype start = 0;
    while (text.size() - start > kLongestParagraph) {
        start = cutBefore(text, start + kCutParagraph);
        cuts.push_back(start);
    }
    return cuts;
}

void appendPlain(QString &out, QStringView raw)
{
    const qsizetype from = out.size();
    out.append(raw);
    // One detach for the whole run, not one check per character.
    QChar *const end = out.data() + out.size();
    for (QChar *ch = out.data() + from; ch != end; ++ch) {
        if (*ch == QChar::ParagraphSeparator || *ch == QChar::LineSeparator)
            *ch = u'\n';
    }
}

} // namespace

bool startsSoftly(const QTextBlock &block)
{
    return block.blockFormat().boolProperty(SoftBreakProperty);
}

void groupLines(QString &text)
{
    if (text.size() < kShortestGroupedText)
        return;
    // One detach for the whole text, not one check per character.
    QChar *const chars = text.data();
    const qsizetype size = text.size();
    qsizetype paragraphStart = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t ch = chars[i].unicode();
        if (ch == u'\r' || ch == QChar::ParagraphSeparator) {
            paragraphStart = i + 1; // the document makes these paragraph breaks
        } else if (ch == u'\n' && (i == 0 || chars[i - 1] != u'\r')) {
            if (i - paragraphStart < kShortestParagraph)
                chars[i] = QChar::LineSeparator;
            else
                paragraphStart = i + 1;
        }
    }
}

void cutLongParagraphs(QTextCursor &cursor, int from, int to)
{
    QTextDocument *document = cursor.document();
    QTextBlock block = document->findBlock(from);
    while (block.isValid() && block.position() <= to) {
        const QTextBlock next = block.next();
        if (block.length() - 1 > kLongestParagraph) {
            const QString text = block.text();
            const std::vector<qsizetype> cuts = cutsOf(text);
            QTextBlockFormat format = block.blockFormat();
            format.setProperty(SoftBreakProperty, true);
            // From the last cut back, so the earlier offsets keep their place.
            for (auto it = cuts.rbegin(); it != cuts.rend(); ++it) {
                cursor.setPosition(block.position() + int(*it));
                cursor.insertBlock(format);
            }
            to += int(cuts.size());
        }
        block = next;
    }
}

void hardenBreaks(QTextCursor &cursor, int from, int to)
{
    QTextDocument *document = cursor.document();
    for (QTextBlock block = document->findBlock(from).next();
         block.isValid() && block.position() <= to; block = block.next()) {
        if (!startsSoftly(block))
            continue;
        QTextBlockFormat format = block.blockFormat();
        format.clearProperty(SoftBreakProperty);
        cursor.setPosition(block.position());
        cursor.setBlockFormat(format);
    }
}

BreakKeeper::BreakKeeper(QTextDocument &document, int editStart) : m_document(document)
{
    const QTextBlock block = document.findBlock(editStart);
    m_blockStart = block.isValid() ? block.position() : 0;
    m_soft = block.isValid() && startsSoftly(block);
}

BreakKeeper::~BreakKeeper()
{
    const QTextBlock block = m_document.findBlock(m_blockStart);
    // A paragraph merged into the one before it has no break of its own any more.
    if (!block.isValid() || block.position() != m_blockStart || m_blockStart == 0 ||
        startsSoftly(block) == m_soft)
        return;
    QTextBlockFormat format = block.blockFormat();
    if (m_soft)
        format.setProperty(SoftBreakProperty, true);
    else
        format.clearProperty(SoftBreakProperty);
    QTextCursor mend(&m_document);
    mend.setPosition(m_blockStart);
    mend.joinPreviousEditBlock();
    mend.setBlockFormat(format);
    mend.endEditBlock();
}

PlainText plainText(const QTextDocument &document)
{
    PlainText plain;
    for (QTextBlock block = document.begin().next(); block.isValid(); block = block.next()) {
        if (startsSoftly(block))
            plain.softBreaks.push_back(block.position() - 1);
    }
    // The document's own copy of its characters is made plain where it stands: the soft breaks
    // close up, and the paragraph and line separators become line breaks.
    plain.text = document.toRawText();
    QChar *const chars = plain.text.data();
    const qsizetype size = plain.text.size();
    qsizetype write = 0;
    auto softBreak = plain.softBreaks.cbegin();
    for (qsizetype read = 0; read < size; ++read) {
        if (softBreak != plain.softBreaks.cend() && read == *softBreak) {
            ++softBreak;
            continue;
        }
        const QChar ch = chars[read];
        chars[write++] =
            ch == QChar::ParagraphSeparator || ch == QChar::LineSeparator ? QChar(u'\n') : ch;
    }
    plain.text.truncate(write);
    return plain;
}

QString plainText(const QTextDocument &document, int from, int to)
{
    QString text;
    for (QTextBlock block = document.findBlock(from); block.isValid() && block.position() < to;
         block = block.next()) {
        const int start = std::max(from, block.position());
        const int end = std::min(to, block.position() + block.length()); // break included
        if (start >= end)
            continue;
        QString part = block.text().mid(start - block.position(), end - start);
        if (end == block.position() + block.length()) {
            // The break after the block, unless it is soft.
            const QTextBlock next = block.next();
            if (next.isValid() && !startsSoftly(next))
                part.append(u'\n');
        }
        appendPlain(text, part);
    }
    return text;
}

} // namespace paragraphs
