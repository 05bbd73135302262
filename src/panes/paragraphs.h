#pragma once

// How a pane holds its text in the document's paragraphs (blocks). A paragraph costs the
// document and its layout several hundred bytes, and every change in a paragraph lays out the
// whole paragraph again, so neither many tiny nor huge paragraphs will do:
// - a long text keeps most of its line breaks as line separators inside paragraphs of some
//   thousand characters;
// - a line longer than a few thousand characters is cut into paragraphs by soft breaks: block
//   boundaries that are not part of the text. A soft break shows as a line break but reads as
//   nothing, so the pane's text stays byte for byte what was written.

#include <vector>

#include <QString>
#include <QTextBlock>

class QTextCursor;
class QTextDocument;

namespace paragraphs {

// The block property that marks a block whose break before it is a soft break.
inline constexpr int SoftBreakProperty = QTextFormat::UserProperty + 2;

// Whether the break before this block is a soft break.
bool startsSoftly(const QTextBlock &block);

// Turns the line breaks of a long text into line separators, but for the first break after
// every few thousand characters; a short text is left as it is. The pane shows a line separator
// as a line break and reads it back as one.
void groupLines(QString &text);

// Cuts every block that overlaps the document positions [from, to] and is longer than the
// longest paragraph into paragraphs with soft breaks. The cursor's edit block, if any, takes
// the cuts into its undo step.
void cutLongParagraphs(QTextCursor &cursor, int from, int to);

// Makes the breaks before the blocks that start in (from, to] hard: text inserted into a block
// after a soft break gives its new blocks that block's format.
void hardenBreaks(QTextCursor &cursor, int from, int to);

// The document's text with every break a "\n", soft breaks left out, and the document
// positions of the soft breaks left out, ascending.
struct PlainText
{
    QString text;
    std::vector<int> softBreaks;
};
PlainText plainText(const QTextDocument &document);

// The same for the document positions [from, to).
QString plainText(const QTextDocument &document, int from, int to);

// Keeps, through one edit of the user's, the kind of the break before the paragraph where the
// edit starts. Removing a range from the start of a paragraph into a later one leaves the later
// paragraph's format, and so its kind of break, where the earlier break stood: a line break
// would read as nothing, or a soft break as a line break. The mend joins the edit's undo step.
class BreakKeeper
{
public:
    BreakKeeper(QTextDocument &document, int editStart);
    ~BreakKeeper();
    BreakKeeper(const BreakKeeper &) = delete;
    BreakKeeper &operator=(const BreakKeeper &) = delete;

private:
    QTextDocument &m_document;
    // An edit that starts in the paragraph leaves the text before it, and so its start, in place.
    int m_blockStart = 0;
    bool m_soft = false;
};

} // namespace paragraphs
