#pragma once

// What the toolkit tries to open at start-up, so that a start without a display can tell the
// user which display it was.

#include <QString>

namespace startupdisplay {

struct Tried
{
    // -platform on the command line, else QT_QPA_PLATFORM; empty when the toolkit chooses.
    QString platform;
    // -display on the command line, else DISPLAY; empty when neither is given.
    QString x11Display;
    // WAYLAND_DISPLAY; empty when it is not set.
    QString waylandDisplay;
};

// Reads what start-up will try from the command line and the environment; the command line wins,
// as it does in the toolkit.
Tried fromStartup(int argc, char **argv);

// Whether start-up has anything to open: a platform asked for, or a display named.
bool anythingToOpen(const Tried &tried);

// The line for standard error when no display could be opened: "无法打开显示：" followed by what
// was tried, X and Wayland by their display, any other platform by its name.
QString notOpenedLine(const Tried &tried);

} // namespace startupdisplay
