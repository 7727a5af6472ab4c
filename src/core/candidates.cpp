#include "core/candidates.h"

#include "core/format.h"
#include "core/text_compare.h"

#include <algorithm>
#include <tuple>

namespace twinsift {

std::uint32_t CandidateStore::folderIndex(std::string_view folder) {
    if (folders.empty() || folders.back() != folder)
        folders.emplace_back(folder);
    return static_cast<std::uint32_t>(folders.size() - 1);
}

void CandidateStore::clear() {
    std::vector<std::string>().swap(folders);
    std::vector<FileRecord>().swap(records);
}

namespace {

int compareSizes(const FileRecord& a, const FileRecord& b) {
    return a.size < b.size ? -1 : (a.size > b.size ? 1 : 0);
}

int compareFolderAndTime(const CandidateStore& store, const FileRecord& a, const FileRecord& b) {
    if (a.folder != b.folder)
        if (const int c = compareText(store.folderOf(a), store.folderOf(b)))
            return c;
    if (a.lastWrite == b.lastWrite)
        return 0;
    return compareText(fileTimeText(a.lastWrite), fileTimeText(b.lastWrite));
}

} // namespace

int compareRecords(const CandidateStore& store, const FileRecord& a, const FileRecord& b,
                   RecordOrder order) {
    const int first =
        order == RecordOrder::SizeFirst ? compareSizes(a, b) : compareText(a.name, b.name);
    if (first)
        return first;
    const int second =
        order == RecordOrder::SizeFirst ? compareText(a.name, b.name) : compareSizes(a, b);
    if (second)
        return second;
    return compareFolderAndTime(store, a, b);
}

void sortCandidates(CandidateStore& store, RecordOrder order) {
    std::sort(store.records.begin(), store.records.end(),
              [&](const FileRecord& a, const FileRecord& b) {
                  return compareRecords(store, a, b, order) < 0;
              });
}

// Sorted out once all records are in: a set of every file seen while walking
// would keep tens of bytes a file in the heap for the rest of the search.
std::size_t dropFilesMetTwice(CandidateStore& store) {
    struct Met {
        FileIdentity identity;
        std::uint32_t record;
    };
    std::vector<FileRecord>& records = store.records;
    std::vector<Met> met;
    met.reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i)
        met.push_back({records[i].seen.identity, static_cast<std::uint32_t>(i)});
    std::sort(met.begin(), met.end(), [](const Met& a, const Met& b) {
        return std::tie(a.identity.device, a.identity.inode, a.record) <
               std::tie(b.identity.device, b.identity.inode, b.record);
    });
    std::vector<bool> again(records.size(), false);
    for (std::size_t k = 1; k < met.size(); ++k)
        if (met[k].identity == met[k - 1].identity)
            again[met[k].record] = true;
    met = {};
    std::size_t kept = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (again[i])
            continue;
        if (kept != i)
            records[kept] = std::move(records[i]);
        ++kept;
    }
    const std::size_t dropped = records.size() - kept;
    records.resize(kept);
    return dropped;
}

} // namespace twinsift
