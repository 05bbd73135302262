#pragma once

// Loading a pane from a file ("打开文件…", a dropped file, the command line) and writing its
// text to one ("另存为…").

#include <QString>

#include "panes/textpane.h"
#include "text/textfile.h"

namespace commands {

// Where a pane's text came from, so that saving writes it the way its file had it. A text that
// was typed or pasted into an empty pane has the default: UTF-8, LF, no path.
struct PaneFile
{
    textfile::Format format;
    QString path;

    friend bool operator==(const PaneFile &, const PaneFile &) = default;
};

// The dialogs and the messages the file commands need.
class FileUser
{
public:
    virtual ~FileUser() = default;
    // Asks for a file to open; empty when the user cancels.
    virtual QString fileToOpen(const QString &startPath) = 0;
    // Asks for a file to write; empty when the user cancels. The dialog asks before an existing
    // file is replaced.
    virtual QString fileToSave(const QString &suggestedPath) = 0;
    // Tells the user why a file could not be loaded or saved; blocks until it is dismissed.
    virtual void fileProblem(const QString &message) = 0;
};

// Loads the file into the pane, as one step the user can undo, and notes its format in origin.
// On any problem the user is told, and the pane and origin stay as they were. Answers whether
// the file was loaded.
bool openFile(TextPane &pane, PaneFile &origin, const QString &path, FileUser &user);
// Asks for a file and loads it.
void openChosenFile(TextPane &pane, PaneFile &origin, FileUser &user);

// Writes the pane's text to the file in origin's format; afterwards origin names that file. On a
// problem the user is told and the file on disk stays as it was. Answers whether it was written.
bool saveFile(const TextPane &pane, PaneFile &origin, const QString &path, FileUser &user);
// Asks for a file and writes the pane's text to it.
void saveToChosenFile(const TextPane &pane, PaneFile &origin, FileUser &user);

// What the user is told when a file cannot be read or written: the file and the reason.
QString readProblem(const QString &path, const textfile::ReadResult &result);
QString writeProblem(const QString &path, const textfile::WriteResult &result);

} // namespace commands
