// Benchmarks of the commands on megabyte texts, measured on the real window on Qt's offscreen
// platform. Loading both panes is the yardstick the other figures are compared with (run.sh
// prints the ratios).

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>
#include <QScrollBar>
#include <QTextDocument>

#include "alignedbench.h"
#include "benchtexts.h"
#include "benchwindow.h"
#include "userpathbench.h"
#include "commands/replacetext.h"
#include "commands/compare.h"
#include "panes/richedit.h"

namespace {

using benchtexts::kMiB;

const char *const kCompareButton = "按钮1";
const char *const kClearButton = "按钮2";
const char *const kFindNextButton = "按钮3";
const char *const kReplaceAllButton = "按钮5";

// Every 100th byte changed, or every byte.
constexpr std::size_t kOnePercent = 100;
constexpr std::size_t kAll = 1;

enum class Input
{
    Prose,
    Cjk,
    LongLine,
    Prose10M
};

// The generated texts, made on first use and kept for the whole run.
std::map<Input, std::string> &originals()
{
    static std::map<Input, std::string> texts;
    return texts;
}

std::map<std::pair<Input, std::size_t>, std::string> &changedTexts()
{
    static std::map<std::pair<Input, std::size_t>, std::string> texts;
    return texts;
}

const std::string &original(Input input)
{
    auto it = originals().find(input);
    if (it == originals().end()) {
        std::string text;
        switch (input) {
        case Input::Prose:
            text = benchtexts::prose(kMiB);
            break;
        case Input::Cjk:
            text = benchtexts::cjk(kMiB);
            break;
        case Input::LongLine:
            text = benchtexts::longLine(kMiB);
            break;
        case Input::Prose10M:
            text = benchtexts::prose(10 * kMiB);
            break;
        }
        it = originals().emplace(input, std::move(text)).first;
    }
    return it->second;
}

const std::string &changed(Input input, std::size_t step)
{
    auto it = changedTexts().find({input, step});
    if (it == changedTexts().end())
        it = changedTexts()
                 .emplace(std::pair{input, step}, benchtexts::changedEvery(original(input), step))
                 .first;
    return it->second;
}

// The bytes of the generated texts the benchmark program holds; the program under test would
// not hold them.
std::size_t inputBytes()
{
    std::size_t bytes = 0;
    for (const auto &[input, text] : originals())
        bytes += text.capacity();
    for (const auto &[key, text] : changedTexts())
        bytes += text.capacity();
    return bytes;
}

// A window with both panes loaded and laid out.
std::unique_ptr<BenchWindow> makeLoadedWindow(Input input, std::size_t step)
{
    auto window = std::make_unique<BenchWindow>();
    window->load(original(input), changed(input, step));
    window->settle();
    window->finishLayout();
    return window;
}

// The same, made inside the measured loop while the timer is paused.
std::unique_ptr<BenchWindow> loadedWindow(benchmark::State &state, Input input, std::size_t step)
{
    state.PauseTiming();
    auto window = makeLoadedWindow(input, step);
    state.ResumeTiming();
    return window;
}

// Runs a check of a step's result with the timer paused (it reads the whole text back, which
// is no part of the step); on failure the benchmark stops with the message.
template <typename Check>
bool checkedUntimed(benchmark::State &state, Check check, const char *failure)
{
    state.PauseTiming();
    const bool passed = check();
    state.ResumeTiming();
    if (!passed)
        state.SkipWithError(failure);
    return passed;
}

void dropWindow(benchmark::State &state, std::unique_ptr<BenchWindow> &window)
{
    state.PauseTiming();
    window.reset();
    QCoreApplication::processEvents();
    state.ResumeTiming();
}

void setTextBytes(benchmark::State &state, std::size_t bytes)
{
    state.SetBytesProcessed(int64_t(state.iterations() * bytes));
}

// Loading both panes; with the whole layout, every paragraph of both texts is laid out too, as
// the pane did on every load before it laid out only what it shows. That is the yardstick the
// older targets were set against.
void load(benchmark::State &state, Input input, bool wholeLayout)
{
    const std::string &left = original(input);
    const std::string &right = changed(input, kOnePercent);
    Responsiveness responsiveness;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<BenchWindow>();
        state.ResumeTiming();
        responsiveness.startStep();
        window->load(left, right);
        window->settle();
        if (wholeLayout)
            window->layOutEverything();
        responsiveness.endStep(state, *window);
        dropWindow(state, window);
    }
    responsiveness.report(state);
    setTextBytes(state, left.size() + right.size());
}

