// The run over marked files, with its look at each file before acting, on
// 10,000 small files of one folder (the figures to hold against
// bench_file_ops.sh's rm, mv and gio trash), and the list update after a
// Delete that took 100,000 rows of a million.
#include "core/window_model.h"
#include "fileops/file_operation.h"
#include "no_questions.h"
#include "platform/shell_services.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <sys/stat.h>

namespace twinsift {
namespace {

constexpr int kFiles = 10'000;
constexpr int kRows = 1'000'000;

// One scratch folder for the whole program, removed at its end; GIO reads
// the Trash's place once, so it is set before the first benchmark.
class Scratch {
public:
    Scratch() {
        char pattern[] = "/tmp/twinsift-bench-XXXXXX";
        m_folder = std::string(::mkdtemp(pattern)) + "/";
        ::setenv("HOME", m_folder.c_str(), 1);
        ::setenv("XDG_DATA_HOME", (m_folder + "data").c_str(), 1);
    }
    ~Scratch() { std::filesystem::remove_all(m_folder); }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    const std::string& folder() const { return m_folder; }

private:
    std::string m_folder;
};

const std::string& scratch() {
    static const Scratch made;
    return made.folder();
}

class NoSheet : public FileShellServices {
public:
    bool ShowProperties(const std::string&) override { return false; }
};

class Silent : public FileOpProgress {
public:
    void showLabel(const std::string&) override {}
    void showProgress(std::int64_t, std::int64_t) override {}
    void addFailure(const FileOpFailure&) override {}
    bool cancelRequested() override { return false; }
};

// kFiles marked rows of fresh files in one folder, each with a kept twin
// elsewhere, as a search leaves them.
std::unique_ptr<WindowModel> markedFiles() {
    auto model = std::make_unique<WindowModel>();
    const std::string from = scratch() + "from/";
    const std::string kept = scratch() + "kept/";
    std::filesystem::create_directories(from);
    std::filesystem::create_directories(kept);
    for (int i = 0; i < kFiles; ++i) {
        const std::string name = "f" + std::to_string(i) + ".txt";
        for (const std::string& folder : {from, kept}) {
            std::ofstream(folder + name) << "file " << i << " of the benchmark\n";
            struct stat status {};
            ::lstat((folder + name).c_str(), &status);
            const RowFacts facts{status.st_size, status.st_mtim.tv_sec,
                                 static_cast<std::int32_t>(status.st_mtim.tv_nsec), i + 1,
                                 FileIdentity{status.st_dev, status.st_ino}};
            model->rows.push_back(makeResultRow(name, folder, "N/A", "2024-03-05 14:07", facts));
            model->rows.back().icon = folder == from ? image::Marked : image::Unmarked;
        }
    }
    model->GroupCount = kFiles;
    return model;
}

void timeRun(benchmark::State& state, FileOpSettings settings) {
    bench::NoQuestions ui;
    NoSheet shell;
    Silent progress;
    settings.destination = scratch() + "to/";
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(scratch() + "data");
        std::filesystem::create_directories(settings.destination);
        auto model = markedFiles();
        ::sync();
        state.ResumeTiming();
        const FileOpOutcome outcome = runFileOperation(*model, settings, shell, ui, progress);
        state.PauseTiming();
        if (outcome.done != kFiles)
            state.SkipWithError("not every file was acted on");
        std::filesystem::remove_all(scratch() + "kept");
        std::filesystem::remove_all(settings.destination);
        state.ResumeTiming();
    }
}

void BM_RunDeletePermanently(benchmark::State& state) {
    FileOpSettings settings;
    settings.toTrash = false;
    timeRun(state, settings);
}
BENCHMARK(BM_RunDeletePermanently)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_RunDeleteToTrash(benchmark::State& state) {
    timeRun(state, FileOpSettings{});
}
BENCHMARK(BM_RunDeleteToTrash)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_RunMove(benchmark::State& state) {
    FileOpSettings settings;
    settings.mode = FileOpMode::Move;
    timeRun(state, settings);
}
BENCHMARK(BM_RunMove)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// A million rows in groups of four, every tenth row marked and its file
// gone; the other rows' files are never looked at.
std::unique_ptr<WindowModel> afterDelete() {
    auto model = std::make_unique<WindowModel>();
    model->rows.reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
        char folder[64];
        std::snprintf(folder, sizeof folder, "%sgone/d%04d/", scratch().c_str(), i % 10'000);
        RowFacts facts;
        facts.size = 1000;
        facts.group = i / 4 + 1;
        model->rows.push_back(makeResultRow("IMG_" + std::to_string(i) + ".jpg", folder, "N/A",
                                            "2024-03-05 14:07", facts));
        if (i % 10 == 0)
            model->rows.back().icon = image::Marked;
    }
    model->GroupCount = kRows / 4;
    return model;
}

void BM_UpdateListAfterDelete(benchmark::State& state) {
    bench::NoQuestions ui;
    for (auto _ : state) {
        state.PauseTiming();
        auto model = afterDelete();
        state.ResumeTiming();
        updateListAfterFileOperation(*model, ui);
        state.PauseTiming();
        if (model->rows.size() != kRows - kRows / 10)
            state.SkipWithError("the update removed other rows than the gone ones");
        model.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_UpdateListAfterDelete)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace
} // namespace twinsift
