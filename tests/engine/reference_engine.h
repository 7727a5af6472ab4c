#pragma once

// A deliberately plain duplicate search for tests: the pairwise loop over
// each run of equal sizes, comparing two whole files at a time with
// 1000-byte blocks. The fast engines must give exactly what it gives.

#include "core/format.h"
#include "core/window_model.h"
#include "engine/find_duplicates.h"
#include "engine/worker_pool.h"
#include "support/scripted_answerer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace twinsift::test::reference {

inline constexpr std::size_t kBlock = 1000;

inline std::optional<std::string> contentOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The share of equal blocks in percent, rounded to four decimals, is at least 50.
inline bool atLeastHalf(std::size_t blocks, std::size_t same) {
    const double percent =
        std::round(100.0 / static_cast<double>(blocks) * static_cast<double>(same) * 1e4) / 1e4;
    return percent >= 50;
}

// A file that cannot be read matches nothing; the CRC matches what is equal.
inline bool filesMatch(const WindowModel& model, const std::string& pathA,
                       const std::string& pathB) {
    const std::optional<std::string> a = contentOf(pathA), b = contentOf(pathB);
    if (!a || !b || a->size() != b->size())
        return false;
    if (model.engine != Engine::ByteByByte || !model.chkFuzzy.checked)
        return *a == *b;
    const std::size_t blocks = a->size() / kBlock;
    std::size_t same = 0;
    for (std::size_t at = 0; at < blocks * kBlock; at += kBlock)
        same += a->compare(at, kBlock, *b, at, kBlock) == 0 ? 1 : 0;
    if (blocks == 0 || atLeastHalf(blocks, same))
        return blocks > 0;
    // The final partial block counts as one more block, and never alone.
    const std::size_t tail = blocks * kBlock;
    return tail < a->size() && a->compare(tail, kBlock, *b, tail, kBlock) == 0 && same >= 1 &&
           atLeastHalf(blocks + 1, same + 1);
}

// One listed file with everything the listing takes from it.
struct Element {
    std::string size, name, folder;
    std::int64_t shade = 0;
    std::string time;
    bool operator==(const Element&) const = default;
};

inline void PrintTo(const Element& e, std::ostream* out) {
    *out << e.folder << e.name << " [" << e.size << ", shade " << e.shade << ", " << e.time << "]";
}

inline Element elementOf(const CandidateStore& store, const FileRecord& file, std::int64_t shade) {
    return {zeroPadded(file.size, 12), file.name, store.folderOf(file), shade,
            fileTimeText(file.lastWrite)};
}

// What an engine listed in DuplicateGroups, read through the candidates.
inline std::vector<Element> elementsOf(const WindowModel& model) {
    std::vector<Element> elements;
    const CandidateStore& store = model.Candidates;
    for (const DuplicateEntry& entry : model.DuplicateGroups)
        elements.push_back(elementOf(store, store.records.at(entry.record), entry.shade));
    return elements;
}

inline void appendElement(WindowModel& model, const FileRecord& file,
                          std::vector<Element>& listed) {
    listed.push_back(elementOf(model.Candidates, file, model.GroupShade));
}

inline void CompareGroup(WindowModel& model, std::vector<FileRecord> group,
                         std::vector<Element>& listed) {
    const CandidateStore& store = model.Candidates;
    for (std::size_t i = 0; i + 1 < group.size();) {
        if (store.pathOf(group[i + 1]) == store.pathOf(group[i])) {
            group.erase(group.begin() + std::ptrdiff_t(i + 1));
            --model.FilesFound;
        } else {
            ++i;
        }
    }
    for (std::size_t j = 0; j < group.size(); ++j) {
        bool started = false;
        for (std::size_t k = j + 1; k < group.size();) {
            if (!filesMatch(model, store.pathOf(group[j]), store.pathOf(group[k]))) {
                ++k;
                continue;
            }
            if (!started) {
                model.GroupShade = model.GroupShade == 1 ? 2 : 1;
                appendElement(model, group[j], listed);
                started = true;
            }
            ++model.DuplicateCount;
            model.DuplicateBytes += group[k].size;
            appendElement(model, group[k], listed);
            group.erase(group.begin() + std::ptrdiff_t(k));
        }
    }
}

inline std::vector<Element> FindDuplicates(WindowModel& model) {
    std::vector<Element> listed;
    std::vector<FileRecord>& records = model.Candidates.records;
    std::size_t i = 0;
    while (i + 1 < records.size()) {
        if (records[i].size == records[i + 1].size) {
            const std::int64_t key = records[i].size;
            std::vector<FileRecord> group;
            while (i < records.size() && records[i].size == key)
                group.push_back(records[i++]);
            CompareGroup(model, std::move(group), listed);
        } else {
            records.erase(records.begin() + std::ptrdiff_t(i));
        }
    }
    return listed;
}

// A comparison as the window sets it: the engine and the tolerant switch.
struct Mode {
    Engine engine;
    bool fuzzy;
};

inline std::string nameOf(const ::testing::TestParamInfo<Mode>& info) {
    if (info.param.engine == Engine::Crc32)
        return "Crc";
    return info.param.fuzzy ? "Fuzzy" : "Exact";
}

// Runs the fast search and the pairwise loop on the same candidates and
// expects the same listing and totals; gives the number of elements listed.
inline std::int32_t expectSameAsPairwiseLoop(const CandidateStore& store, std::int32_t found,
                                             Engine engine, bool fuzzy) {
    WindowModel fast;
    WindowModel literal;
    for (WindowModel* model : {&fast, &literal}) {
        model->engine = engine;
        model->chkFuzzy.checked = fuzzy;
        model->Candidates = store;
        model->FilesFound = found;
    }
    ScriptedAnswerer user;
    WorkerPool pool(2);
    twinsift::FindDuplicates(fast, user, pool);
    const std::vector<Element> listed = FindDuplicates(literal);

    EXPECT_EQ(elementsOf(fast), listed);
    EXPECT_EQ(fast.DuplicateCount, literal.DuplicateCount);
    EXPECT_EQ(fast.DuplicateBytes, literal.DuplicateBytes);
    EXPECT_EQ(fast.FilesFound, literal.FilesFound);
    EXPECT_EQ(fast.GroupShade, literal.GroupShade);
    return static_cast<std::int32_t>(listed.size());
}

} // namespace twinsift::test::reference
