// Aligned compare on the real window: F7 pressed with both panes loaded. The right text is the
// left one with 1 % of its characters inserted, deleted or replaced at random places, or an
// unrelated text of the same kind.

#include "alignedbench.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include "benchtexts.h"
#include "benchwindow.h"
#include "panes/richedit.h"
#include "text/alignment.h"

namespace {

using benchtexts::kMiB;

// One character in a hundred edited.
constexpr unsigned kOnePercent = 100;
constexpr uint64_t kEditSeed = 11;
constexpr uint64_t kUnrelatedSeed = 12;

enum class Pair
{
    ProseOnePercent,
    CjkOnePercent,
    LongLineOnePercent,
    Unrelated,
    Prose10MOnePercent
};

struct Texts
{
    std::string left;
    std::string right;
};

// Made on first use and kept for the whole run.
const Texts &texts(Pair pair)
{
    static std::map<Pair, Texts> made;
    auto it = made.find(pair);
    if (it != made.end())
        return it->second;
    Texts texts;
    switch (pair) {
    case Pair::ProseOnePercent:
        texts.left = benchtexts::prose(kMiB);
        break;
    case Pair::CjkOnePercent:
        texts.left = benchtexts::cjk(kMiB);
        break;
    case Pair::LongLineOnePercent:
        texts.left = benchtexts::longLine(kMiB);
        break;
    case Pair::Unrelated:
        texts.left = benchtexts::prose(kMiB);
        texts.right = benchtexts::prose(kMiB, kUnrelatedSeed);
        break;
    case Pair::Prose10MOnePercent:
        texts.left = benchtexts::prose(10 * kMiB);
        break;
    }
    if (texts.right.empty())
        texts.right = benchtexts::editedAtRandom(texts.left, kOnePercent, kEditSeed);
    return made.emplace(pair, std::move(texts)).first->second;
}

std::size_t inputBytes(const Texts &pair)
{
    return pair.left.capacity() + pair.right.capacity();
}

std::unique_ptr<BenchWindow> loadedWindow(const Texts &pair)
{
    auto window = std::make_unique<BenchWindow>();
    window->load(pair.left, pair.right);
    window->settle();
    window->finishLayout();
    return window;
}

double millisecondsSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// Presses F7 in the window and processes what it leaves pending; answers the longer of the two
// stretches in which the window could not react.
double pressF7(BenchWindow &window)
{
    QElapsedTimer timer;
    timer.start();
    QTest::keyClick(window.left().window(), Qt::Key_F7);
    const double command = millisecondsSince(timer);
    timer.restart();
    window.settle();
    return std::max(command, millisecondsSince(timer));
}

void alignedCompare(benchmark::State &state, Pair which)
{
    const Texts &pair = texts(which);
    const auto hunks = text::alignTexts(pair.left, pair.right);
    std::size_t leftMarked = 0;
    std::size_t rightMarked = 0;
    for (const text::AlignedHunk &hunk : hunks) {
        leftMarked += std::size_t(hunk.left.length);
        rightMarked += std::size_t(hunk.right.length);
    }
    state.counters["hunks"] = double(hunks.size());
    state.counters["marked_bytes"] = double(leftMarked + rightMarked);

    double idle = 0;
    double longestStall = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = loadedWindow(pair);
        state.ResumeTiming();
        longestStall = std::max(longestStall, pressF7(*window));
        state.PauseTiming();
        idle += window->finishLayout();
        window.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["idle_layout_ms"] = benchmark::Counter(idle, benchmark::Counter::kAvgIterations);
    state.counters["longest_stall_ms"] = longestStall;
    state.SetBytesProcessed(int64_t(state.iterations() * (pair.left.size() + pair.right.size())));
}

// The memory the process holds with both panes loaded, aligned and laid out, per byte of both
// texts: everything resident but the benchmark's copies of its inputs. Meaningful in a process
// of its own (run.sh runs it so), before any other benchmark has grown the heap.
void alignedResident(benchmark::State &state, Pair which)
{
    const Texts &pair = texts(which);
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto window = loadedWindow(pair);
        pressF7(*window);
        window->finishLayout();
        bytes = residentBytes() - inputBytes(pair);
        state.PauseTiming();
        window.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["resident_bytes_per_text_byte"] =
        double(bytes) / double(pair.left.size() + pair.right.size());
    state.counters["resident_MiB"] = double(bytes) / double(kMiB);
}

template <typename Function> void add(const char *name, Function function, Pair pair)
{
    benchmark::RegisterBenchmark(name, [=](benchmark::State &state) {
        function(state, pair);
    })->Unit(benchmark::kMillisecond);
}

} // namespace

void registerAlignedBenchmarks()
{
    add("BM_AlignedCompare/prose/1pct", alignedCompare, Pair::ProseOnePercent);
    add("BM_AlignedCompare/cjk/1pct", alignedCompare, Pair::CjkOnePercent);
    add("BM_AlignedCompare/longline/1pct", alignedCompare, Pair::LongLineOnePercent);
    add("BM_AlignedCompare/unrelated", alignedCompare, Pair::Unrelated);
    add("BM_AlignedResident/prose10M/1pct", alignedResident, Pair::Prose10MOnePercent);
}
