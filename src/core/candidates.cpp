#include "core/candidates.h"

#include "core/format.h"
#include "core/text_compare.h"

#include <algorithm>

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

} // namespace twinsift
