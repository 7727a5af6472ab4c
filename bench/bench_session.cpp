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

constexpr int kRows = 1'000'000;
constexpr int kFolders = 10'000;

// The rows as a search lists them, or, with `asLoaded`, as a session load
// makes them: each group's saved sort key shared by its rows.
std::unique_ptr<WindowModel> listed(bool asLoaded) {
    auto model = std::make_unique<WindowModel>();
    std::mt19937 random(42);
    std::vector<SharedText> folders;
    for (int f = 0; f < kFolders; ++f) {
        char folder[64];
        std::snprintf(folder, sizeof folder, "/home/user/Pictures/d%04d/s%d/", f / 5, f % 5);
        folders.emplace_back(folder);
    }
    model->rows.reserve(kRows);
    SharedText groupKey;
    for (int i = 0; i < kRows; ++i) {
        char name[48];
        std::snprintf(name, sizeof name, "IMG_2024%04d_%06d & copy.jpg",
                      static_cast<int>(random() % 1231), i);
        RowFacts facts;
        facts.size = static_cast<std::int64_t>(random() % 10'000'000 + 1);
        facts.lastWriteSeconds = 1'700'000'000 + static_cast<std::int64_t>(random() % 10'000'000);
        facts.lastWriteSeconds -= facts.lastWriteSeconds % 60;
        facts.group = i / 3 + 1;
        if (asLoaded && i % 3 == 0)
            groupKey = SharedText(zeroPadded(facts.group, 11));
        model->rows.push_back(makeResultRow(name, folders[random() % kFolders],
                                            random() % 4 == 0 ? "1.2.3.4" : "N/A",
                                            fileTimeText(facts.lastWriteSeconds), facts, groupKey));
        model->rows.back().icon = i % 3 == 2 ? image::Marked : image::Unmarked;
    }
    return model;
}

std::string target(const char* name) {
    const char* folder = std::getenv("TMPDIR");
    return std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/" + name +
           std::to_string(::getpid());
}

// A file removed at exit, whichever benchmarks ran.
struct RemovedAtExit {
    std::string path;
    ~RemovedAtExit() { std::remove(path.c_str()); }
};

// The session file of the listed rows, written once.
const std::string& sessionFile() {
    static const RemovedAtExit file{[] {
        const std::string path = target("bench_session.tsf");
        bench::NoQuestions ui;
        SaveSession(*listed(false), path, true, ui);
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
    const std::unique_ptr<WindowModel> model = listed(false);
    const std::string path = target("bench_session_save.tsf");
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
        if (!OpenTwinsiftFile(model, path, ui, how) || model.rows.size() != kRows)
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
        const double rows = peakMiB([] { benchmark::DoNotOptimize(listed(true)); });
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
