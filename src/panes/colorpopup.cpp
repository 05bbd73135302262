#include "panes/colorpopup.h"

#include <QColorDialog>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QToolTip>
#include <qdrawutil.h>

namespace {

constexpr int kColumns = 7;
constexpr int kRows = (colorpalette::kCount + kColumns - 1) / kColumns;
constexpr int kCell = 18;
constexpr int kGap = 2;
// A 2-pixel raised edge and 2 pixels of room inside it.
constexpr int kInset = 4;
constexpr int kGridWidth = kColumns * kCell + (kColumns - 1) * kGap;
constexpr int kGridHeight = kRows * kCell + (kRows - 1) * kGap;

int lowestCellInColumn(int column)
{
    const int cell = (kRows - 1) * kColumns + column;
    return cell < colorpalette::kCount ? cell : cell - kColumns;
}

} // namespace

ColorPopup::ColorPopup(QWidget *picker, bool allowTransparent)
    : QWidget(picker, Qt::Popup), m_allowTransparent(allowTransparent)
{
    setObjectName(QStringLiteral("colorPopup"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    layoutEntries();
    // Switching to another application cancels, as a click outside would.
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive && isVisible())
                    cancel();
            });
}

void ColorPopup::open(quint32 current)
{
    m_current = current;
    const int cell = colorpalette::indexOf(current);
    if (cell >= 0)
        m_pressed = cell;
    else if (current == colorpalette::kTransparent && m_allowTransparent)
        m_pressed = TransparentEntry;
    else
        m_pressed = OtherColorsEntry;
    m_highlighted = NoEntry;
    m_column = cell >= 0 ? cell % kColumns : 0;
    m_buttonDown = false;
    m_inSession = true;
    placeUnder(parentWidget());
    show();
    raise();
    update();
}

QRect ColorPopup::cellRect(int index) const
{
    if (index < 0 || index >= colorpalette::kCount)
        return {};
    return m_cellsOrigin.translated((index % kColumns) * (kCell + kGap),
                                    (index / kColumns) * (kCell + kGap));
}

QRect ColorPopup::transparentRect() const
{
    return m_transparentRect;
}

QRect ColorPopup::otherColorsRect() const
{
    return m_otherRect;
}

QRect ColorPopup::entryRect(int entry) const
{
    if (entry == TransparentEntry)
        return m_transparentRect;
    if (entry == OtherColorsEntry)
        return m_otherRect;
    return cellRect(entry);
}

int ColorPopup::entryAt(QPoint pos) const
{
    for (int entry = 0; entry <= OtherColorsEntry; ++entry) {
        if (entryRect(entry).contains(pos))
            return entry;
    }
    return NoEntry;
}

QSize ColorPopup::sizeHint() const
{
    return m_size;
}

void ColorPopup::layoutEntries()
{
    const int rowHeight = qMax(kCell + 2, fontMetrics().height() + 6);
    int top = kInset;
    if (m_allowTransparent) {
        m_transparentRect = QRect(kInset, top, kGridWidth, rowHeight);
        top += rowHeight + 2 * kGap;
    } else {
        m_transparentRect = QRect();
    }
    m_cellsOrigin = QRect(kInset, top, kCell, kCell);
    top += kGridHeight + 2 * kGap;
    m_otherRect = QRect(kInset, top, kGridWidth, rowHeight);
    top += rowHeight + kInset;
    m_size = QSize(kGridWidth + 2 * kInset, top);
    resize(m_size);
}

void ColorPopup::placeUnder(const QWidget *picker)
{
    const QSize size = sizeHint();
    QPoint pos = picker->mapToGlobal(QPoint(0, picker->height()));
    if (const QScreen *screen = picker->screen()) {
        const QRect area = screen->availableGeometry();
        if (pos.x() + size.width() > area.right() + 1)
            pos.setX(area.right() + 1 - size.width());
        if (pos.x() < area.left())
            pos.setX(area.left());
        if (pos.y() + size.height() > area.bottom() + 1) {
            // Above the picker rather than over it, where there is room.
            const int above = picker->mapToGlobal(QPoint(0, 0)).y() - size.height();
            pos.setY(above >= area.top() ? above : area.bottom() + 1 - size.height());
        }
        if (pos.y() < area.top())
            pos.setY(area.top());
    }
    // A popup has no frame: the rectangle is the popup itself.
    setGeometry(QRect(pos, size));
}

void ColorPopup::setHighlighted(int entry)
{
    if (entry == NoEntry || entry == m_highlighted)
        return;
    m_highlighted = entry;
    if (entry < colorpalette::kCount)
        m_column = entry % kColumns;
    update();
}

// Left and Right step through the entries in reading order, Up and Down by a row; both wrap
// around. Leaving a text row for the cells lands in the column last visited.
int ColorPopup::neighbour(int from, int key) const
{
    const int first = m_allowTransparent ? TransparentEntry : 0;
    const bool isCell = from >= 0 && from < colorpalette::kCount;
    switch (key) {
    case Qt::Key_Right:
        if (from == TransparentEntry)
            return 0;
        if (from == OtherColorsEntry)
            return first;
        return from + 1 < colorpalette::kCount ? from + 1 : OtherColorsEntry;
    case Qt::Key_Left:
        if (from == TransparentEntry)
            return OtherColorsEntry;
        if (from == OtherColorsEntry)
            return colorpalette::kCount - 1;
        return from > 0 ? from - 1 : (m_allowTransparent ? TransparentEntry : OtherColorsEntry);
    case Qt::Key_Down:
        if (isCell)
            return from + kColumns < colorpalette::kCount ? from + kColumns : OtherColorsEntry;
        if (from == TransparentEntry)
            return m_column;
        return m_allowTransparent ? TransparentEntry : m_column;
    case Qt::Key_Up:
        if (isCell) {
            if (from >= kColumns)
                return from - kColumns;
            return m_allowTransparent ? TransparentEntry : OtherColorsEntry;
        }
        if (from == TransparentEntry)
            return OtherColorsEntry;
        return lowestCellInColumn(m_column);
    default:
        return from;
    }
}

