// The list update after a Delete that took 100,000 rows of a million: the
// marked rows whose files are gone leave the list in one pass. Goal: well
// under a second.
#include "core/window_model.h"
#include "fileops/file_operation.h"
#include "no_questions.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

namespace twinsift {
namespace {

constexpr int kRows = 1'000'000;

// A million rows in groups of four, every tenth row marked and its file
// gone; the other rows' files are never looked at.
std::unique_ptr<WindowModel> afterDelete() {
    auto model = std::make_unique<WindowModel>();
    model->rows.reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
        char folder[64];
        std::snprintf(folder, sizeof folder, "/nonexistent/twinsift-bench/d%04d/", i % 10'000);
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