void compare(benchmark::State &state, Input input, std::size_t step)
{
    const std::string &left = original(input);
    const std::string &right = changed(input, step);
    state.counters["marked_ranges"] = double(commands::differingRanges(left, right).right.size());
    Responsiveness responsiveness;
    for (auto _ : state) {
        auto window = loadedWindow(state, input, step);
        responsiveness.startStep();
        window->click(kCompareButton);
        window->settle();
        responsiveness.endStep(state, *window);
        dropWindow(state, window);
    }
    responsiveness.report(state);
    setTextBytes(state, left.size() + right.size());
}

void findNext(benchmark::State &state, Input input)
{
    const std::string &left = original(input);
    // A stretch of the last kilobyte that occurs nowhere before it.
    constexpr std::size_t kNeedleBytes = 24;
    std::size_t at = left.size() - 512;
    while (left.substr(at, kNeedleBytes).find('\n') != std::string::npos)
        ++at;
    const std::string needle = left.substr(at, kNeedleBytes);
    if (left.find(needle) != at) {
        state.SkipWithError("the search text occurs before the last kilobyte");
        return;
    }
    // Loading ten megabytes takes seconds, so the window is loaded once; after each search the
    // mark is undone, which also drops the pane's cached text, and the view goes back to the top.
    auto window = makeLoadedWindow(input, kOnePercent);
    window->setSearch(needle);
    QTextDocument *document = window->left().document();
    Responsiveness responsiveness;
    for (auto _ : state) {
        responsiveness.startStep();
        window->click(kFindNextButton);
        window->settle();
        responsiveness.endStep(state, *window);
        state.PauseTiming();
        const bool found = window->state().findCursor == int32_t(at + 1);
        const int steps = document->availableUndoSteps();
        document->undo();
        if (!found || document->availableUndoSteps() != steps - 1) {
            state.SkipWithError("Find next did not find and mark the search text");
            break;
        }
        window->state().findCursor = 0;
        window->left().verticalScrollBar()->setValue(0);
        window->settle();
        window->finishLayout();
        state.ResumeTiming();
    }
    responsiveness.report(state);
    setTextBytes(state, left.size());
}

void replaceAll(benchmark::State &state, Input input, const std::string &search,
                const std::string &replacement)
{
    const std::string &left = original(input);
    // Counted by the command's own linear scanner: a replacement that holds the search text
    // twice makes it replace each occurrence once, left to right, growing the text by the
    // search's length each time. (A loop of FindBytes would read the whole text for its zero
    // byte on every call: minutes on ten megabytes.)
    const std::string doubled = search + search;
    const std::size_t occurrences =
        (commands::replaceAllText(left, search, doubled).text.size() - left.size()) / search.size();
    state.counters["occurrences"] = double(occurrences);
    const std::size_t expected = commands::replaceAllText(left, search, replacement).text.size();
    Responsiveness responsiveness;
    for (auto _ : state) {
        auto window = loadedWindow(state, input, kOnePercent);
        state.PauseTiming();
        window->setSearch(search);
        window->setReplacement(replacement);
        state.ResumeTiming();
        responsiveness.startStep();
        window->click(kReplaceAllButton);
        window->settle();
        responsiveness.endStep(state, *window);
        if (!checkedUntimed(
                state, [&] { return std::size_t(window->left().textLength()) == expected; },
                "Replace all left a text of an unexpected length"))
            break;
        dropWindow(state, window);
    }
    responsiveness.report(state);
    setTextBytes(state, left.size());
}

// The editing steps a user takes on a text in the left pane; the preparation is not measured.
enum class Edit
{
    Clear,     // the Clear button
    Undo,      // Ctrl+Z in the left pane right after Clear
    Redo,      // Ctrl+Y after that
    DeleteAll, // select all, Delete
    TypeAtEnd, // one keystroke at the end of the text
};

void prepareEdit(BenchWindow &window, Edit edit)
{
    RichEdit &pane = window.left();
    pane.setFocus();
    if (edit == Edit::Undo || edit == Edit::Redo) {
        window.click(kClearButton);
        pane.setFocus();
        window.settle();
        window.finishLayout();
    }
    if (edit == Edit::Redo) {
        QTest::keyClick(&pane, Qt::Key_Z, Qt::ControlModifier);
        window.settle();
        window.finishLayout();
    }
    if (edit == Edit::TypeAtEnd) {
        QTest::keyClick(&pane, Qt::Key_End, Qt::ControlModifier);
        window.settle();
        window.finishLayout();
    }
}

