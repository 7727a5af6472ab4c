#pragma once

#include "core/posix_file.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace twinsift {

// Which file a path reaches: two paths with the same identity are one file
// (hard links, bind mounts, overlapping search paths).
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

struct FileIdentityHash {
    std::size_t operator()(const FileIdentity& id) const noexcept {
        return std::hash<std::uint64_t>{}(id.inode * 0x9E3779B97F4A7C15ULL ^ id.device);
    }
};

// A file time as the system gives it, in nanoseconds since the epoch.
inline std::int64_t nanosecondsOf(std::int64_t seconds, std::int64_t nanoseconds) {
    return seconds * 1'000'000'000 + nanoseconds;
}

// What the walk saw of a file besides its name and size. A path may lead to
// another file by the time the file is read (a folder swapped for a link, a
// file replaced), and the status change time moves with every write,
// truncation or time change, so together they tell whether the file read is
// the file the walk listed, as it was.
struct FileSeen {
    FileIdentity identity;
    std::int64_t changeTime = 0; // nanoseconds since the epoch

    friend bool operator==(const FileSeen&, const FileSeen&) = default;
};

// A file to compare: where the walk found it and what it saw there.
struct WalkedFile {
    std::string path;
    FileSeen seen;
};

// What fstat tells of an open file that a change to it would move.
struct FileStamp {
    FileSeen seen;
    std::int64_t size = 0;
    std::int64_t modifyTime = 0; // nanoseconds since the epoch

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The errno that stands for a path that reaches another file than the walk
// saw there, or the same file changed.
inline constexpr int kChangedFile = 0;

// A file a comparison left out, as an index into its list, and why: an errno
// or kChangedFile.
struct LeftOut {
    std::size_t file = 0;
    int error = kChangedFile;

    friend bool operator==(const LeftOut&, const LeftOut&) = default;
};

// The reason shown for a left-out file in the account of skipped items;
// empty for a file that is gone, which leaves nothing to miss.
std::string leftOutReason(int error);

// Opens `file` for reading when its path still reaches the regular file of
// `size` bytes that the walk saw, unchanged since. The final name is not
// followed as a link, a name that turned into a FIFO is not waited on, and
// a path that now leads to a device is not opened. Not valid otherwise, and
// errno then says why (kChangedFile included); `stamp` gets what fstat told
// at the opening.
UniqueFd openWalkedFile(const WalkedFile& file, std::int64_t size, FileStamp& stamp);

// Whether the open file still shows `stamp`. Asked after the last read of a
// file, it tells whether the file was written while it was being read.
bool stillStamped(int fd, const FileStamp& stamp);

// What lstat tells of `path` when it is still the regular file of `size`
// bytes that the walk saw, unchanged since; nothing when not, and errno then
// says why (kChangedFile included).
std::optional<FileStamp> stillWalkedFile(const std::string& path, const FileSeen& seen,
                                         std::int64_t size);

namespace detail {

// Run after every read of a file under comparison, on the thread that read
// it, with the file's path: tests change files there, at the moments a real
// change could meet a running comparison.
inline std::function<void(const std::string& path)> afterComparisonRead;

inline void noteComparisonRead(const std::string& path) {
    if (afterComparisonRead)
        afterComparisonRead(path);
}

} // namespace detail

} // namespace twinsift
