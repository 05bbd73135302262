// A program on the library that ends through one of the fatal paths: its window cannot be
// built, or memory runs out (through new, through a Qt container while the window is built or
// in a slot of the running program, or by pasting into a pane under an address-space limit).
// It reads the error box the way a user would (printing its caption, icon, text and the texts
// of its buttons to standard output) and closes it with OK.

#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

#include <QApplication>
#include <QByteArray>
#include <QClipboard>
#include <QFile>
#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>

#include "panes/richedit.h"
#include "shell/lifecycle.h"
#include "shell/mainwindow.h"

namespace {

void *volatile g_block = nullptr;
volatile qsizetype g_sink = 0;

// More than any machine's memory and swap: the allocator refuses it at once.
constexpr qsizetype kHugeBytes = qsizetype(1) << 44;

// Exit status when the limited program never ran out of memory.
constexpr int kNeverRanOut = 3;

void closeErrorBoxes()
{
    auto *timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        QStringList buttons;
        for (const QAbstractButton *button : box->buttons())
            buttons << button->text();
        const QString report = QStringLiteral("caption=%1\nicon=%2\nbuttons=%3\ntext=%4\n")
                                   .arg(box->windowTitle())
                                   .arg(int(box->icon()))
                                   .arg(buttons.join(u','))
                                   .arg(box->text());
        std::fputs(report.toUtf8().constData(), stdout);
        std::fflush(stdout);
        box->accept();
    });
    timer->start(20);
}

void growHugeContainer()
{
    QByteArray huge(kHugeBytes, 'x');
    g_sink = huge.size();
}

// The address space in use now, from /proc/self/statm (pages).
rlim_t addressSpaceInUse()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return rlim_t(statm.readLine().split(' ').value(0).toULongLong()) * rlim_t(getpagesize());
}

// Pastes a 4 MiB text into the left pane again and again with 64 MiB of address space to
// spare, as a user pasting large texts on a machine short of memory.
void pasteUntilMemoryRunsOut(MainWindow &window)
{
    const rlimit limit{addressSpaceInUse() + (rlim_t(64) << 20), RLIM_INFINITY};
    if (limit.rlim_cur <= (rlim_t(64) << 20) || setrlimit(RLIMIT_AS, &limit) != 0)
        std::exit(kNeverRanOut);
    QString line = QStringLiteral("粘贴的文本 pasted text 0123456789\n");
    QString text;
    while (text.size() < (4 << 20) / 2)
        text += line;
    QApplication::clipboard()->setText(text);
    text.clear();
    RichEdit *pane = window.leftPane();
    pane->setFocus();
    for (int round = 0; round < 64; ++round) {
        pane->paste();
        QCoreApplication::processEvents();
    }
    std::exit(kNeverRanOut);
}

} // namespace

int main(int argc, char **argv)
{
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    return lifecycle::run(argc, argv, [mode](AppState &state) -> std::unique_ptr<MainWindow> {
        closeErrorBoxes();
        if (mode == "allocation")
            g_block = ::operator new(std::size_t(1) << 50);
        if (mode == "container")
            growHugeContainer();
        if (mode == "slot" || mode == "paste") {
            auto window = std::make_unique<MainWindow>(state);
            MainWindow *shown = window.get();
            QTimer::singleShot(50, shown, [mode, shown] {
                if (mode == "slot")
                    growHugeContainer();
                else
                    pasteUntilMemoryRunsOut(*shown);
            });
            return window;
        }
        return nullptr;
    });
}
