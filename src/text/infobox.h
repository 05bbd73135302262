#pragma once

// A modal message box in the manner of the platform's classic message-box call.
//
// Shows text (as plain text, in full) under caption, or under "信息：" when caption is empty,
// and blocks until the user dismisses it. The box has no owner window and is application-modal:
// while it is up no other window of the program takes input. style holds Win32 message-box
// style bits:
//   buttons (style & 0xF): 0 OK, 1 OK Cancel, 2 Abort Retry Ignore, 3 Yes No Cancel, 4 Yes No,
//     5 Retry Cancel; any other value gives OK;
//   icon (style & 0xF0): 0x10 stop, 0x20 question, 0x30 warning, 0x40 information;
//   default button (style & 0xF00): 0x000, 0x100, 0x200 the first, second, third button of the
//     list above (the first when there is no such button);
//   modality: system-modal (0x1000) or task-modal (0x2000, added unless system-modal is set);
//     both give an application-modal box, a system-modal one also stays on top.
// Escape and the window's close button choose Cancel, No in a Yes/No box, OK in an OK box, and
// do nothing in an Abort/Retry/Ignore box.
//
// Answers the button that closed the box: 0 OK, 1 Cancel, 2 Abort, 3 Retry, 4 Ignore, 5 Yes,
// 6 No.

#include <QString>
#include <QtGlobal>

int InfoBox(const QString &text, quint32 style = 0, const QString &caption = QString());
