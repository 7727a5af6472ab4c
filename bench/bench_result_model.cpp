// The result list with a million rows: filling the Qt model, re-sorting it by
// the size key, removing scattered rows under a shown view, marking one row,
// and what one row costs in memory.
#include "app/result_list_model.h"

#include <QApplication>
#include <QTableView>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <random>

namespace twinsift {
namespace {

constexpr int kRows = 1'000'000;

// Resident memory of the process in bytes.
long residentBytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * 4096;
}

// Rows shaped like a real result: photo names, nested folders, groups of
// two to four. The rows of one folder share its text, as a listing's do.
std::vector<ResultRow> syntheticRows() {
    std::mt19937 random(42);
    std::vector<ResultRow> rows;
    rows.reserve(kRows);
    std::vector<std::optional<SharedText>> folders(25 * 997);
    int group = 0;
    int left = 0;
    std::uint64_t size = 0;
    for (int i = 0; i < kRows; ++i) {
        if (left-- == 0) {
            ++group;
            left = static_cast<int>(random() % 3) + 1;
            size = random() % 50'000'000;
        }
        char name[40];
        std::snprintf(name, sizeof name, "IMG_2024%04d_%06d.jpg", i % 1231, i);
        std::optional<SharedText>& folder =
            folders[static_cast<std::size_t>(i % 25 * 997 + i % 997)];
        if (!folder) {
            char text[64];
            std::snprintf(text, sizeof text, "/home/user/Pictures/%d/Album %03d/", 2000 + i % 25,
                          i % 997);
            folder = SharedText(text);
        }
        rows.push_back(makeResultRow(name, *folder, "N/A", "2024-03-01 10:00",
                                     {static_cast<std::int64_t>(size), 1'709'287'200, 0, group,
                                      FileIdentity{1, static_cast<std::uint64_t>(i)}}));
    }
    return rows;
}

// Making every row, the shading table, and the view's reset.
void BM_FillResultModel(benchmark::State& state) {
    for (auto _ : state) {
        WindowModel model;
        ResultListModel results(model);
        model.rows = syntheticRows();
        computeRowShades(model);
        results.listReplaced();
        benchmark::DoNotOptimize(results.rowCount());
        state.PauseTiming();
        model.rows = {}; // freeing is not part of filling
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FillResultModel)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ResortBySortSize(benchmark::State& state) {
    WindowModel model;
    ResultListModel results(model);
    model.rows = syntheticRows();
    results.listReplaced();
    model.listener = &results;
    bool descending = false;
    for (auto _ : state) {
        descending = !descending;
        sortResultRows(model, ColSortSize, descending);
        computeRowShades(model);
    }
    state.counters["rows"] = static_cast<double>(model.rows.size());
}
BENCHMARK(BM_ResortBySortSize)->Unit(benchmark::kMillisecond)->Iterations(4);

// Every third row goes, as pruning does with single-file groups: a third of
// a million runs apart, with a view shown over the list and a few rows selected.
void BM_RemoveScatteredRows(benchmark::State& state) {
    static int argc = 1;
    static char name[] = "bench_result_model";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QApplication app(argc, argv);
    const std::vector<ResultRow> filled = syntheticRows();
    WindowModel model;
    ResultListModel results(model);
    QTableView view;
    view.setModel(&results);
    view.show();
    for (auto _ : state) {
        state.PauseTiming();
        model.rows = filled;
        results.listReplaced();
        for (int row : {1, 500'001, 999'998})
            view.selectionModel()->select(results.index(row, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
        std::size_t position = 0;
        model.listener = &results;
        state.ResumeTiming();
        removeResultRows(model, [&](const ResultRow&) { return position++ % 3 == 0; });
        model.listener = nullptr;
    }
    state.counters["selected"] = static_cast<double>(view.selectionModel()->selectedRows().size());
}
BENCHMARK(BM_RemoveScatteredRows)->Unit(benchmark::kMillisecond)->Iterations(3);

// Marking one row must repaint that row alone: one dataChanged, no reset and no
// layout change, however long the list. Anything else aborts the run.
void BM_MarkOneRow(benchmark::State& state) {
    WindowModel model;
    ResultListModel results(model);
    model.rows = syntheticRows();
    results.listReplaced();
    model.listener = &results;
    int changed = 0;
    int reset = 0;
    int relaid = 0;
    bool changedOnlyTheRow = true;
    constexpr int marked = kRows / 2;
    QObject::connect(&results, &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex& from, const QModelIndex& to) {
                         ++changed;
                         changedOnlyTheRow = changedOnlyTheRow && from.row() == marked &&
                                             to.row() == marked && from.column() == 0 &&
                                             to.column() == kResultColumnCount - 1;
                     });
    QObject::connect(&results, &QAbstractItemModel::modelReset, [&] { ++reset; });
    QObject::connect(&results, &QAbstractItemModel::layoutChanged, [&] { ++relaid; });
    bool mark = false;
    int marks = 0;
    for (auto _ : state) {
        mark = !mark;
        markRows(model, {marked, marked}, mark);
        ++marks;
    }
    state.counters["dataChanged"] = static_cast<double>(changed) / marks;
    state.counters["reset"] = reset;
    state.counters["layout"] = relaid;
    if (changed != marks || !changedOnlyTheRow || reset != 0 || relaid != 0) {
        std::fprintf(stderr,
                     "BM_MarkOneRow: %d marks gave %d dataChanged (%s), %d resets, %d layout "
                     "changes\n",
                     marks, changed, changedOnlyTheRow ? "that row" : "wider", reset, relaid);
        std::abort();
    }
}
BENCHMARK(BM_MarkOneRow)->Unit(benchmark::kMicrosecond);

void BM_MemoryPerRow(benchmark::State& state) {
    for (auto _ : state) {
        const long before = residentBytes();
        WindowModel model;
        model.rows = syntheticRows();
        computeRowShades(model);
        const long after = residentBytes();
        state.counters["bytes_per_row"] = static_cast<double>(after - before) / kRows;
    }
}
BENCHMARK(BM_MemoryPerRow)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
} // namespace twinsift
