#include "commands/filecommands.h"

#include <QFileInfo>

#include "text/codepage.h"

namespace commands {

namespace {

QString notTextReason(textfile::DecodeStatus status)
{
    switch (status) {
    case textfile::DecodeStatus::ZeroBytes:
        return QStringLiteral("其中有零字节");
    case textfile::DecodeStatus::InvalidUtf8:
        return QStringLiteral("开头标明是 UTF-8，内容却不是有效的 UTF-8");
    case textfile::DecodeStatus::InvalidUtf16:
        return QStringLiteral("开头标明是 UTF-16，内容却不是有效的 UTF-16");
    case textfile::DecodeStatus::InvalidGb18030:
        return QStringLiteral("既不是有效的 UTF-8，也不是有效的 GB18030");
    case textfile::DecodeStatus::Decoded:
        break;
    }
    return {};
}

} // namespace

QString readProblem(const QString &path, const textfile::ReadResult &result)
{
    switch (result.status) {
    case textfile::ReadStatus::Missing:
        return QStringLiteral("无法打开“%1”：文件不存在。").arg(path);
    case textfile::ReadStatus::Directory:
        return QStringLiteral("无法打开“%1”：这是一个文件夹，不是文件。").arg(path);
    case textfile::ReadStatus::NotRegularFile:
        return QStringLiteral("无法打开“%1”：这不是普通文件。").arg(path);
    case textfile::ReadStatus::Unreadable:
        return QStringLiteral("无法读取“%1”：没有读取权限或读取出错（%2）。")
            .arg(path, result.reason);
    case textfile::ReadStatus::TooLarge:
        return QStringLiteral("无法打开“%1”：文件有 %2 字节，超过了本程序能打开的上限 %3 MB。")
            .arg(path)
            .arg(result.size)
            .arg(textfile::kLargestFileBytes >> 20);
    case textfile::ReadStatus::NotText:
        return QStringLiteral("无法打开“%1”：这不是文本文件（%2）。")
            .arg(path, notTextReason(result.decoded.status));
    case textfile::ReadStatus::Read:
        break;
    }
    return {};
}

QString writeProblem(const QString &path, const textfile::WriteResult &result)
{
    switch (result.status) {
    case textfile::WriteStatus::Directory:
        return QStringLiteral("无法保存到“%1”：这是一个文件夹。").arg(path);
    case textfile::WriteStatus::CannotCreate:
        return QStringLiteral("无法保存到“%1”：不能在文件夹“%2”中写入文件（%3）。")
            .arg(path, QFileInfo(path).absolutePath(), result.reason);
    case textfile::WriteStatus::WriteFailed:
        return QStringLiteral("无法保存到“%1”：写入失败，磁盘可能已满（%2）。原来的文件没有改变。")
            .arg(path, result.reason);
    case textfile::WriteStatus::Written:
        break;
    }
    return {};
}

bool openFile(TextPane &pane, PaneFile &origin, const QString &path, FileUser &user)
{
    const textfile::ReadResult result = textfile::read(path);
    if (result.status != textfile::ReadStatus::Read) {
        user.fileProblem(readProblem(path, result));
        return false;
    }
    pane.setContext(result.decoded.text);
    origin = {std::move(result.decoded.format), path};
    return true;
}

void openChosenFile(TextPane &pane, PaneFile &origin, FileUser &user)
{
    const QString path = user.fileToOpen(origin.path);
    if (!path.isEmpty())
        openFile(pane, origin, path, user);
}

bool saveFile(const TextPane &pane, PaneFile &origin, const QString &path, FileUser &user)
{
    const QByteArray bytes = textfile::encode(pane.context(), origin.format);
    const textfile::WriteResult result = textfile::write(path, bytes);
    if (result.status != textfile::WriteStatus::Written) {
        user.fileProblem(writeProblem(path, result));
        return false;
    }
    origin.path = path;
    return true;
}

void saveToChosenFile(const TextPane &pane, PaneFile &origin, FileUser &user)
{
    const QString path = user.fileToSave(origin.path);
    if (!path.isEmpty())
        saveFile(pane, origin, path, user);
}

} // namespace commands
