#include "panes/protectedtext.h"

#include <algorithm>

#include <QTextBlock>
#include <QTextDocument>

#include "panes/textformat.h"

namespace protectedtext {

bool mayHoldProtectedText(const QTextDocument &document)
{
    const QList<QTextFormat> formats = document.allFormats();
    return std::any_of(formats.begin(), formats.end(), [](const QTextFormat &format) {
        return format.boolProperty(textformat::ProtectedProperty);
    });
}

QString protectedCharacters(const QTextDocument &document)
{
    QString characters;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextFragment piece = fragment.fragment();
            if (piece.charFormat().boolProperty(textformat::ProtectedProperty))
                characters += piece.text();
        }
    }
    return characters;
}

} // namespace protectedtext

ProtectedTextEdit::ProtectedTextEdit(QTextDocument &document) : m_document(document)
{
    if (!protectedtext::mayHoldProtectedText(document))
        return;
    m_watching = true;
    m_text = document.toRawText();
    m_protected = protectedtext::protectedCharacters(document);
    m_undoSteps = document.availableUndoSteps();
    // The next change of an unmodified document opens an undo step of its own instead of
    // joining the last one (as typing does), so the edit can be taken back without what came
    // before it.
    m_wasModified = document.isModified();
    document.setModified(false);
}

ProtectedTextEdit::~ProtectedTextEdit()
{
    if (!m_watching)
        return;
    const bool changedText = m_document.toRawText() != m_text;
    if (changedText && protectedtext::protectedCharacters(m_document) != m_protected)
        takeBack();
    else
        m_document.setModified(m_wasModified || changedText);
}

void ProtectedTextEdit::takeBack()
{
    // The counts are of the document's single changes; undo and redo step over a whole edit.
    if (m_document.availableUndoSteps() > m_undoSteps) {
        while (m_document.availableUndoSteps() > m_undoSteps)
            m_document.undo();
        // The refused edit cannot be redone.
        m_document.clearUndoRedoStacks(QTextDocument::RedoStack);
    }
    // An undo that took protected text away or brought it back is redone.
    while (m_document.availableUndoSteps() < m_undoSteps && m_document.isRedoAvailable())
        m_document.redo();
    m_document.setModified(m_wasModified);
}