void ColorPopup::accept(int entry)
{
    if (entry == OtherColorsEntry)
        chooseOtherColor();
    else if (entry == TransparentEntry)
        deliver(colorpalette::kTransparent);
    else if (entry == NoEntry)
        deliver(m_current);
    else
        deliver(colorpalette::entry(entry).value);
}

void ColorPopup::chooseOtherColor()
{
    m_inDialog = true;
    hide();
    QPointer<ColorPopup> self(this);
    QPointer<QColorDialog> dialog = new QColorDialog(parentWidget()->window());
    dialog->setObjectName(QStringLiteral("colorDialog"));
    dialog->setOption(QColorDialog::DontUseNativeDialog);
    // Black (0) and transparent leave the dialog at its own start colour.
    if (m_current != 0 && m_current != colorpalette::kTransparent)
        dialog->setCurrentColor(colorpalette::toQColor(m_current));
    const bool accepted = dialog->exec() == QDialog::Accepted;
    QColor chosen;
    if (dialog) {
        chosen = dialog->selectedColor();
        dialog->deleteLater();
    }
    if (!self)
        return;
    m_inDialog = false;
    if (accepted && chosen.isValid())
        deliver(colorpalette::fromQColor(chosen));
    else
        endSession();
}

// The picker takes the colour and fires its event while the popup is still up; then it closes.
void ColorPopup::deliver(quint32 color)
{
    QPointer<ColorPopup> self(this);
    emit colorAccepted(color);
    if (!self)
        return;
    if (isVisible())
        hide();
    else
        endSession();
}

void ColorPopup::cancel()
{
    if (isVisible())
        hide();
    else
        endSession();
}

void ColorPopup::endSession()
{
    if (!m_inSession)
        return;
    m_inSession = false;
    emit finished();
}

bool ColorPopup::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const int entry = entryAt(help->pos());
        if (entry >= 0 && entry < colorpalette::kCount)
            QToolTip::showText(help->globalPos(), colorpalette::name(entry), this, cellRect(entry));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void ColorPopup::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPalette &pal = palette();
    qDrawWinPanel(&painter, rect(), pal, false, &pal.brush(QPalette::Window));

    for (int cell = 0; cell < colorpalette::kCount; ++cell) {
        paintEntryFrame(painter, cell);
        const QRect swatch = cellRect(cell).adjusted(3, 3, -3, -3);
        painter.fillRect(swatch, colorpalette::toQColor(colorpalette::entry(cell).value));
        painter.setPen(pal.color(QPalette::Dark));
        painter.drawRect(swatch.adjusted(-1, -1, 0, 0));
    }

    painter.setPen(pal.color(QPalette::WindowText));
    if (m_allowTransparent) {
        paintEntryFrame(painter, TransparentEntry);
        painter.drawText(m_transparentRect, Qt::AlignCenter, QStringLiteral("透明"));
    }
    paintEntryFrame(painter, OtherColorsEntry);
    painter.setPen(pal.color(QPalette::WindowText));
    painter.drawText(m_otherRect, Qt::AlignCenter, QStringLiteral("其它颜色..."));
}

// The current colour's entry is sunken; the highlight is a ring just outside the entry.
void ColorPopup::paintEntryFrame(QPainter &painter, int entry) const
{
    const QRect r = entryRect(entry);
    if (entry == m_pressed)
        qDrawShadePanel(&painter, r, palette(), true, 1);
    if (entry == m_highlighted) {
        painter.save();
        painter.setPen(palette().color(QPalette::Highlight));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(r.adjusted(-1, -1, 0, 0));
        painter.restore();
    }
}

void ColorPopup::mousePressEvent(QMouseEvent *event)
{
    // Unlike a plain Qt popup this one does not close on a press outside: the press and its
    // release both stay here, so the release cannot reach the widget underneath.
    m_buttonDown = true;
    setHighlighted(entryAt(event->position().toPoint()));
    event->accept();
}

void ColorPopup::mouseMoveEvent(QMouseEvent *event)
{
    setHighlighted(entryAt(event->position().toPoint()));
    event->accept();
}

void ColorPopup::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (!m_buttonDown)
        return;
    m_buttonDown = false;
    const QPoint pos = event->position().toPoint();
    if (!rect().contains(pos)) {
        cancel();
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    setHighlighted(entryAt(pos));
    accept(m_highlighted);
}

void ColorPopup::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        setHighlighted(
            neighbour(m_highlighted == NoEntry ? m_pressed : m_highlighted, event->key()));
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        accept(m_highlighted);
        break;
    case Qt::Key_Escape:
        cancel();
        break;
    default:
        event->ignore();
        return;
    }
    event->accept();
}

void ColorPopup::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_buttonDown = false;
    // Any way the popup goes away that is not an acceptance is a cancellation.
    if (!m_inDialog)
        endSession();
}

void ColorPopup::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        layoutEntries();
        update();
    }
}
