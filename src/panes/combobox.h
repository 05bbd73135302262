#pragma once

// The drop-down list the user picks the highlight size from. itemChosen fires once for every
// choice the user accepts, through the event queue, so the chosen item is current by then.

#include <QComboBox>

#include "panes/inputs.h"

class ComboBox : public QComboBox, public ItemList
{
    Q_OBJECT

public:
    explicit ComboBox(QWidget *parent = nullptr);

    int32_t listIndex() const override;
    std::string itemText(int32_t index) const override;

signals:
    void itemChosen();
};
