#pragma once

// Keeps a pane's protected characters as they are through the user's edits, whichever way an
// edit comes in (keys, the input method, the editing menu, pasting, dropping, undo): an edit
// that removed, replaced or added protected characters is taken back whole. A change of format
// alone is no edit and passes.

#include <QString>

class QTextDocument;

namespace protectedtext {

// Whether any character of the document may be protected: a cheap look at the formats the
// document has ever held.
bool mayHoldProtectedText(const QTextDocument &document);

// The protected characters of the document, in order.
QString protectedCharacters(const QTextDocument &document);

} // namespace protectedtext

// Watches one edit of the user's on a document from construction to destruction and takes it
// back when it changed protected text. Costs nothing while the document holds none.
class ProtectedTextEdit
{
public:
    explicit ProtectedTextEdit(QTextDocument &document);
    ~ProtectedTextEdit();
    ProtectedTextEdit(const ProtectedTextEdit &) = delete;
    ProtectedTextEdit &operator=(const ProtectedTextEdit &) = delete;

    // What happened was no edit of the user's (a command the window added to the pane's menu,
    // say): it stays whatever it did.
    void dismiss() { m_watching = false; }

private:
    void takeBack();

    QTextDocument &m_document;
    bool m_watching = false;
    bool m_wasModified = false;
    int m_undoSteps = 0;
    QString m_text;
    QString m_protected;
};
