#include "panes/worddrag.h"

namespace {

int movedTo(QTextCursor cursor, int position, QTextCursor::MoveOperation move)
{
    cursor.setPosition(position);
    cursor.movePosition(move);
    return cursor.position();
}

} // namespace

void WordDrag::start(const QTextCursor &caret)
{
    const int position = caret.position();
    m_anchor = position;
    m_wordStart = movedTo(caret, position, QTextCursor::StartOfWord);
    m_wordEnd = movedTo(caret, position, QTextCursor::EndOfWord);
}

std::optional<QTextCursor> WordDrag::extend(const QTextCursor &selection) const
{
    if (!m_anchor)
        return std::nullopt;
    const int pointer = selection.position();
    int anchor = *m_anchor;
    int end = pointer;
    if (pointer > m_wordEnd) {
        anchor = m_wordStart;
        end = movedTo(selection, pointer, QTextCursor::EndOfWord);
    } else if (pointer < m_wordStart) {
        anchor = m_wordEnd;
        end = movedTo(selection, pointer, QTextCursor::StartOfWord);
    }
    if (selection.anchor() == anchor && selection.position() == end)
        return std::nullopt;
    QTextCursor words = selection;
    words.setPosition(anchor);
    words.setPosition(end, QTextCursor::KeepAnchor);
    return words;
}
