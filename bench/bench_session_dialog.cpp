// A million-row session saved and loaded through the session dialog, and the
// longest time the window went without a chance to handle its events.
#include "app/desktop_services.h"
#include "app/save_frm.h"
#include "no_questions.h"
#include "persist/session_file.h"
#include "platform/settings_store.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace twinsift {
namespace {

constexpr int kRows = 1'000'000;

class NoSettings : public SettingsStore {
public:
    std::string getSetting(const std::string&, const std::string&,
                           const std::string& defaultValue) const override {
        return defaultValue;
    }
    void saveSetting(const std::string&, const std::string&, const std::string&) override {}
    void deleteSetting(const std::string&, const std::string&) override {}
    std::vector<std::pair<std::string, std::string>>
    getAllSettings(const std::string&) const override {
        return {};
    }
};

// Groups of two, a thousand files to a folder, every third row marked.
void fill(WindowModel& model) {
    model.rows.reserve(kRows);
    std::optional<SharedText> folder;
    for (int i = 0; i < kRows; ++i) {
        if (i % 1000 == 0)
            folder = SharedText("/home/user/Pictures/Album " + std::to_string(i / 1000) + "/");
        char name[40];
        std::snprintf(name, sizeof name, "IMG_%06d.jpg", i);
        model.rows.push_back(makeResultRow(name, *folder, "N/A", "2024-03-01 10:00",
                                           {100'000 + i / 2, 1'709'287'200, 0, i / 2 + 1, {}}));
        if (i % 3 == 0)
            model.rows.back().icon = image::Marked;
    }
    model.GroupSizes.assign(kRows / 2 + 1, 2);
    model.GroupCount = kRows / 2;
}

// The desktop's yield, timing the stretches between its calls.
struct TimedYield {
    DesktopYield yield;
    QElapsedTimer sinceLast;
    qint64 longest = 0;

    void operator()() {
        longest = std::max(longest, sinceLast.restart());
        yield();
    }
};

// Presses Save or Open in a shown dialog; the longest pause in milliseconds.
qint64 runDialog(const char* mode, WindowModel& model, const std::string& path) {
    NoSettings settings;
    bench::NoQuestions ui;
    SaveFrm dialog(mode, model, {settings, ui, {}, nullptr, {}});
    dialog.show();
    dialog.findChild<QLineEdit*>(QStringLiteral("txtPath"))->setText(QString::fromStdString(path));
    auto timed = std::make_shared<TimedYield>();
    model.yield = [timed] { (*timed)(); };
    timed->sinceLast.start();
    dialog.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    (*timed)();
    model.yield = {};
    return timed->longest;
}

std::unique_ptr<QApplication> offscreenApplication() {
    static int argc = 1;
    static char name[] = "bench_session_dialog";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QApplication>(argc, argv);
}

// Named after the process, so that runs side by side keep apart.
const std::string kPath = (std::filesystem::temp_directory_path() /
                           ("bench_session_dialog" + std::to_string(::getpid()) + ".tsf"))
                              .string();

void BM_SaveThroughDialog(benchmark::State& state) {
    const auto application = offscreenApplication();
    WindowModel model;
    fill(model);
    qint64 longest = 0;
    for (auto _ : state)
        longest = std::max(longest, runDialog("Save", model, kPath));
    state.counters["longest_pause_ms"] = static_cast<double>(longest);
    std::filesystem::remove(kPath);
}
BENCHMARK(BM_SaveThroughDialog)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LoadThroughDialog(benchmark::State& state) {
    const auto application = offscreenApplication();
    {
        WindowModel saved;
        fill(saved);
        bench::NoQuestions ui;
        if (!SaveSession(saved, kPath, true, ui))
            state.SkipWithError("the session file could not be written");
    }
    qint64 longest = 0;
    std::size_t rows = 0;
    for (auto _ : state) {
        WindowModel model;
        longest = std::max(longest, runDialog("Open", model, kPath));
        rows = model.rows.size();
        state.PauseTiming();
        model.rows = {}; // freeing is not part of loading
        state.ResumeTiming();
    }
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["longest_pause_ms"] = static_cast<double>(longest);
    std::filesystem::remove(kPath);
}
BENCHMARK(BM_LoadThroughDialog)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
} // namespace twinsift
