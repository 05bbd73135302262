#include "shell/commandline.h"

#include <QCommandLineParser>

namespace commandline {

Startup parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("比较两段文本，标出不同之处。"));
    const QCommandLineOption help = parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("LEFT"), QStringLiteral("载入左边窗格的文件"),
                                 QStringLiteral("[LEFT"));
    parser.addPositionalArgument(QStringLiteral("RIGHT"), QStringLiteral("载入右边窗格的文件"),
                                 QStringLiteral("[RIGHT]]"));

    Startup startup;
    if (!parser.parse(arguments)) {
        startup.exitStatus = 1;
        startup.message = parser.errorText() + u'\n' + parser.helpText();
        return startup;
    }
    if (parser.isSet(help)) {
        startup.exitStatus = 0;
        startup.message = parser.helpText();
        return startup;
    }
    startup.files = parser.positionalArguments();
    if (startup.files.size() > 2) {
        startup.exitStatus = 1;
        startup.message = QStringLiteral("最多只能给出两个文件。\n") + parser.helpText();
        startup.files.clear();
    }
    return startup;
}

} // namespace commandline