void doEdit(BenchWindow &window, Edit edit)
{
    RichEdit &pane = window.left();
    switch (edit) {
    case Edit::Clear:
        window.click(kClearButton);
        break;
    case Edit::Undo:
        QTest::keyClick(&pane, Qt::Key_Z, Qt::ControlModifier);
        break;
    case Edit::Redo:
        QTest::keyClick(&pane, Qt::Key_Y, Qt::ControlModifier);
        break;
    case Edit::DeleteAll:
        QTest::keyClick(&pane, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(&pane, Qt::Key_Delete);
        break;
    case Edit::TypeAtEnd:
        QTest::keyClick(&pane, Qt::Key_X);
        break;
    }
}

// The length of the left text after the edit.
std::size_t lengthAfter(Edit edit, std::size_t length)
{
    switch (edit) {
    case Edit::Clear:
    case Edit::Redo:
    case Edit::DeleteAll:
        return 0;
    case Edit::Undo:
        return length;
    case Edit::TypeAtEnd:
        return length + 1;
    }
    return length;
}

void editText(benchmark::State &state, Input input, Edit edit)
{
    const std::string &left = original(input);
    Responsiveness responsiveness;
    for (auto _ : state) {
        auto window = loadedWindow(state, input, kOnePercent);
        state.PauseTiming();
        prepareEdit(*window, edit);
        state.ResumeTiming();
        responsiveness.startStep();
        doEdit(*window, edit);
        window->settle();
        responsiveness.endStep(state, *window);
        if (!checkedUntimed(
                state,
                [&] {
                    return std::size_t(window->left().textLength()) ==
                           lengthAfter(edit, left.size());
                },
                "the edit left a text of an unexpected length"))
            break;
        dropWindow(state, window);
    }
    responsiveness.report(state);
    setTextBytes(state, left.size());
}

// The memory the process holds with two texts loaded, compared and laid out, per byte of both
// texts: everything resident but the benchmark's own copies of its inputs. The measured time is
// loading and comparing.
void resident(benchmark::State &state, Input input)
{
    const std::string &left = original(input);
    const std::string &right = changed(input, kOnePercent);
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto window = std::make_unique<BenchWindow>();
        window->load(left, right);
        window->settle();
        window->finishLayout();
        window->click(kCompareButton);
        window->settle();
        window->finishLayout();
        bytes = residentBytes() - inputBytes();
        dropWindow(state, window);
    }
    state.counters["resident_bytes_per_text_byte"] =
        double(bytes) / double(left.size() + right.size());
    state.counters["resident_MiB"] = double(bytes) / double(kMiB);
}

template <typename Function, typename... Args>
void add(const char *name, Function function, Args... args)
{
    benchmark::RegisterBenchmark(name, [=](benchmark::State &state) {
        function(state, args...);
    })->Unit(benchmark::kMillisecond);
}

void registerBenchmarks()
{
    // First, while the heap holds nothing of other benchmarks.
    add("BM_Resident/prose10M", resident, Input::Prose10M);

    add("BM_Load/prose", load, Input::Prose, false);
    add("BM_Load/cjk", load, Input::Cjk, false);
    add("BM_Load/longline", load, Input::LongLine, false);
    add("BM_Load/prose10M", load, Input::Prose10M, false);
    add("BM_LoadLaidOut/prose", load, Input::Prose, true);
    add("BM_LoadLaidOut/cjk", load, Input::Cjk, true);
    add("BM_LoadLaidOut/longline", load, Input::LongLine, true);
    add("BM_LoadLaidOut/prose10M", load, Input::Prose10M, true);

    add("BM_Compare/prose/1pct", compare, Input::Prose, kOnePercent);
    add("BM_Compare/prose/all", compare, Input::Prose, kAll);
    add("BM_Compare/cjk/1pct", compare, Input::Cjk, kOnePercent);
    add("BM_Compare/longline/1pct", compare, Input::LongLine, kOnePercent);

    add("BM_FindNext/prose10M", findNext, Input::Prose10M);
    add("BM_ReplaceAll/prose", replaceAll, Input::Prose, std::string("the"), std::string("that"));

    // Editing one long unbroken line.
    add("BM_Clear/longline", editText, Input::LongLine, Edit::Clear);
    add("BM_Undo/longline", editText, Input::LongLine, Edit::Undo);
    add("BM_Redo/longline", editText, Input::LongLine, Edit::Redo);
    add("BM_DeleteAll/longline", editText, Input::LongLine, Edit::DeleteAll);
    add("BM_Type/longline", editText, Input::LongLine, Edit::TypeAtEnd);
    // A letter that occurs every few bytes becomes a space.
    add("BM_ReplaceAll/longline", replaceAll, Input::LongLine, std::string("q"), std::string(" "));
    add("BM_FindNext/longline", findNext, Input::LongLine);

    add("BM_ReplaceAll/prose10M", replaceAll, Input::Prose10M, std::string("the"),
        std::string("that"));

    registerAlignedBenchmarks();
    registerUserPathBenchmarks();
}

} // namespace

int main(int argc, char **argv)
{
    // The real window, on a platform that needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    registerBenchmarks();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
