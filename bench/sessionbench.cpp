// A played session on megabyte texts: the session tester's player with its model checks, on the
// real window, reporting the slowest single step a user waits for.

#include <algorithm>
#include <malloc.h>
#include <memory>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>

#include "../tests/testing/sessionplayer.h"
#include "shell/appstate.h"
#include "shell/mainwindow.h"

namespace {

constexpr uint64_t kSeed = 11;
constexpr int kSteps = 40;

// Pastes of up to a mebibyte, one in ten the mebibyte-long unbroken line.
constexpr session::Sizes kSizes{1 << 20, 1 << 20, 10};

void playSession(benchmark::State &state)
{
    double slowest = 0;
    int disagreements = 0;
    QString firstDisagreement;
    QString slowestStep;
    for (auto _ : state) {
        AppState appState;
        appState.highlight = createHighlightFormat();
        auto window = std::make_unique<MainWindow>(appState);
        window->show();
        if (!QTest::qWaitForWindowActive(window.get())) {
            state.SkipWithError("the window did not become active");
            break;
        }
        session::Player player(*window, appState, kSeed, kSizes);
        for (int step = 1; step <= kSteps; ++step) {
            if (!player.step()) {
                // The model and the window part; the timing goes on from the window's state.
                if (disagreements++ == 0)
                    firstDisagreement =
                        QStringLiteral("step %1: %2").arg(step).arg(player.failure());
                player.adoptWindowState();
            }
        }
        if (player.slowestStepMs() > slowest) {
            slowest = player.slowestStepMs();
            slowestStep = player.slowestStep();
        }
        state.PauseTiming();
        window.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["slowest_step_ms"] = slowest;
    state.counters["model_disagreements"] = disagreements;
    state.SetLabel(
        qPrintable(QStringLiteral("slowest: %1%2")
                       .arg(slowestStep.left(120), firstDisagreement.isEmpty()
                                                       ? QString()
                                                       : QStringLiteral("; first disagreement: ") +
                                                             firstDisagreement.left(160))));
    // The texts and the model's history of them leave a heap that later memory figures should
    // not see.
    malloc_trim(0);
}

} // namespace

BENCHMARK(playSession)->Name("BM_Session/mixed")->Unit(benchmark::kMillisecond);
