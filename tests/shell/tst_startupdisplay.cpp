#include <vector>

#include <QTest>

#include "shell/startupdisplay.h"

using startupdisplay::Tried;

Q_DECLARE_METATYPE(Tried)

// What start-up reads from its command line and environment, and the line it prints when none
// of it could be opened.
class StartupDisplayTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void readsCommandLineOverEnvironment_data();
    void readsCommandLineOverEnvironment();
    void lineNamesWhatWasTried_data();
    void lineNamesWhatWasTried();

private:
    struct Saved
    {
        const char *name;
        bool set;
        QByteArray value;
    };
    std::vector<Saved> saved_;
};

namespace {

const char *const kVariables[] = {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"};

// Sets the variable, or unsets it for a null string.
void setVariable(const char *name, const QString &value)
{
    if (value.isNull())
        qunsetenv(name);
    else
        qputenv(name, value.toUtf8());
}

Tried makeTried(const QString &platform, const QString &x11, const QString &wayland)
{
    Tried tried;
    tried.platform = platform;
    tried.x11Display = x11;
    tried.waylandDisplay = wayland;
    return tried;
}

} // namespace

void StartupDisplayTest::init()
{
    saved_.clear();
    for (const char *name : kVariables)
        saved_.push_back({name, qEnvironmentVariableIsSet(name), qgetenv(name)});
}

void StartupDisplayTest::cleanup()
{
    for (const Saved &variable : saved_) {
        if (variable.set)
            qputenv(variable.name, variable.value);
        else
            qunsetenv(variable.name);
    }
}

void StartupDisplayTest::readsCommandLineOverEnvironment_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("platformVariable");
    QTest::addColumn<QString>("displayVariable");
    QTest::addColumn<QString>("waylandVariable");
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QString>("x11Display");
    QTest::addColumn<QString>("waylandDisplay");
    QTest::addColumn<bool>("openable");

    const QString unset;
    QTest::newRow("nothing") << QStringList() << unset << unset << unset << ""
                             << ""
                             << "" << false;
    QTest::newRow("empty variables") << QStringList() << ""
                                     << ""
                                     << ""
                                     << ""
                                     << ""
                                     << "" << false;
    QTest::newRow("environment") << QStringList() << "xcb"
                                 << ":5"
                                 << "wayland-1"
                                 << "xcb"
                                 << ":5"
                                 << "wayland-1" << true;
    QTest::newRow("X display only") << QStringList() << unset << ":0" << unset << ""
                                    << ":0"
                                    << "" << true;
    QTest::newRow("Wayland display only") << QStringList() << unset << unset << "wayland-0"
                                          << ""
                                          << ""
                                          << "wayland-0" << true;
    QTest::newRow("command line wins")
        << QStringList{"-platform", "offscreen", "-display", ":7"} << "xcb"
        << ":5" << unset << "offscreen"
        << ":7"
        << "" << true;
    QTest::newRow("double dash") << QStringList{"--platform", "vnc"} << unset << unset << unset
                                 << "vnc"
                                 << ""
                                 << "" << true;
    QTest::newRow("last one counts")
        << QStringList{"-display", ":1", "-display", ":2"} << unset << unset << unset << ""
        << ":2"
        << "" << true;
    QTest::newRow("option without value")
        << QStringList{"-platform"} << "xcb" << unset << unset << "xcb"
        << ""
        << "" << true;
    QTest::newRow("longer option names")
        << QStringList{"-platformtheme", "gtk3", "-displayx", ":3"} << unset << unset << unset << ""
        << ""
        << "" << false;
    QTest::newRow("file names") << QStringList{"left.txt", "right.txt"} << unset << ":1" << unset
                                << ""
                                << ":1"
                                << "" << true;
    QTest::newRow("four-byte characters in a host name")
        << QStringList{"-display", "网关😀:3"} << unset << unset << unset << ""
        << "网关😀:3"
        << "" << true;
}

void StartupDisplayTest::readsCommandLineOverEnvironment()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, platformVariable);
    QFETCH(QString, displayVariable);
    QFETCH(QString, waylandVariable);
    setVariable("QT_QPA_PLATFORM", platformVariable);
    setVariable("DISPLAY", displayVariable);
    setVariable("WAYLAND_DISPLAY", waylandVariable);

    std::vector<QByteArray> bytes{QByteArray("textcompare")};
    for (const QString &argument : arguments)
        bytes.push_back(argument.toUtf8());
    std::vector<char *> argv;
    for (QByteArray &argument : bytes)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    const Tried tried = startupdisplay::fromStartup(int(bytes.size()), argv.data());
    QTEST(tried.platform, "platform");
    QTEST(tried.x11Display, "x11Display");
    QTEST(tried.waylandDisplay, "waylandDisplay");
    QTEST(startupdisplay::anythingToOpen(tried), "openable");
}

void StartupDisplayTest::lineNamesWhatWasTried_data()
{
    QTest::addColumn<Tried>("tried");
    QTest::addColumn<QString>("line");

    QTest::newRow("nothing named") << makeTried("", "", "") << "无法打开显示：没有设置 DISPLAY";
    QTest::newRow("X display") << makeTried("", ":99", "") << "无法打开显示：DISPLAY=\":99\"";
    QTest::newRow("remote X display")
        << makeTried("", "localhost:10.0", "") << "无法打开显示：DISPLAY=\"localhost:10.0\"";
    QTest::newRow("Wayland display, no X display")
        << makeTried("", "", "wayland-9")
        << "无法打开显示：WAYLAND_DISPLAY=\"wayland-9\"，没有设置 DISPLAY";
    QTest::newRow("both displays") << makeTried("", ":1", "wayland-0")
                                   << "无法打开显示：WAYLAND_DISPLAY=\"wayland-0\"，DISPLAY=\":1\"";
    QTest::newRow("other platform")
        << makeTried("nosuch", ":1", "wayland-0") << "无法打开显示：平台 \"nosuch\"";
    QTest::newRow("X asked for") << makeTried("xcb", ":1", "wayland-0")
                                 << "无法打开显示：DISPLAY=\":1\"";
    QTest::newRow("Wayland asked for with options")
        << makeTried("wayland:fullscreen", ":1", "") << "无法打开显示：没有设置 WAYLAND_DISPLAY";
    QTest::newRow("list of platforms") << makeTried("wayland-egl;xcb;", ":2", "")
                                       << "无法打开显示：没有设置 WAYLAND_DISPLAY，DISPLAY=\":2\"";
    QTest::newRow("one display named twice")
        << makeTried("wayland;wayland-egl", "", "w") << "无法打开显示：WAYLAND_DISPLAY=\"w\"";
    QTest::newRow("four-byte characters")
        << makeTried("", "网关😀:3", "") << "无法打开显示：DISPLAY=\"网关😀:3\"";
}

void StartupDisplayTest::lineNamesWhatWasTried()
{
    QFETCH(Tried, tried);
    QTEST(startupdisplay::notOpenedLine(tried), "line");
}

QTEST_APPLESS_MAIN(StartupDisplayTest)
#include "tst_startupdisplay.moc"
