#pragma once

// A button-like control that shows a colour swatch and a drop-down arrow. Releasing the left
// mouse button over it opens its palette popup, wherever in its window the press began; every
// colour accepted there is stored and announced with colorChosen, also when it equals the colour
// already held.

#include <QWidget>

#include "panes/colorpopup.h"

class ColorPicker : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(quint32 color READ color NOTIFY colorChosen)

public:
    // With allowTransparent false, the transparent value 0xFF000000 starts as 0 (black).
    explicit ColorPicker(QWidget *parent = nullptr, quint32 color = 0,
                         bool allowTransparent = false);
    ~ColorPicker() override;

    // 0x00BBGGRR, or 0xFF000000 for transparent.
    quint32 color() const { return m_color; }
    bool allowTransparent() const { return m_allowTransparent; }
    // True while the popup or its colour dialog is up.
    bool isPopupOpen() const { return m_popupOpen; }

    QSize sizeHint() const override;

signals:
    // Fired for every accepted colour, after it is stored and before the popup closes.
    void colorChosen(quint32 color);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void openPopup();
    bool isReleaseOverPicker(QObject *receiver, const QMouseEvent &release) const;
    void takeColor(quint32 color);
    void popupFinished();
    QRect arrowRect() const;

    quint32 m_color;
    const bool m_allowTransparent;
    bool m_popupOpen = false;
    ColorPopup *m_popup;
};
