// Speed of FindDuplicates alone, on candidates collected once by a walk.
// Set TWINSIFT_BENCH_TREE to a tree made by bench/make_tree.py; without it a
// tree of copies, same-size files differing in the first block and files
// differing only in their last bytes is built under /tmp and removed
// afterwards. Compare with reading every file whose size is shared:
//   cat $(files of shared sizes) > /dev/null
#include "bench_tree.h"
#include "core/window_model.h"
#include "engine/find_duplicates.h"
#include "engine/worker_pool.h"
#include "no_questions.h"
#include "scan/scan_path.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unordered_set>

namespace {

namespace fs = std::filesystem;
using namespace twinsift;

// Files of sizes of their own, copies, same-size files differing in the first
// block and files differing only in their last bytes.
void fillTree(const std::string& root) {
    std::mt19937_64 random(7);
    std::size_t file = 0;
    auto write = [&](const std::string& content) {
        const std::string folder =
            root + "d" + std::to_string(file % 37) + "/e" + std::to_string(file % 401) + "/";
        fs::create_directories(folder);
        std::ofstream(folder + "f" + std::to_string(file++) + ".dat", std::ios::binary) << content;
    };
    auto randomBytes = [&](std::size_t size) {
        std::string content(size, '\0');
        for (std::size_t i = 0; i < size; i += 8) {
            const std::uint64_t word = random();
            content.replace(i, std::min<std::size_t>(8, size - i),
                            reinterpret_cast<const char*>(&word),
                            std::min<std::size_t>(8, size - i));
        }
        return content;
    };
    // Sizes from 100 bytes to about 1 MiB, most of them small.
    auto anySize = [&] { return std::size_t(100 + (random() % 1000) * (random() % 1000)); };
    for (int i = 0; i < 6000; ++i) // sizes of their own, mostly
        write(randomBytes(anySize()));
    for (int i = 0; i < 3000; ++i) { // copies, two to four
        const std::string content = randomBytes(anySize());
        for (std::uint64_t copy = 0, copies = 2 + random() % 3; copy < copies; ++copy)
            write(content);
    }
    for (int i = 0; i < 1500; ++i) { // equal size, different first block
        const std::size_t size = anySize();
        write(randomBytes(size));
        write(randomBytes(size));
    }
    for (int i = 0; i < 1500; ++i) { // equal but for the last bytes
        std::string content = randomBytes(anySize());
        write(content);
        content.back() ^= 1;
        write(content);
    }
}

const std::string& treePath() {
    return twinsift::bench::benchTree("engine", fillTree);
}

// The sorted candidates of the tree, each file once, as a scan leaves them.
const CandidateStore& candidates() {
    static const CandidateStore store = [] {
        CandidateStore collected;
        std::unordered_set<FileIdentity, FileIdentityHash> seen;
        cScanPath walker;
        walker.MinimumSize = 1;
        walker.Hidden = true;
        walker.FileMatchEx = [&](const EntryDetails& d) {
            if (seen.insert(d.Identity).second)
                collected.records.push_back({d.Size,
                                             std::string(d.Name),
                                             collected.folderIndex(d.Folder),
                                             d.LastWrite,
                                             {d.Identity, d.ChangeTime}});
        };
        walker.StartScan(treePath(), true);
        sortCandidates(collected, RecordOrder::SizeFirst);
        return collected;
    }();
    return store;
}

void runSearch(benchmark::State& state, Engine engine, bool fuzzy) {
    bench::NoQuestions ui;
    std::int64_t duplicates = 0;
    for (auto _ : state) {
        state.PauseTiming();
        WindowModel model;
        model.engine = engine;
        model.chkFuzzy.checked = fuzzy;
        model.Candidates = candidates();
        WorkerPool pool(static_cast<unsigned>(state.range(0)));
        state.ResumeTiming();
        FindDuplicates(model, ui, pool);
        duplicates = model.DuplicateCount;
    }
    state.counters["candidates"] = static_cast<double>(candidates().size());
    state.counters["duplicates"] = static_cast<double>(duplicates);
}

void BM_FindDuplicatesExact(benchmark::State& state) {
    runSearch(state, Engine::ByteByByte, false);
}
void BM_FindDuplicatesCrc(benchmark::State& state) {
    runSearch(state, Engine::Crc32, false);
}
void BM_FindDuplicatesFuzzy(benchmark::State& state) {
    runSearch(state, Engine::ByteByByte, true);
}
BENCHMARK(BM_FindDuplicatesExact)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FindDuplicatesCrc)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FindDuplicatesFuzzy)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
