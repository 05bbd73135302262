#pragma once

// The window manager offers a fixed-size window no sizing border and no resize function: the
// toolkit alone keeps them on (it always announces "resize" in the Motif hints of X11).

class QWidget;

namespace fixedframe {

// Announces the window's frame as caption, system menu, minimise and close, and its functions
// as move, minimise and close. Call it once the window has its native window and before that
// is mapped (its show event). Does nothing off X11.
void announceToWindowManager(QWidget &window);

} // namespace fixedframe
