// Loading both panes from files: the same texts as BM_Load/prose10M, read from disk, decoded
// and handed to the panes by the file command. run.sh compares the two.

#include <malloc.h>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include "benchtexts.h"
#include "benchwindow.h"
#include "commands/filecommands.h"
#include "panes/richedit.h"

namespace {

// Any dialog or message means the benchmark went wrong.
class NoUser : public commands::FileUser
{
public:
    QString fileToOpen(const QString &) override { return {}; }
    QString fileToSave(const QString &) override { return {}; }
    void fileProblem(const QString &message) override { problem = message; }

    QString problem;
};

bool writeFile(const QString &path, const std::string &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(text.data(), qint64(text.size())) == qint64(text.size());
}

void loadFiles(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString leftPath = dir.filePath(QStringLiteral("left.txt"));
    const QString rightPath = dir.filePath(QStringLiteral("right.txt"));
    std::size_t bytes = 0;
    {
        const std::string left = benchtexts::prose(10 * benchtexts::kMiB);
        const std::string right = benchtexts::changedEvery(left, 100);
        bytes = left.size() + right.size();
        if (!dir.isValid() || !writeFile(leftPath, left) || !writeFile(rightPath, right)) {
            state.SkipWithError("could not write the input files");
            return;
        }
    }

    double idle = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<BenchWindow>();
        commands::PaneFile leftFile;
        commands::PaneFile rightFile;
        NoUser user;
        state.ResumeTiming();

        const bool loaded = commands::openFile(window->left(), leftFile, leftPath, user) &&
                            commands::openFile(window->right(), rightFile, rightPath, user);
        window->settle();

        state.PauseTiming();
        idle += window->finishLayout();
        const bool whole =
            std::size_t(window->left().textLength() + window->right().textLength()) == bytes;
        window.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        if (!loaded || !whole) {
            state.SkipWithError(("the files did not load: " + user.problem.toStdString()).c_str());
            break;
        }
    }
    state.counters["idle_layout_ms"] = benchmark::Counter(idle, benchmark::Counter::kAvgIterations);
    state.SetBytesProcessed(int64_t(state.iterations() * bytes));
    // This runs before the other benchmarks (it registers itself when the program starts):
    // what it freed goes back to the system, so the memory measured later is not its.
    malloc_trim(0);
}

const auto *const registered = benchmark::RegisterBenchmark("BM_LoadFile/prose10M", loadFiles)
                                   -> Unit(benchmark::kMillisecond);

} // namespace
