#pragma once

#include "core/walked_file.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace twinsift {

// One accepted file of a scan. Its folder text lives once in the store's
// folder table, so a file costs its own name and a few numbers.
struct FileRecord {
    std::int64_t size = 0;
    std::string name;          // the name as listed, without folder
    std::uint32_t folder = 0;  // index into CandidateStore::folders
    std::time_t lastWrite = 0; // to the minute
    FileSeen seen;
};

// The order of the records, which fixes which files an engine sees side by
// side: equal sizes together, or (same-name engine) equal names together.
enum class RecordOrder { SizeFirst, NameFirst };

// The files of a scan in the order the engines read them.
struct CandidateStore {
    std::vector<std::string> folders; // each ends in "/"
    std::vector<FileRecord> records;

    // The index of `folder` in the table. The walker reports a folder's files
    // one after another, so only the last folder added is looked at.
    std::uint32_t folderIndex(std::string_view folder);

    const std::string& folderOf(const FileRecord& record) const { return folders[record.folder]; }
    std::string pathOf(const FileRecord& record) const { return folderOf(record) + record.name; }
    WalkedFile walkedFile(const FileRecord& record) const { return {pathOf(record), record.seen}; }

    std::size_t size() const { return records.size(); }
    bool empty() const { return records.empty(); }
    // Empties the store and gives its memory back.
    void clear();
};

// -1, 0 or +1: the fields in record order, sizes as numbers, the name, the
// folder and the last-write time text each compared case-insensitively
// (compareText). SizeFirst: size, name, folder, time; NameFirst: name, size,
// folder, time.
int compareRecords(const CandidateStore& store, const FileRecord& a, const FileRecord& b,
                   RecordOrder order);

// Sorts the records ascending by compareRecords.
void sortCandidates(CandidateStore& store, RecordOrder order);

// Leaves out every record of a file already recorded under another path
// (hard link, bind mount, folder reached twice), keeping the first; gives
// the number left out.
std::size_t dropFilesMetTwice(CandidateStore& store);

} // namespace twinsift
