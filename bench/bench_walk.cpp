// Walk speed of cScanPath over a whole tree, to hold against
//   find DIR -type f -printf '%s %T@ %p\n' > /dev/null
// on the same tree. Set TWINSIFT_BENCH_TREE to a tree made by bench/make_tree.py;
// without it a smaller tree is built under /tmp and removed afterwards.
#include "bench_tree.h"
#include "scan/scan_path.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// A smaller tree of 20,000 files in 500 folders.
void fillTree(const std::string& root) {
    for (int folder = 0; folder < 500; ++folder) {
        const std::string sub =
            root + "d" + std::to_string(folder % 25) + "/e" + std::to_string(folder) + "/";
        fs::create_directories(sub);
        for (int file = 0; file < 40; ++file)
            std::ofstream(sub + "f" + std::to_string(file) + ".dat")
                << std::string(static_cast<std::size_t>(file * 37 % 500), 'x');
    }
}

const std::string& treePath() {
    return twinsift::bench::benchTree("walk", fillTree);
}

// Every file passes and its details are copied, as the scan driver does.
void BM_WalkAllFiles(benchmark::State& state) {
    twinsift::cScanPath walker;
    walker.MinimumSize = 1;
    walker.Hidden = true;
    std::size_t bytes = 0;
    walker.FileMatchEx = [&](const twinsift::EntryDetails& d) {
        bytes += d.Name.size() + d.Folder.size();
    };
    for (auto _ : state) {
        walker.StartScan(treePath(), true);
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["files"] = static_cast<double>(walker.FileCount());
    state.counters["folders"] = static_cast<double>(walker.DirCount());
}
BENCHMARK(BM_WalkAllFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

// The zero-size search: every file is examined, only empty ones are reported.
void BM_WalkZeroSize(benchmark::State& state) {
    twinsift::cScanPath walker;
    walker.Hidden = true;
    for (auto _ : state)
        walker.StartScan(treePath(), true);
    state.counters["files"] = static_cast<double>(walker.FileCount());
}
BENCHMARK(BM_WalkZeroSize)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
