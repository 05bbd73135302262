#pragma once

// The program's main window, shown on the offscreen platform, driven the way a user drives it:
// texts written into the panes, buttons clicked with the mouse. A measured step ends when the
// pending events are processed, so it includes the layout and painting it causes; the layout
// Qt leaves for idle time is finished apart and timed on its own.

#include <memory>
#include <string_view>

#include "shell/appstate.h"

class MainWindow;
class RichEdit;

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
    // Finishes the layout the panes would do while idle; answers the milliseconds it took.
    double finishLayout();

private:
    AppState m_state;
    std::unique_ptr<MainWindow> m_window;
};
