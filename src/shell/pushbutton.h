#pragma once

// The window's push buttons. Arrow keys do not move the focus off a button (only Tab and
// Shift+Tab do), and Escape reaches the window even while Space holds the button down: the
// press is dropped without a click and the window closes.

#include <QPushButton>

class PushButton : public QPushButton
{
    Q_OBJECT

public:
    explicit PushButton(const QString &text, QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
