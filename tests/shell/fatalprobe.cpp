// A program on the library whose window cannot be built, or which runs out of memory while
// building it. It reads the error box the way a user would (printing its caption, icon, text
// and buttons to standard output) and closes it with OK.

#include <cstdio>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "shell/lifecycle.h"
#include "shell/mainwindow.h"

namespace {

void *volatile g_block = nullptr;

void closeErrorBoxes()
{
    auto *timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        const QString report = QStringLiteral("caption=%1\nicon=%2\nbuttons=%3\ntext=%4\n")
                                   .arg(box->windowTitle())
                                   .arg(int(box->icon()))
                                   .arg(box->buttons().size())
                                   .arg(box->text());
        std::fputs(report.toUtf8().constData(), stdout);
        std::fflush(stdout);
        box->accept();
    });
    timer->start(20);
}

} // namespace

int main(int argc, char **argv)
{
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    return lifecycle::run(argc, argv, [mode](AppState &) -> std::unique_ptr<MainWindow> {
        closeErrorBoxes();
        if (mode == "allocation")
            g_block = ::operator new(std::size_t(1) << 50);
        return nullptr;
    });
}
