#include "shell/pushbutton.h"

#include <QKeyEvent>

PushButton::PushButton(const QString &text, QWidget *parent) : QPushButton(text, parent)
{
    setAutoDefault(false);
    setDefault(false);
    setFocusPolicy(Qt::StrongFocus);
}

void PushButton::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
        // A button has no use for them; they go on to the window, which has none either.
        event->ignore();
        return;
    case Qt::Key_Escape:
        if (event->modifiers() == Qt::NoModifier) {
            // A press held with Space ends without a click; the window then closes.
            if (isDown())
                setDown(false);
            event->ignore();
            return;
        }
        break;
    default:
        break;
    }
    QPushButton::keyPressEvent(event);
}
