#include "userpathbench.h"

#include <map>
#include <memory>
#include <string>
#include <sys/resource.h>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QTest>

#include "benchtexts.h"
#include "benchwindow.h"
#include "panes/richedit.h"
#include "text/codepage.h"

namespace {

using benchtexts::kMiB;

enum class Input
{
    Prose,
    LongLine,
    Prose10M
};

// The left text and the right one with every 100th byte changed, as the clipboard holds them.
struct Texts
{
    std::string leftBytes;
    QString left;
    QString right;
};

const Texts &texts(Input input)
{
    static std::map<Input, Texts> made;
    auto it = made.find(input);
    if (it != made.end())
        return it->second;
    Texts texts;
    switch (input) {
    case Input::Prose:
        texts.leftBytes = benchtexts::prose(kMiB);
        break;
    case Input::LongLine:
        texts.leftBytes = benchtexts::longLine(kMiB);
        break;
    case Input::Prose10M:
        texts.leftBytes = benchtexts::prose(10 * kMiB);
        break;
    }
    texts.left = text::fromCodePage(texts.leftBytes);
    texts.right = text::fromCodePage(benchtexts::changedEvery(texts.leftBytes, 100));
    return made.emplace(input, std::move(texts)).first->second;
}

// Pastes the text through the clipboard with Ctrl+V into the pane, as a user does.
void paste(RichEdit &pane, const QString &text, benchmark::State *timed = nullptr)
{
    if (timed)
        timed->PauseTiming();
    QApplication::clipboard()->setText(text);
    pane.setFocus();
    if (timed)
        timed->ResumeTiming();
    QTest::keyClick(&pane, Qt::Key_V, Qt::ControlModifier);
}

// Decoding ten megabytes of prose into the text the panes hold: the floor of every step that
// shows a text.
void decodeFloor(benchmark::State &state)
{
    const std::string &bytes = texts(Input::Prose10M).leftBytes;
    for (auto _ : state) {
        QString decoded = text::fromCodePage(bytes);
        benchmark::DoNotOptimize(decoded.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations() * bytes.size()));
}

void pasteText(benchmark::State &state, Input input)
{
    const Texts &pair = texts(input);
    Responsiveness responsiveness;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<BenchWindow>();
        state.ResumeTiming();
        responsiveness.startStep();
        paste(window->left(), pair.left, &state);
        window->settle();
        responsiveness.endStep(state, *window);
        // The check reads the whole text back, which is not part of the step.
        state.PauseTiming();
        if (window->left().textLength() != int32_t(pair.leftBytes.size())) {
            state.SkipWithError("the paste left a text of an unexpected length");
            break;
        }
        window.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    responsiveness.report(state);
    state.SetBytesProcessed(int64_t(state.iterations() * pair.leftBytes.size()));
}

void compareAfterPaste(benchmark::State &state, Input input)
{
    const Texts &pair = texts(input);
    Responsiveness responsiveness;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<BenchWindow>();
        paste(window->left(), pair.left);
        paste(window->right(), pair.right);
        window->settle();
        window->idle();
        state.ResumeTiming();
        responsiveness.startStep();
        window->click("按钮1");
        window->settle();
        responsiveness.endStep(state, *window);
        state.PauseTiming();
        window.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    responsiveness.report(state);
    state.SetBytesProcessed(int64_t(state.iterations() * 2 * pair.leftBytes.size()));
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The focused pane holds the long line with the caret visible at its end; the program idles
// for two seconds while the caret blinks.
void idleLongLine(benchmark::State &state)
{
    const Texts &pair = texts(Input::LongLine);
    double longestStall = 0;
    double cpuPercent = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<BenchWindow>();
        window->left().window()->activateWindow();
        paste(window->left(), pair.left);
        window->settle();
        window->idle();
        window->finishLayout();
        state.ResumeTiming();
        StallWatch watch;
        watch.restart();
        const double cpuBefore = cpuSeconds();
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        cpuPercent = 100 * (cpuSeconds() - cpuBefore) / (double(clock.elapsed()) / 1000);
        longestStall = std::max(longestStall, watch.longestStallMs());
        state.PauseTiming();
        window.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["longest_stall_ms"] = longestStall;
    state.counters["cpu_percent"] = cpuPercent;
}

template <typename Function, typename... Args>
void add(const char *name, Function function, Args... args)
{
    benchmark::RegisterBenchmark(name, [=](benchmark::State &state) {
        function(state, args...);
    })->Unit(benchmark::kMillisecond);
}

} // namespace

void registerUserPathBenchmarks()
{
    add("BM_Floor/decode10M", decodeFloor);
    add("BM_Paste/prose10M", pasteText, Input::Prose10M);
    add("BM_Paste/longline", pasteText, Input::LongLine);
    add("BM_CompareAfterPaste/prose10M/1pct", compareAfterPaste, Input::Prose10M);
    add("BM_CompareAfterPaste/prose/1pct", compareAfterPaste, Input::Prose);
    add("BM_CompareAfterPaste/longline/1pct", compareAfterPaste, Input::LongLine);
    benchmark::RegisterBenchmark("BM_Idle/longline",
                                 [](benchmark::State &state) { idleLongLine(state); })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
}
