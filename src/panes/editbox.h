#pragma once

// A single-line edit box whose text the commands read in the code page.

#include <QLineEdit>

#include "panes/inputs.h"

class EditBox : public QLineEdit, public TextInput
{
    Q_OBJECT

public:
    explicit EditBox(QWidget *parent = nullptr);

    std::string content() const override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
