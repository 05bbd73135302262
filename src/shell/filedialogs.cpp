#include "shell/filedialogs.h"

#include <QFileDialog>
#include <QFileInfo>

#include "text/infobox.h"

namespace {

constexpr quint32 kWarningIcon = 0x30;

} // namespace

QString DialogFileUser::startingPoint(const QString &path) const
{
    return path.isEmpty() ? m_lastFolder : path;
}

void DialogFileUser::remember(const QString &chosen)
{
    if (!chosen.isEmpty())
        m_lastFolder = QFileInfo(chosen).absolutePath();
}

QString DialogFileUser::fileToOpen(const QString &startPath)
{
    const QString chosen = QFileDialog::getOpenFileName(m_parent, QStringLiteral("打开文件"),
                                                        startingPoint(startPath));
    remember(chosen);
    return chosen;
}

QString DialogFileUser::fileToSave(const QString &suggestedPath)
{
    const QString chosen = QFileDialog::getSaveFileName(m_parent, QStringLiteral("另存为"),
                                                        startingPoint(suggestedPath));
    remember(chosen);
    return chosen;
}

void DialogFileUser::fileProblem(const QString &message)
{
    InfoBox(message, kWarningIcon);
}
