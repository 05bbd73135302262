#include "shell/lifecycle.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QThread>

#include "shell/commandline.h"
#include "shell/mainwindow.h"
#include "shell/startupdisplay.h"
#include "shell/translations.h"
#include "text/codepage.h"

namespace lifecycle {

namespace {

std::atomic<bool> g_commandsEnabled{true};
std::atomic<bool> g_fatalStarted{false};
std::atomic<std::size_t> g_refusedBytes{0};
std::terminate_handler g_previousTerminate = nullptr;

// Memory kept back from start-up so that the error box can still be shown once the heap is
// exhausted. Never touched, it costs address space only; given back, it is room for the box.
void *g_reserve = std::malloc(8 << 20);

const char *const kLoadFailed = "载入启动窗口失败";

void writeToStandardError(const char *text, std::size_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(STDERR_FILENO, text, length);
        if (written <= 0)
            return;
        text += written;
        length -= std::size_t(written);
    }
}

QString fatalText(const QString &message)
{
    return QStringLiteral("运行时出错!\n\n错误信息：") + message + u'\n';
}

[[noreturn]] void endProcess()
{
    std::_Exit(FatalExitCode);
}

// Shows the error box when the GUI can still show one, on the GUI thread.
void showFatalBox(const QString &text)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    if (QThread::currentThread() != QCoreApplication::instance()->thread())
        return;
    QMessageBox box(QMessageBox::Critical, QStringLiteral("错误"), text, QMessageBox::Ok);
    box.setObjectName(QStringLiteral("fatalErrorBox"));
    box.exec();
}

// The reason line for a start without a display, composed before the toolkit starts: the
// toolkit takes its own options out of the command line.
QByteArray g_noDisplayLine;

// With no display there is no box: standard error gets its text and the reason.
[[noreturn]] void fatalNoDisplay()
{
    const QByteArray text = fatalText(QString::fromUtf8(kLoadFailed)).toUtf8() + g_noDisplayLine;
    writeToStandardError(text.constData(), std::size_t(text.size()));
    endProcess();
}

// While the toolkit starts, a fatal message of its own (no display to connect to) ends the
// program the way any start-up failure does, instead of aborting.
void startupMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtFatalMsg)
        fatalNoDisplay();
    qt_message_output(type, context, text);
}

// A std::bad_alloc that no frame catches (or that meets a frame it cannot pass) ends here,
// before anything is unwound.
[[noreturn]] void terminateOnUncaught()
{
    if (std::exception_ptr uncaught = std::current_exception()) {
        try {
            std::rethrow_exception(uncaught);
        } catch (const std::bad_alloc &) {
            outOfMemory();
        } catch (...) {
        }
    }
    if (g_previousTerminate)
        g_previousTerminate();
    std::abort();
}

// Events and slots run inside notify(); memory that runs out in one of them ends the program
// there, before the exception unwinds into the toolkit's event loop.
class Application : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::bad_alloc &) {
            outOfMemory();
        }
    }
};

} // namespace

bool commandsEnabled()
{
    return g_commandsEnabled.load();
}

void fatalError(const QString &message)
{
    if (g_fatalStarted.exchange(true))
        endProcess();
    g_commandsEnabled = false;
    const QString text = fatalText(message);
    const QByteArray bytes = text.toUtf8();
    writeToStandardError(bytes.constData(), std::size_t(bytes.size()));
    showFatalBox(text);
    endProcess();
}

void allocationFailed(std::size_t bytes)
{
    if (g_fatalStarted.load())
        endProcess();
    std::free(g_reserve);
    g_reserve = nullptr;
    // Formatted without the heap, so standard error gets the reason even if the box cannot be
    // shown.
    char message[128];
    const int length = std::snprintf(message, sizeof message, "分配 %zu 字节内存失败!", bytes);
    if (length <= 0)
        endProcess();
    fatalError(QString::fromUtf8(message, length));
}

void noteRefusedAllocation(std::size_t bytes) noexcept
{
    g_refusedBytes.store(bytes, std::memory_order_relaxed);
}

void outOfMemory()
{
    const std::size_t bytes = g_refusedBytes.exchange(0);
    if (bytes > 0)
        allocationFailed(bytes);
    // Refused before reaching the allocator (a size past what the address space can hold).
    if (g_fatalStarted.load())
        endProcess();
    std::free(g_reserve);
    g_reserve = nullptr;
    fatalError(QStringLiteral("分配内存失败!"));
}

void catchOutOfMemoryEverywhere()
{
    std::terminate_handler previous = std::set_terminate(terminateOnUncaught);
    if (previous != terminateOnUncaught)
        g_previousTerminate = previous;
}

std::unique_ptr<MainWindow> buildMainWindow(AppState &state)
{
    // The panes and edit boxes read and write their text in the code page.
    if (!text::codePageAvailable())
        return nullptr;
    return std::make_unique<MainWindow>(state);
}

int run(int argc, char **argv, const WindowBuilder &build, Arguments arguments)
{
    catchOutOfMemoryEverywhere();
    const startupdisplay::Tried tried = startupdisplay::fromStartup(argc, argv);
    g_noDisplayLine = startupdisplay::notOpenedLine(tried).toUtf8() + '\n';
    if (!startupdisplay::anythingToOpen(tried))
        fatalNoDisplay();
    qInstallMessageHandler(startupMessageHandler);
    Application app(argc, argv);
    qInstallMessageHandler(nullptr);
    translations::installToolkitChinese(app);

    const commandline::Startup startup = arguments == Arguments::FilesToOpen
                                             ? commandline::parse(QCoreApplication::arguments())
                                             : commandline::Startup{};
    if (startup.exitStatus) {
        const QByteArray text = startup.message.toLocal8Bit();
        std::fwrite(text.constData(), 1, std::size_t(text.size()),
                    *startup.exitStatus ? stderr : stdout);
        return *startup.exitStatus;
    }

    AppState state;
    state.highlight = createHighlightFormat();

    std::unique_ptr<MainWindow> window;
    int status = 0;
    try {
        window = build(state);
        if (!window)
            fatalError(QString::fromUtf8(kLoadFailed));
        window->show();
        window->openFiles(startup.files);
        status = app.exec();
    } catch (const std::bad_alloc &) {
        outOfMemory();
    }

    g_commandsEnabled = false;
    window.reset();
    state.highlight.reset();
    return status;
}

} // namespace lifecycle
