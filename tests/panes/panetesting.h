#pragma once

// Helpers for tests that look at the marks in a pane.

#include <memory>

#include <QTextBlock>
#include <QTextDocument>

#include "panes/charformat.h"
#include "panes/paragraphs.h"
#include "panes/richedit.h"
#include "shell/appstate.h"
#include "text/codepage.h"

namespace panetesting {

// One character per UTF-16 unit of the pane's text, line breaks included: '^' where the unit is
// underlined, '.' elsewhere. A line break's format is the one the next block starts with; a soft
// break, which is not part of the text, has no character.
inline QString underlineMask(const RichEdit &pane)
{
    QString mask;
    const QTextDocument *document = pane.document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            mask += QString(fragment.length(), fragment.charFormat().fontUnderline() ? u'^' : u'.');
        }
        const QTextBlock next = block.next();
        if (next.isValid() && !paragraphs::startsSoftly(next))
            mask += next.charFormat().fontUnderline() ? u'^' : u'.';
    }
    return mask;
}

// The format of the character at a document position.
inline QTextCharFormat formatAt(const RichEdit &pane, int position)
{
    QTextCursor cursor(pane.document());
    cursor.setPosition(position + 1);
    return cursor.charFormat();
}

// Two panes and the highlight format, as the window hands them to the compare commands.
struct ComparedPanes
{
    std::unique_ptr<RichEdit> left = std::make_unique<RichEdit>();
    std::unique_ptr<RichEdit> right = std::make_unique<RichEdit>();
    std::unique_ptr<CharFormat> highlight = createHighlightFormat();

    void load(const QString &leftText, const QString &rightText)
    {
        left->setContext(text::toCodePage(leftText));
        right->setContext(text::toCodePage(rightText));
    }
};

} // namespace panetesting
