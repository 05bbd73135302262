#include "text/infobox.h"

#include <QList>
#include <QMessageBox>
#include <QPushButton>

namespace {

enum Style : quint32
{
    ButtonsMask = 0x0000000F,
    IconMask = 0x000000F0,
    DefaultButtonMask = 0x00000F00,
    SystemModal = 0x00001000,
    TaskModal = 0x00002000,
};

enum Answer : int
{
    AnswerOk = 0,
    AnswerCancel = 1,
    AnswerAbort = 2,
    AnswerRetry = 3,
    AnswerIgnore = 4,
    AnswerYes = 5,
    AnswerNo = 6,
};

// The buttons of each button set, in the order the default-button bits count them.
QList<QMessageBox::StandardButton> buttonsOf(quint32 style)
{
    switch (style & ButtonsMask) {
    case 1:
        return {QMessageBox::Ok, QMessageBox::Cancel};
    case 2:
        return {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore};
    case 3:
        return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
    case 4:
        return {QMessageBox::Yes, QMessageBox::No};
    case 5:
        return {QMessageBox::Retry, QMessageBox::Cancel};
    default:
        return {QMessageBox::Ok};
    }
}

QMessageBox::Icon iconOf(quint32 style)
{
    switch (style & IconMask) {
    case 0x10:
        return QMessageBox::Critical;
    case 0x20:
        return QMessageBox::Question;
    case 0x30:
        return QMessageBox::Warning;
    case 0x40:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

int answerOf(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Cancel:
        return AnswerCancel;
    case QMessageBox::Abort:
        return AnswerAbort;
    case QMessageBox::Retry:
        return AnswerRetry;
    case QMessageBox::Ignore:
        return AnswerIgnore;
    case QMessageBox::Yes:
        return AnswerYes;
    case QMessageBox::No:
        return AnswerNo;
    default:
        return AnswerOk;
    }
}

// Object names of the buttons, by answer.
constexpr const char *buttonNames[] = {"okButton",     "cancelButton", "abortButton", "retryButton",
                                       "ignoreButton", "yesButton",    "noButton"};

} // namespace

int InfoBox(const QString &text, quint32 style, const QString &caption)
{
    if (!(style & SystemModal))
        style |= TaskModal;

    QMessageBox box;
    box.setObjectName(QStringLiteral("infoBox"));
    box.setWindowTitle(caption.isEmpty() ? QStringLiteral("信息：") : caption);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setIcon(iconOf(style));
    // Both modal kinds block every window of the program, as the task-modal box does.
    box.setWindowModality(Qt::ApplicationModal);
    if (style & SystemModal)
        box.setWindowFlag(Qt::WindowStaysOnTopHint);

    const QList<QMessageBox::StandardButton> kinds = buttonsOf(style);
    QList<QPushButton *> buttons;
    for (const QMessageBox::StandardButton kind : kinds) {
        QPushButton *button = box.addButton(kind);
        button->setObjectName(QLatin1String(buttonNames[answerOf(kind)]));
        buttons.append(button);
    }

    if (kinds.contains(QMessageBox::Cancel)) {
        box.setEscapeButton(buttons[kinds.indexOf(QMessageBox::Cancel)]);
    } else if (kinds.contains(QMessageBox::No)) {
        box.setEscapeButton(buttons[kinds.indexOf(QMessageBox::No)]);
    } else if (kinds.contains(QMessageBox::Abort)) {
        // The box would take Abort, its one rejecting button, for Escape and the close button;
        // here neither is meant to answer. With the button in a neutral role there is no escape
        // button, and the box then ignores Escape and refuses to close.
        QPushButton *abort = buttons[kinds.indexOf(QMessageBox::Abort)];
        box.removeButton(abort);
        box.addButton(abort, QMessageBox::ActionRole);
    }
    // A box with OK alone takes it for Escape by itself.

    // After the buttons are settled: taking a button out of the box forgets it as the default.
    const qsizetype defaultIndex = (style & DefaultButtonMask) >> 8;
    box.setDefaultButton(defaultIndex < buttons.size() ? buttons[defaultIndex] : buttons.front());

    box.exec();
    const qsizetype chosen = buttons.indexOf(qobject_cast<QPushButton *>(box.clickedButton()));
    return chosen < 0 ? AnswerOk : answerOf(kinds[chosen]);
}
