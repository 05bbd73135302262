#pragma once

// The drop-down list the user picks the highlight size from. itemChosen fires once for every
// choice the user accepts, through the event queue, so the chosen item is current by then.
// Dropped, box and list together are DroppedHeight pixels tall; the list opens below the box
// (above it where the screen ends) and scrolls.

#include <QComboBox>

#include "panes/inputs.h"

class ComboBox : public QComboBox, public ItemList
{
    Q_OBJECT

public:
    static constexpr int DroppedHeight = 160;

    explicit ComboBox(QWidget *parent = nullptr);

    void showPopup() override;

    int32_t listIndex() const override;
    std::string itemText(int32_t index) const override;

signals:
    void itemChosen();
};
