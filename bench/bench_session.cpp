// Saving and loading a session of a million result rows in 330,000 groups,
// photo names in 10,000 folders, in $TMPDIR (or /tmp), and the peak memory
// of a load against the memory of the same rows made without a file.
//
// Peak memory is the process's resident high-water mark (VmHWM), reset
// through /proc/self/clear_refs before each measured step, less what was
// resident when the step began. BM_LoadPeakMemory reports:
//   rows_MiB  the peak while the rows the loader makes (same texts, shared
//             folders and group keys, reserved list) are built in memory;
//   load_MiB  the peak while OpenTwinsiftFile loads them from the file;
//   ratio     load_MiB / rows_MiB.
#include "commands/session_command.h"
#include "core/format.h"
#include "core/window_model.h"
#include "no_questions.h"
#include "photo_rows.h"

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <string>

namespace twinsift {
namespace {

// A file removed at exit, whichever benchmarks ran.
struct RemovedAtExit {
    std::string path;
    ~RemovedAtExit() { std::remove(path.c_str()); }
};

// The session file of the listed rows, written once.
const std::string& sessionFile() {
    static const RemovedAtExit file{[] {
        const std::string path = bench::benchFile("bench_session.tsf");
        bench::NoQuestions ui;
        SaveSession(*bench::photoRows(false), path, true, ui);
        ::malloc_trim(0);
        return path;
    }()};
    return file.path;
}

long statusKiB(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0)
            return std::atol(line.c_str() + std::string(key).size());
    return 0;
}

// The peak resident memory, in MiB, that `step` adds to what is resident now.
template <class Step> double peakMiB(Step&& step) {
    ::malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = statusKiB("VmRSS:");
    step();
    return static_cast<double>(statusKiB("VmHWM:") - before) / 1024.0;
}

void BM_SaveSession(benchmark::State& state) {
    bench::NoQuestions ui;
    const std::unique_ptr<WindowModel> model = bench::photoRows(false);
    const std::string path = bench::benchFile("bench_session_save.tsf");
    for (auto _ : state)
        if (!SaveSession(*model, path, true, ui, [](std::size_t, std::size_t) {}))
            state.SkipWithError("the save failed");
    std::remove(path.c_str());
}
BENCHMARK(BM_SaveSession)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_LoadSession(benchmark::State& state) {
    bench::NoQuestions ui;
    const std::string& path = sessionFile();
    SessionLoad how;
    how.progress = [](std::size_t, std::size_t) {};
    for (auto _ : state) {
        WindowModel model;
        if (!OpenTwinsiftFile(model, path, ui, how) || model.rows.size() != bench::kRows)
            state.SkipWithError("the load failed");
        state.PauseTiming();
        model = WindowModel();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadSession)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_LoadPeakMemory(benchmark::State& state) {
    bench::NoQuestions ui;
    const std::string& path = sessionFile();
    for (auto _ : state) {
        const double rows = peakMiB([] { benchmark::DoNotOptimize(bench::photoRows(true)); });
        double load = 0;
        {
            WindowModel model;
            load = peakMiB([&] { OpenTwinsiftFile(model, path, ui, {}); });
        }
        state.counters["rows_MiB"] = rows;
        state.counters["load_MiB"] = load;
        state.counters["ratio"] = load / rows;
    }
}
BENCHMARK(BM_LoadPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace
} // namespace twinsift
