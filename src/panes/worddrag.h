#pragma once

// Automatic word selection for a drag of the left button in a pane: while the pointer stays in
// the word where the press was, the selection follows it character by character; once it
// leaves that word, the selection takes in whole words, from the far edge of the first word to
// the far edge of the word under the pointer.

#include <optional>

#include <QTextCursor>

class WordDrag
{
public:
    // A press of the left button left the caret here.
    void start(const QTextCursor &caret);
    void stop() { m_anchor.reset(); }

    // The selection the drag should have, given the one the pane made for the pointer; nothing
    // when the pane's own selection is right.
    std::optional<QTextCursor> extend(const QTextCursor &selection) const;

private:
    std::optional<int> m_anchor;
    int m_wordStart = 0;
    int m_wordEnd = 0;
};
