#include "shell/startupdisplay.h"

#include <cstring>

#include <QStringList>

namespace startupdisplay {

namespace {

// The value after the option NAME ("-name" or "--name") on the command line, or a null string.
QString optionValue(int argc, char **argv, const char *name)
{
    QString value;
    for (int i = 1; i + 1 < argc; ++i) {
        const char *argument = argv[i];
        if (std::strncmp(argument, "--", 2) == 0)
            ++argument;
        if (argument[0] == '-' && std::strcmp(argument + 1, name) == 0)
            value = QString::fromLocal8Bit(argv[++i]);
    }
    return value;
}

QString quoted(const QString &text)
{
    return u'"' + text + u'"';
}

QString displayPart(const char *variable, const QString &value)
{
    if (value.isEmpty())
        return QStringLiteral("没有设置 ") + QString::fromLatin1(variable);
    return QString::fromLatin1(variable) + u'=' + quoted(value);
}

// The platforms in the order the toolkit tries them: those asked for (a list separated by ';',
// each name possibly followed by ':' and options), or Wayland when its display is named, then X.
QStringList platformsTried(const Tried &tried)
{
    QStringList names;
    if (!tried.platform.isEmpty()) {
        for (const QString &entry : tried.platform.split(u';', Qt::SkipEmptyParts))
            names << entry.section(u':', 0, 0);
        return names;
    }
    if (!tried.waylandDisplay.isEmpty())
        names << QStringLiteral("wayland");
    names << QStringLiteral("xcb");
    return names;
}

} // namespace

Tried fromStartup(int argc, char **argv)
{
    Tried tried;
    tried.platform = optionValue(argc, argv, "platform");
    if (tried.platform.isNull())
        tried.platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    tried.x11Display = optionValue(argc, argv, "display");
    if (tried.x11Display.isNull())
        tried.x11Display = qEnvironmentVariable("DISPLAY");
    tried.waylandDisplay = qEnvironmentVariable("WAYLAND_DISPLAY");
    return tried;
}

bool anythingToOpen(const Tried &tried)
{
    return !tried.platform.isEmpty() || !tried.x11Display.isEmpty() ||
           !tried.waylandDisplay.isEmpty();
}

QString notOpenedLine(const Tried &tried)
{
    QStringList parts;
    for (const QString &platform : platformsTried(tried)) {
        QString part;
        if (platform == u"xcb")
            part = displayPart("DISPLAY", tried.x11Display);
        else if (platform.startsWith(u"wayland"))
            part = displayPart("WAYLAND_DISPLAY", tried.waylandDisplay);
        else
            part = QStringLiteral("平台 ") + quoted(platform);
        if (!parts.contains(part))
            parts << part;
    }
    return QStringLiteral("无法打开显示：") + parts.join(u'，');
}

} // namespace startupdisplay
