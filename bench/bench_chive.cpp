// A scan adds one keyless element per file found; this measures a million
// such adds and the heap each element costs.
#include "core/chive.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <optional>
#include <string>
#include <vector>

namespace {

using twinsift::CHive;
using twinsift::Date;
using twinsift::Variant;

constexpr int kFiles = 1'000'000;

struct FileRecord {
    std::string size;
    std::string name;
    std::string folder;
    Date written;
};

std::vector<FileRecord> makeRecords() {
    std::vector<FileRecord> records;
    records.reserve(kFiles);
    for (int i = 0; i < kFiles; ++i) {
        std::string size = std::to_string(i * 37 % 900'000'007);
        size.insert(0, 12 - size.size(), '0');
        records.push_back({std::move(size), "photo_" + std::to_string(i) + ".jpg",
                           "/home/user/Pictures/2023/holiday " + std::to_string(i % 500) + "/",
                           Date{45000.0 + i % 1000}});
    }
    return records;
}

std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

void keylessAddOfFileRecords(benchmark::State& state) {
    const std::vector<FileRecord> records = makeRecords();
    for (auto _ : state) {
        state.PauseTiming();
        std::optional<CHive> hive;
        const std::size_t before = heapInUse();
        state.ResumeTiming();

        hive.emplace();
        for (const FileRecord& record : records)
            hive->Add(record.size, record.name, record.folder, record.written, 1, 1);

        state.PauseTiming();
        const std::size_t after = heapInUse();
        state.counters["bytes_per_element"] =
            static_cast<double>(after - before) / static_cast<double>(hive->Count());
        state.counters["node_capacity"] = hive->nodeCapacity();
        hive.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}

BENCHMARK(keylessAddOfFileRecords)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
