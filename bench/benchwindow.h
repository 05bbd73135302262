#pragma once

// The program's main window, shown on the offscreen platform, driven the way a user drives it:
// texts written into the panes, buttons clicked with the mouse. A measured step ends when the
// pending events are processed, so it includes the layout and painting it causes; the layout
// Qt leaves for idle time is finished apart and timed on its own.

#include <cstddef>
#include <memory>
#include <string_view>

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QTimer>

#include "shell/appstate.h"

class MainWindow;
class RichEdit;

// A 1 ms heartbeat on the event loop: the longest gap between two beats is the longest time the
// window took no input. It beats while it lives.
class StallWatch
{
public:
    StallWatch();
    // Starts a new measure from now.
    void restart();
    double longestStallMs() const;

private:
    void beat();

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastBeat = 0;
    qint64 m_longest = 0;
};

class BenchWindow
{
public:
    BenchWindow();
    ~BenchWindow();
    BenchWindow(const BenchWindow &) = delete;
    BenchWindow &operator=(const BenchWindow &) = delete;

    RichEdit &left() const;
    RichEdit &right() const;
    AppState &state() { return m_state; }

    // Writes both panes' texts.
    void load(std::string_view left, std::string_view right);
    void setSearch(std::string_view text);
    void setReplacement(std::string_view text);
    // Clicks the button with this object name.
    void click(const char *buttonName);
    // Processes the pending events.
    void settle();
    // Lays out every paragraph of both panes, in view or not.
    void layOutEverything();
    // Finishes the layout the panes would do while idle; answers the milliseconds it took.
    double finishLayout();
    // Lets the event loop run, as an idle program does, until the panes' layouts have been quiet
    // for a while; whatever work the program does while idle happens here. Answers the
    // milliseconds until the layouts went quiet.
    double idle();

private:
    AppState m_state;
    std::unique_ptr<MainWindow> m_window;
};

// The process's resident memory in bytes.
std::size_t residentBytes();

// What the event loop sees of one benchmark's steps: the layout a step leaves for idle time,
// and the longest time the window took no input, from the start of a step to the end of the
// idle work after it.
class Responsiveness
{
public:
    void startStep() { m_watch.restart(); }

    // After a measured step: lets the program idle as it would, with the timer paused, then
    // finishes whatever layout is still left.
    void endStep(benchmark::State &state, BenchWindow &window);

    // The idle layout per iteration (not part of the measured time) and the longest stall.
    void report(benchmark::State &state) const;

private:
    StallWatch m_watch;
    double m_idleMs = 0;
    double m_longestStallMs = 0;
};
