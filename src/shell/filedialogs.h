#pragma once

// The file commands' dialogs and messages as the user meets them: the toolkit's file dialogs and
// the message box.

#include <QPointer>
#include <QWidget>

#include "commands/filecommands.h"

class DialogFileUser : public commands::FileUser
{
public:
    explicit DialogFileUser(QWidget *parent) : m_parent(parent) {}

    QString fileToOpen(const QString &startPath) override;
    QString fileToSave(const QString &suggestedPath) override;
    void fileProblem(const QString &message) override;

private:
    QString startingPoint(const QString &path) const;
    void remember(const QString &chosen);

    QPointer<QWidget> m_parent;
    // The folder of the last file chosen, where the next dialog starts.
    QString m_lastFolder;
};
