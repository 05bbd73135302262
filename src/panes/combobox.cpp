#include "panes/combobox.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QProxyStyle>
#include <QScreen>
#include <QStyledItemDelegate>

#include "text/codepage.h"

namespace {

// List rows one pixel taller than the style's.
class TallerRowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(0, 1);
    }
};

// The list drops below the box as a list of its own. Some styles lay every item over the box
// instead, as tall as all the items, which ignores the height the box is given.
class DropBelowStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

ComboBox::ComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
    auto *style = new DropBelowStyle;
    style->setParent(this);
    setStyle(style);
    setItemDelegate(new TallerRowDelegate(this));
    // activated() comes for every accepted choice, the current item included, and never for a
    // change the program makes; the command runs once the list's own handling is over.
    connect(this, &QComboBox::activated, this, [this] {
        QMetaObject::invokeMethod(this, &ComboBox::itemChosen, Qt::QueuedConnection);
    });
}

void ComboBox::showPopup()
{
    QComboBox::showPopup();
    QWidget *list = view()->window();
    if (list == window() || !list->isVisible())
        return;
    const int listHeight = std::max(DroppedHeight - height(), 1);
    QRect geometry(mapToGlobal(QPoint(0, height())), QSize(list->width(), listHeight));
    if (const QScreen *screen = this->screen();
        screen && geometry.bottom() > screen->availableGeometry().bottom())
        geometry.moveBottom(mapToGlobal(QPoint(0, 0)).y() - 1);
    list->setGeometry(geometry);
    view()->scrollTo(view()->currentIndex(), QAbstractItemView::EnsureVisible);
}

int32_t ComboBox::listIndex() const
{
    return currentIndex();
}

std::string ComboBox::itemText(int32_t index) const
{
    if (index < 0 || index >= count())
        return {};
    return text::toCodePage(QComboBox::itemText(index));
}
