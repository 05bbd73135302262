#include "benchwindow.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include "panes/editbox.h"
#include "panes/richedit.h"
#include "shell/mainwindow.h"
#include "text/codepage.h"

StallWatch::StallWatch()
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(1);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { beat(); });
    m_clock.start();
    m_timer.start();
}

void StallWatch::restart()
{
    m_lastBeat = m_clock.nsecsElapsed();
    m_longest = 0;
}

void StallWatch::beat()
{
    const qint64 now = m_clock.nsecsElapsed();
    m_longest = std::max(m_longest, now - m_lastBeat);
    m_lastBeat = now;
}

double StallWatch::longestStallMs() const
{
    // The gap up to now counts too: the last step may not have given the loop back yet.
    const qint64 open = m_clock.nsecsElapsed() - m_lastBeat;
    return double(std::max(m_longest, open)) / 1e6;
}

BenchWindow::BenchWindow()
{
    m_state.highlight = createHighlightFormat();
    m_window = std::make_unique<MainWindow>(m_state);
    m_window->show();
    m_window->activateWindow();
    // The clicks give the focus to the buttons, as a user's clicks do, in an active window.
    if (!QTest::qWaitForWindowActive(m_window.get()))
        qFatal("The benchmark window did not become active");
    settle();
    finishLayout();
}

BenchWindow::~BenchWindow() = default;

RichEdit &BenchWindow::left() const
{
    return *m_window->leftPane();
}

RichEdit &BenchWindow::right() const
{
    return *m_window->rightPane();
}

void BenchWindow::load(std::string_view left, std::string_view right)
{
    m_window->leftPane()->setContext(left);
    m_window->rightPane()->setContext(right);
}

void BenchWindow::setSearch(std::string_view text)
{
    m_window->searchBox()->setText(text::fromCodePage(text));
}

void BenchWindow::setReplacement(std::string_view text)
{
    m_window->replacementBox()->setText(text::fromCodePage(text));
}

void BenchWindow::click(const char *buttonName)
{
    auto *button = m_window->findChild<QPushButton *>(QString::fromUtf8(buttonName));
    QTest::mouseClick(button, Qt::LeftButton);
}

void BenchWindow::settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

double BenchWindow::finishLayout()
{
    QElapsedTimer timer;
    timer.start();
    // The document layout lays out a long text in timer steps while the program is idle; asking
    // for the document size does the rest at once.
    for (RichEdit *pane : {m_window->leftPane(), m_window->rightPane()})
        pane->document()->documentLayout()->documentSize();
    settle();
    return double(timer.nsecsElapsed()) / 1e6;
}

double BenchWindow::idle()
{
    // The layout works in timer steps and reports each step as a change of the document size.
    constexpr qint64 kQuietMs = 60;
    constexpr qint64 kLongestMs = 60000;
    QElapsedTimer total;
    total.start();
    QElapsedTimer quiet;
    quiet.start();
    QList<QMetaObject::Connection> connections;
    for (RichEdit *pane : {m_window->leftPane(), m_window->rightPane()}) {
        connections << QObject::connect(pane->document()->documentLayout(),
                                        &QAbstractTextDocumentLayout::documentSizeChanged,
                                        [&quiet] { quiet.restart(); });
    }
    while (quiet.elapsed() < kQuietMs && total.elapsed() < kLongestMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    for (const auto &connection : connections)
        QObject::disconnect(connection);
    return double(total.elapsed() - quiet.elapsed());
}

void Responsiveness::endStep(benchmark::State &state, BenchWindow &window)
{
    state.PauseTiming();
    m_idleMs += window.idle();
    m_longestStallMs = std::max(m_longestStallMs, m_watch.longestStallMs());
    window.finishLayout();
    state.ResumeTiming();
}

void Responsiveness::report(benchmark::State &state) const
{
    state.counters["idle_layout_ms"] =
        benchmark::Counter(m_idleMs, benchmark::Counter::kAvgIterations);
    state.counters["longest_stall_ms"] = m_longestStallMs;
}

std::size_t residentBytes()
{
    long pages = 0;
    long resident = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return std::size_t(resident) * std::size_t(sysconf(_SC_PAGESIZE));
}

void BenchWindow::layOutEverything()
{
    for (RichEdit *pane : {m_window->leftPane(), m_window->rightPane()}) {
        QAbstractTextDocumentLayout *layout = pane->document()->documentLayout();
        for (QTextBlock block = pane->document()->begin(); block.isValid(); block = block.next())
            layout->blockBoundingRect(block);
    }
}
