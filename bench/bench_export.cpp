// The XML and delimited exports of a result list of a million rows in
// 330,000 groups, photo names in 10,000 folders, written to a file in
// $TMPDIR (or /tmp) the way the export wizard writes it: probe, build the
// whole text, replace the file.
#include "core/format.h"
#include "core/window_model.h"
#include "no_questions.h"
#include "persist/export_formats.h"
#include "persist/export_html.h"
#include "photo_rows.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>

namespace twinsift {
namespace {

const WindowModel& listed() {
    static const std::unique_ptr<WindowModel> model = bench::photoRows();
    return *model;
}

template <class Export> void timeExport(benchmark::State& state, const char* name, Export run) {
    bench::NoQuestions ui;
    const WindowModel& model = listed();
    const ExportRequest request{bench::benchFile(name), ExportRows::All,
                                [](std::size_t, std::size_t) {}};
    for (auto _ : state)
        if (!run(model, request, ui))
            state.SkipWithError("the export failed");
    std::remove(request.path.c_str());
}

void BM_ExportXml(benchmark::State& state) {
    timeExport(state, "bench_export.xml",
               [](const WindowModel& model, const ExportRequest& request, UserInterface& ui) {
                   return ExportXml(model, request, ui);
               });
}
BENCHMARK(BM_ExportXml)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_ExportDelimited(benchmark::State& state) {
    timeExport(state, "bench_export.csv",
               [](const WindowModel& model, const ExportRequest& request, UserInterface& ui) {
                   return ExportDelimited(model, request, Delimiter::Comma, "", ui);
               });
}
BENCHMARK(BM_ExportDelimited)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_ExportHtml(benchmark::State& state) {
    timeExport(state, "bench_export.htm",
               [](const WindowModel& model, const ExportRequest& request, UserInterface& ui) {
                   return ExportHtml(model, request, ui);
               });
}
BENCHMARK(BM_ExportHtml)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The text alone, without the file: what the writing costs is the rest.
void BM_BuildXmlText(benchmark::State& state) {
    const WindowModel& model = listed();
    const std::vector<std::size_t> rows = exportedRows(model, ExportRows::All);
    for (auto _ : state) {
        ExportText text([](std::string_view piece) { benchmark::DoNotOptimize(piece.data()); });
        appendXmlExport(text, model, rows, {});
        text.flush();
    }
}
BENCHMARK(BM_BuildXmlText)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace
} // namespace twinsift
