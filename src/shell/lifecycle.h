#pragma once

// Start-up, the event loop and the two ways the program ends: the user closes the window (exit
// status 0), or a fatal error (a window that cannot be built, memory that runs out) shows one
// error box and ends the process with -1, which a parent process sees as 255.

#include <cstddef>
#include <functional>
#include <memory>

#include <QString>

#include "shell/appstate.h"

class MainWindow;

namespace lifecycle {

inline constexpr int FatalExitCode = -1;

using WindowBuilder = std::function<std::unique_ptr<MainWindow>(AppState &)>;

// Builds the main window, or answers nullptr when one of its controls cannot work here.
std::unique_ptr<MainWindow> buildMainWindow(AppState &state);

// What the arguments the toolkit leaves mean: nothing, or the files to load into the panes
// (textcompare [LEFT [RIGHT]], with --help).
enum class Arguments
{
    Ignored,
    FilesToOpen,
};

// Runs the program: creates the shared state, builds and shows the window, loads the files the
// arguments name, runs the event loop and releases the state. Returns the exit status.
int run(int argc, char **argv, const WindowBuilder &build = buildMainWindow,
        Arguments arguments = Arguments::Ignored);

// Whether control events still reach their commands: not once the program is ending.
bool commandsEnabled();

// Tells the user why the program has to end (error box and standard error), then ends the
// process with FatalExitCode without the usual clean-up.
[[noreturn]] void fatalError(const QString &message);

// The fatal error for an allocation of this many bytes that failed. Safe to call with the heap
// exhausted.
[[noreturn]] void allocationFailed(std::size_t bytes);

// Notes the size of a request the C library's allocator refused. The request's owner may cope
// with that; if it gives up instead (a Qt container throws std::bad_alloc), the fatal error
// names this size. Safe to call from inside the allocator.
void noteRefusedAllocation(std::size_t bytes) noexcept;

// The fatal error for memory that ran out somewhere below a std::bad_alloc: names the size of
// the last refused request when one was noted.
[[noreturn]] void outOfMemory();

// Sends every std::bad_alloc that nothing catches, from any frame, to outOfMemory().
void catchOutOfMemoryEverywhere();

} // namespace lifecycle
