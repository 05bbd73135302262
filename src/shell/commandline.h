#pragma once

// The command line: textcompare [LEFT [RIGHT]]. The files named are loaded into the left and the
// right pane once the window is up; with no arguments the program starts with empty panes.

#include <optional>

#include <QString>
#include <QStringList>

namespace commandline {

struct Startup
{
    QStringList files; // at most two: left, right
    // Set when the program ends at once: after --help (0) or a wrong command line (1), with
    // message to print on standard output or standard error.
    std::optional<int> exitStatus;
    QString message;
};

// Reads the arguments the toolkit left (the program's name first).
Startup parse(const QStringList &arguments);

} // namespace commandline
