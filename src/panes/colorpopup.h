#pragma once

// The palette popup of a ColorPicker: an optional "透明" row, the 32 palette cells and a
// "其它颜色..." row. It holds the mouse while it is shown: a release inside accepts the
// highlighted entry, a press and release outside cancels. The arrow keys move the highlight,
// Enter or Space accepts it, Escape cancels, and so does the application losing activation.
//
// One open() starts a session that ends with finished(), after at most one colorAccepted().

#include <QRect>
#include <QWidget>

#include "panes/colorpalette.h"

class ColorPopup : public QWidget
{
    Q_OBJECT

public:
    // Entries are numbered: the palette cells 0 to 31, then these.
    static constexpr int NoEntry = -1;
    static constexpr int TransparentEntry = colorpalette::kCount;
    static constexpr int OtherColorsEntry = colorpalette::kCount + 1;

    // The popup is a top-level window owned by the picker that opens it.
    explicit ColorPopup(QWidget *picker, bool allowTransparent);

    // Shows the popup under the picker, kept on the picker's screen, for this current colour.
    void open(quint32 current);
    // True from open() to finished(), the colour dialog's time included.
    bool isInSession() const { return m_inSession; }

    bool allowTransparent() const { return m_allowTransparent; }
    // The entry drawn pressed: the one that matches the current colour.
    int pressedEntry() const { return m_pressed; }
    // The entry a release or Enter would accept; NoEntry until one has been highlighted.
    int highlightedEntry() const { return m_highlighted; }

    // Rectangles in popup coordinates; empty for an index outside the palette or a missing row.
    QRect cellRect(int index) const;
    QRect transparentRect() const;
    QRect otherColorsRect() const;
    QRect entryRect(int entry) const;
    int entryAt(QPoint pos) const;

    QSize sizeHint() const override;

signals:
    void colorAccepted(quint32 color);
    void finished();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void layoutEntries();
    void placeUnder(const QWidget *picker);
    void setHighlighted(int entry);
    int neighbour(int from, int key) const;
    void accept(int entry);
    void chooseOtherColor();
    void deliver(quint32 color);
    void cancel();
    void endSession();
    void paintEntryFrame(QPainter &painter, int entry) const;

    const bool m_allowTransparent;
    quint32 m_current = 0;
    int m_pressed = NoEntry;
    int m_highlighted = NoEntry;
    // The column the vertical moves aim for when they leave a text row.
    int m_column = 0;
    bool m_inSession = false;
    bool m_buttonDown = false;
    // The popup is hidden while the colour dialog runs; that hide ends nothing.
    bool m_inDialog = false;

    QRect m_transparentRect;
    QRect m_cellsOrigin; // the first cell
    QRect m_otherRect;
    QSize m_size;
};
