#pragma once

// The rich-text pane: a QPlainTextEdit that the commands address through TextPane, counting
// positions in bytes of its code-page text.

#include <optional>
#include <string>
#include <vector>

#include <QTextCursor>
#include <QPlainTextEdit>

#include "panes/bytemap.h"
#include "panes/textpane.h"
#include "panes/worddrag.h"

class RichEdit : public QPlainTextEdit, public TextPane
{
    Q_OBJECT

public:
    explicit RichEdit(QWidget *parent = nullptr);

    std::string context() const override;
    void setContext(std::string_view text) override;
    void setSelStart(int32_t start) override;
    void setSelLength(int32_t length) override;
    int32_t textLength() const override;
    void showSelection() override;
    ByteRange selection() const override;
    std::vector<ByteRange> markedRanges() const override;
    void scrollToByte(int32_t position) override;
    void applyCharFormat(const CharFormat &format) override;
    void applyCharFormat(std::span<const ByteRange> ranges, const CharFormat &format) override;

    // The live selection in bytes, whether it is shown or hidden.
    int32_t selStart() const;
    int32_t selLength() const;
    // The values last written to SelStart and SelLength.
    int32_t storedStart() const { return m_storedStart; }
    int32_t storedLength() const { return m_storedLength; }

    // The live selection as a cursor on the document; while the pane lacks the focus the
    // selection is kept here but not drawn.
    QTextCursor selectionCursor() const;

    // The pane's default character format: what context() writes and what typing starts with.
    static QFont defaultFont();

signals:
    // A file was dropped on the pane; the window decides what to do with it.
    void fileDropped(const QString &path);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void dropEvent(QDropEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // The code-page text and the document positions of the soft breaks, which it leaves out.
    struct CodePageText
    {
        std::string bytes;
        std::vector<int> softBreaks;
        // Made on the first look-up.
        std::vector<ByteMap::Checkpoint> checkpoints;
    };
    const CodePageText &codePageText() const;
    const std::string &bytes() const;
    // A map of the current text, with checkpoints.
    ByteMap byteMap() const;
    // Enter after a soft break, and Backspace or Delete next to one; answers whether it did
    // the edit.
    bool editAcrossSoftBreak(const QKeyEvent *event);
    void selectBytes(int64_t start, int64_t end);
    // Scrolls the line that holds the document position into view, when it is out of view.
    void showPosition(int position);
    void setSelectionCursor(const QTextCursor &cursor);
    bool editTouchesProtectedText(const QTextCursor &cursor, int extraBefore, int extraAfter) const;

    int32_t m_storedStart = 0;
    int32_t m_storedLength = 0;
    // The selection while it is hidden (the pane lacks the focus).
    std::optional<QTextCursor> m_hiddenSelection;
    // The code-page text, kept until the characters change.
    mutable std::optional<CodePageText> m_text;
    bool m_formatting = false;
    WordDrag m_wordDrag;
};
