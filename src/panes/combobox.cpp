#include "panes/combobox.h"

#include <QAbstractItemView>
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

} // namespace

ComboBox::ComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
    setItemDelegate(new TallerRowDelegate(this));
    // activated() comes for every accepted choice, the current item included, and never for a
    // change the program makes; the command runs once the list's own handling is over.
    connect(this, &QComboBox::activated, this, [this] {
        QMetaObject::invokeMethod(this, &ComboBox::itemChosen, Qt::QueuedConnection);
    });
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
