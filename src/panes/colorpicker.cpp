#include "panes/colorpicker.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <qdrawutil.h>

namespace {

constexpr int kEdge = 2;
constexpr int kArrowWidth = 16;

} // namespace

ColorPicker::ColorPicker(QWidget *parent, quint32 color, bool allowTransparent)
    : QWidget(parent),
      m_color(color == colorpalette::kTransparent && !allowTransparent ? 0 : color),
      m_allowTransparent(allowTransparent), m_popup(new ColorPopup(this, allowTransparent))
{
    setObjectName(QStringLiteral("colorPicker"));
    setFocusPolicy(Qt::StrongFocus);
    connect(m_popup, &ColorPopup::colorAccepted, this, &ColorPicker::takeColor);
    connect(m_popup, &ColorPopup::finished, this, &ColorPicker::popupFinished);
    // A press that began on another control of the window sends its release there; the picker
    // watches for such releases over itself.
    qApp->installEventFilter(this);
}

ColorPicker::~ColorPicker()
{
    // The popup dies with the picker's QWidget part; nothing of it may reach this class then.
    disconnect(m_popup, nullptr, this, nullptr);
    qApp->removeEventFilter(this);
}

QSize ColorPicker::sizeHint() const
{
    return {80, 24};
}

QRect ColorPicker::arrowRect() const
{
    return {width() - kEdge - kArrowWidth, kEdge, kArrowWidth, height() - 2 * kEdge};
}

void ColorPicker::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPalette &pal = palette();
    const QBrush white(Qt::white);
    qDrawWinPanel(&painter, rect(), pal, true, &white);

    const QRect arrow = arrowRect();
    qDrawWinButton(&painter, arrow, pal, m_popupOpen, &pal.brush(QPalette::Button));
    QStyleOption arrowOption;
    arrowOption.initFrom(this);
    arrowOption.rect =
        arrow.adjusted(3, 3, -3, -3).translated(m_popupOpen ? QPoint(1, 1) : QPoint());
    style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrowOption, &painter, this);

    const QRect swatch(kEdge + 3, kEdge + 3, arrow.left() - kEdge - 6, height() - 2 * kEdge - 6);
    if (m_color == colorpalette::kTransparent) {
        // No colour of its own: white, struck through.
        painter.fillRect(swatch, Qt::white);
        painter.setPen(QPen(Qt::red, 1));
        painter.drawLine(swatch.bottomLeft(), swatch.topRight());
    } else {
        painter.fillRect(swatch, colorpalette::toQColor(m_color));
    }
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = swatch.adjusted(-2, -2, 2, 2);
        focus.backgroundColor = Qt::white;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void ColorPicker::mousePressEvent(QMouseEvent *event)
{
    // Only the release opens the popup; the press just takes the focus.
    event->accept();
}

void ColorPicker::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        openPopup();
}

bool ColorPicker::isReleaseOverPicker(QObject *receiver, const QMouseEvent &release) const
{
    if (release.button() != Qt::LeftButton || receiver == this || !isVisible() || !isEnabled())
        return false;
    auto *widget = qobject_cast<QWidget *>(receiver);
    if (!widget || widget->window() != window())
        return false;
    const QPoint global = release.globalPosition().toPoint();
    if (!rect().contains(mapFromGlobal(global)))
        return false;
    // Only where nothing of the window lies above the picker.
    QWidget *top = window()->childAt(window()->mapFromGlobal(global));
    return top == this || isAncestorOf(top);
}

bool ColorPicker::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        isReleaseOverPicker(watched, *static_cast<QMouseEvent *>(event)))
        openPopup();
    return QWidget::eventFilter(watched, event);
}

void ColorPicker::openPopup()
{
    if (m_popupOpen)
        return;
    m_popupOpen = true;
    update();
    m_popup->open(m_color);
}

void ColorPicker::takeColor(quint32 color)
{
    m_color = color;
    update();
    emit colorChosen(color);
}

void ColorPicker::popupFinished()
{
    m_popupOpen = false;
    update();
}
