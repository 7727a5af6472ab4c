#include "core/append_string.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// An export line of about 60 characters, as the report writers append them.
const std::string exportLine =
    "\"/home/user/folder/name.ext\",\"000000012345\",\"2026-12-06 20:05\"\r\n";

// Time per line should stay flat from 250k to 1M lines: growth is linear.
void AppendLines(benchmark::State& state) {
    const auto lines = state.range(0);
    for (auto _ : state) {
        twinsift::AppendString text;
        for (std::int64_t i = 0; i < lines; ++i)
            text.AddToString(exportLine);
        benchmark::DoNotOptimize(text.ReturnString());
    }
    state.SetItemsProcessed(state.iterations() * lines);
    state.SetComplexityN(lines);
}

BENCHMARK(AppendLines)
    ->Arg(250'000)
    ->Arg(500'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

} // namespace
