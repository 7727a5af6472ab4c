#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace twinsift {

// Groups of files as indexes into the caller's list: each group in ascending
// order, the groups in the order of their first file. Files that match no
// other file are left out.
using FileGroups = std::vector<std::vector<std::size_t>>;

// The groups of byte-for-byte identical files among `paths`, all expected to
// be `size` bytes long. Every member of a group has been compared byte by
// byte with the group's first file; a file is read only as long as another
// file may still match it, and at most once. A file that cannot be opened or
// read, is no regular file or is no longer `size` bytes long matches nothing.
// Nothing (not an empty list) when `cancelled` turned true before the end.
std::optional<FileGroups> identicalFiles(const std::vector<std::string>& paths, std::int64_t size,
                                         const std::atomic<bool>& cancelled);

// The CRC-32 (zlib) of the whole file; nothing when it cannot be read, is no
// regular file or is not `size` bytes long, or when `cancelled` turned true.
std::optional<std::uint32_t> fileCrc(const std::string& path, std::int64_t size,
                                     const std::atomic<bool>& cancelled);

// The groups of files with equal CRC-32 among `paths` (each file read once);
// files without a CRC match nothing. Nothing when `cancelled` turned true.
std::optional<FileGroups> equalCrcFiles(const std::vector<std::string>& paths, std::int64_t size,
                                        const std::atomic<bool>& cancelled);

} // namespace twinsift
