// The HTML report of a result list of a million rows in groups of three:
// photo names, 10,000 shared folders, a version on every fourth row. Each run
// builds the whole page text as the export does, handed on a few megabytes
// at a time; bench_export times the export to a file.
#include "core/format.h"
#include "core/window_model.h"
#include "persist/export_html.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <numeric>
#include <random>
#include <string>

namespace twinsift {
namespace {

constexpr int kRows = 1'000'000;
constexpr int kFolders = 10'000;

WindowModel listOfRows() {
    WindowModel model;
    std::mt19937 random(42);
    std::vector<SharedText> folders;
    for (int i = 0; i < kFolders; ++i) {
        char folder[48];
        std::snprintf(folder, sizeof folder, "/home/user/Pictures/d%05d/", i);
        folders.emplace_back(folder);
    }
    model.rows.reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
        char name[40];
        std::snprintf(name, sizeof name, "IMG_2024%04d_%06d.jpg", static_cast<int>(random() % 1231),
                      i);
        RowFacts facts;
        facts.size = static_cast<std::int64_t>(random() % 10'000'000 + 1);
        facts.lastWriteSeconds = 1'700'000'000 + static_cast<std::int64_t>(random() % 10'000'000);
        facts.group = i / 3 + 1;
        model.rows.push_back(makeResultRow(name, folders[random() % kFolders],
                                           random() % 4 == 0 ? "1.2.3.4" : "N/A",
                                           fileTimeText(facts.lastWriteSeconds), facts));
    }
    model.statusPanels[PanelFiles].text = status_text::files(kRows);
    model.statusPanels[PanelDuplicates].text = "Duplicate Files: 666666  Size: 3.10 TB";
    return model;
}

void HtmlReportAllRows(benchmark::State& state) {
    const WindowModel model = listOfRows();
    std::vector<std::size_t> exported(model.rows.size());
    std::iota(exported.begin(), exported.end(), std::size_t{0});
    std::size_t pageBytes = 0;
    for (auto _ : state) {
        pageBytes = 0;
        ExportText text([&](std::string_view piece) {
            pageBytes += piece.size();
            benchmark::DoNotOptimize(piece.data());
        });
        appendHtmlReport(text, model, exported, nowText(), {});
        text.flush();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
    state.counters["page_MB"] = static_cast<double>(pageBytes) / 1e6;
}

BENCHMARK(HtmlReportAllRows)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace twinsift
