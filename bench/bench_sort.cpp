#include "core/sorting_lib.h"
#include "core/text_compare.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

// File-record keys as the scan builds them: padded size, name, folder, time,
// about 60 characters, names in mixed case.
const std::vector<std::string>& fileRecords() {
    static const std::vector<std::string> records = [] {
        std::mt19937 random(2026);
        const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
        auto word = [&](std::size_t length) {
            std::string text;
            for (std::size_t i = 0; i < length; ++i)
                text += letters[random() % (sizeof letters - 1)];
            return text;
        };
        std::vector<std::string> out(1'000'000);
        for (auto& record : out) {
            std::string size = std::to_string(random() % 100'000'000);
            record = std::string(12 - size.size(), '0') + size + "?" + word(4 + random() % 8) +
                     ".ext?/home/user/" + word(3 + random() % 6) + "/?2026-12-0" +
                     std::to_string(1 + random() % 9) + " 20:05";
        }
        return out;
    }();
    return records;
}

template <typename Sort> void runSort(benchmark::State& state, Sort sort) {
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::string> records = fileRecords();
        state.ResumeTiming();
        sort(records);
        benchmark::DoNotOptimize(records.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(fileRecords().size()));
}

void SortStringsTextMode(benchmark::State& state) {
    runSort(state,
            [](std::vector<std::string>& records) { twinsift::SortStrings(records, true, false); });
}

void StdSortTextMode(benchmark::State& state) {
    runSort(state, [](std::vector<std::string>& records) {
        std::sort(records.begin(), records.end(), [](const std::string& a, const std::string& b) {
            return twinsift::compareText(a, b) < 0;
        });
    });
}

void SortStringsBinaryMode(benchmark::State& state) {
    runSort(state,
            [](std::vector<std::string>& records) { twinsift::SortStrings(records, true, true); });
}

void StdSortBinaryMode(benchmark::State& state) {
    runSort(state,
            [](std::vector<std::string>& records) { std::sort(records.begin(), records.end()); });
}

BENCHMARK(SortStringsTextMode)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(StdSortTextMode)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(SortStringsBinaryMode)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(StdSortBinaryMode)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
