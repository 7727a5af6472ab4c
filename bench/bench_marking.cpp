// The marking commands and the column sort on a result list of a million
// rows in 330,000 groups, shaped like a real result: photo names, 10,000
// folders (2,000 with four sub-folders each), times and sizes that differ
// within a group. Sizes stay small, so that the CD limit never cuts a walk
// short. Each command starts from the list as the user left it.
#include "core/format.h"
#include "core/window_model.h"
#include "marking/advanced_marking.h"
#include "marking/originals_check.h"
#include "marking/quick_marks.h"
#include "marking/sort_cols.h"
#include "no_questions.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <random>

namespace twinsift {
namespace {

constexpr int kRows = 1'000'000;
constexpr int kGroups = 330'000;
constexpr int kTopFolders = 2'000;
constexpr int kSubFolders = 4;

std::string folderName(int top, int sub) {
    char folder[64];
    if (sub == 0)
        std::snprintf(folder, sizeof folder, "/home/user/Pictures/d%04d/", top);
    else
        std::snprintf(folder, sizeof folder, "/home/user/Pictures/d%04d/s%d/", top, sub);
    return folder;
}

// The list as a fresh scan leaves it: sorted by group, lvFolders filled.
const WindowModel& freshList() {
    static const std::unique_ptr<WindowModel> listed = [] {
        auto owned = std::make_unique<WindowModel>();
        WindowModel& model = *owned;
        std::mt19937 random(42);
        model.rows.reserve(kRows);
        for (int top = 0; top < kTopFolders; ++top)
            for (int sub = 0; sub <= kSubFolders; ++sub)
                model.lvFolders.push_back(folderName(top, sub));
        for (int i = 0; i < kRows; ++i) {
            // Groups of three, the first 10,000 with a fourth row.
            const int group = i < 40'000 ? i / 4 + 1 : 10'000 + (i - 40'000) / 3 + 1;
            char name[40];
            std::snprintf(name, sizeof name, "IMG_2024%04d_%06d.jpg",
                          static_cast<int>(random() % 1231), i);
            RowFacts facts;
            facts.size = static_cast<std::int64_t>(random() % 1000 + 1);
            facts.lastWriteSeconds =
                1'700'000'000 + static_cast<std::int64_t>(random() % 10'000'000);
            facts.group = group;
            const std::string& folder = model.lvFolders[random() % model.lvFolders.size()];
            model.rows.push_back(makeResultRow(name, folder, random() % 4 == 0 ? "1.2.3.4" : "N/A",
                                               fileTimeText(facts.lastWriteSeconds), facts));
        }
        model.GroupCount = kGroups;
        model.GroupSizes.assign(kGroups + 1, 3);
        for (int group = 1; group <= 10'000; ++group)
            model.GroupSizes[group] = 4;
        model.GroupSizes[0] = 0;
        computeRowShades(model);
        return owned;
    }();
    return *listed;
}

std::unique_ptr<WindowModel> copyOfFreshList() {
    auto model = std::make_unique<WindowModel>();
    model->rows = freshList().rows;
    model->lvFolders = freshList().lvFolders;
    model->GroupSizes = freshList().GroupSizes;
    model->GroupCount = freshList().GroupCount;
    model->RowShades = freshList().RowShades;
    return model;
}

// The list sorted by name, so that a command must sort it by group again.
std::unique_ptr<WindowModel> sortedByName() {
    auto model = copyOfFreshList();
    sortResultRows(*model, ColFileName, false);
    return model;
}

// Every other row marked.
std::unique_ptr<WindowModel> halfMarked() {
    auto model = copyOfFreshList();
    for (std::size_t r = 0; r < model->rows.size(); r += 2)
        markRows(*model, {r, r}, true);
    return model;
}

// Times `command` on a list that `prepare` makes, each run on a list of its
// own; preparing and dropping the lists is not timed.
template <class Prepare, class Command>
void timeOnFreshLists(benchmark::State& state, Prepare prepare, Command command) {
    for (auto _ : state) {
        state.PauseTiming();
        auto model = prepare();
        state.ResumeTiming();
        command(*model);
        state.PauseTiming();
        model.reset();
        state.ResumeTiming();
    }
}

// A header click on the given column of a list in the order a scan left it.
void BM_SortCols(benchmark::State& state) {
    bench::NoQuestions ui;
    const int column = static_cast<int>(state.range(0));
    timeOnFreshLists(state, copyOfFreshList,
                     [&](WindowModel& model) { SortCols(model, ui, column, SortRequest::Toggle); });
}
BENCHMARK(BM_SortCols)
    ->DenseRange(1, 6)
    ->Arg(10)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(4)
    ->UseRealTime();

void BM_MarkAllDuplicates(benchmark::State& state) {
    bench::NoQuestions ui;
    timeOnFreshLists(state, sortedByName,
                     [&](WindowModel& model) { markAllDuplicates(model, ui); });
}
BENCHMARK(BM_MarkAllDuplicates)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_MarkByRangeNewerWithinCd(benchmark::State& state) {
    bench::NoQuestions ui;
    AdvMarkChoices choices;
    choices.limit = AdvMarkChoices::Limit::CD;
    timeOnFreshLists(state, sortedByName,
                     [&](WindowModel& model) { markByRange(model, ui, choices); });
}
BENCHMARK(BM_MarkByRangeNewerWithinCd)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// 1,000 top folders ticked, with their sub-folders: half the list.
void BM_MarkByFolders(benchmark::State& state) {
    bench::NoQuestions ui;
    timeOnFreshLists(state, copyOfFreshList, [&](WindowModel& model) {
        std::vector<bool> ticked(model.lvFolders.size(), false);
        for (std::size_t f = 0; f < ticked.size(); f += 2 * (kSubFolders + 1))
            ticked[f] = true;
        markByFolders(model, ui, ticked, true, "All files(*.*)");
    });
}
BENCHMARK(BM_MarkByFolders)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_Recount(benchmark::State& state) {
    auto model = halfMarked();
    for (auto _ : state)
        ShowMarkedTotals(*model, countMarked(*model));
}
BENCHMARK(BM_Recount)->Unit(benchmark::kMillisecond)->UseRealTime();

// A mark-box click: one row flips, then the totals are counted again.
void BM_FlipOneMark(benchmark::State& state) {
    auto model = halfMarked();
    for (auto _ : state)
        flipMark(*model, kRows / 2);
}
BENCHMARK(BM_FlipOneMark)->Unit(benchmark::kMillisecond)->UseRealTime();

// 500,000 marked rows leave the list; groups left with one row go too.
void BM_RemoveMarkedFromResult(benchmark::State& state) {
    bench::NoQuestions ui;
    timeOnFreshLists(state, halfMarked,
                     [&](WindowModel& model) { removeMarkedFromResult(model, ui); });
}
BENCHMARK(BM_RemoveMarkedFromResult)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// Every group fully marked in a list sorted by name; the user keeps all
// originals at the first warning.
class KeepsAllOriginals : public bench::NoQuestions {
public:
    OriginalsAnswer originalsWarning(WindowModel&, const std::vector<std::size_t>&) override {
        return OriginalsAnswer::KeepAllOriginals;
    }
};

void BM_CheckOriginalsAfterSortByName(benchmark::State& state) {
    KeepsAllOriginals ui;
    auto allMarked = [] {
        auto model = sortedByName();
        markRows(*model, {0, model->rows.size() - 1}, true);
        return model;
    };
    timeOnFreshLists(state, allMarked, [&](WindowModel& model) { checkOriginals(model, ui); });
}
BENCHMARK(BM_CheckOriginalsAfterSortByName)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

} // namespace
} // namespace twinsift
