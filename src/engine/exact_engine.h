#pragma once

#include "core/walked_file.h"

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

// The groups of byte-for-byte identical files among `walked`, all seen by the
// walk at `size` bytes. Every member of a group has been compared byte by
// byte with the group's first file; a file is read only as long as another
// file may still match it, and at most once. A file matches nothing when it
// cannot be opened or read, when its path no longer reaches the file the walk
// saw as it was (openWalkedFile), or when it changed while it was compared.
// Nothing (not an empty list) when `cancelled` turned true before the end.
// `leftOut`, when given, receives the files that matched nothing for want of
// a whole reading of what the walk saw, and why.
std::optional<FileGroups> identicalFiles(const std::vector<WalkedFile>& walked, std::int64_t size,
                                         const std::atomic<bool>& cancelled,
                                         std::vector<LeftOut>* leftOut = nullptr);

// The CRC-32 (zlib) of the whole file; nothing when it cannot be read, is not
// the file of `size` bytes the walk saw or changed while it was read, or when
// `cancelled` turned true.
std::optional<std::uint32_t> fileCrc(const WalkedFile& walked, std::int64_t size,
                                     const std::atomic<bool>& cancelled);

// The groups of files with equal CRC-32 among `walked` (each file read once);
// files without a CRC match nothing and go to `leftOut` as identicalFiles
// says. Nothing when `cancelled` turned true.
std::optional<FileGroups> equalCrcFiles(const std::vector<WalkedFile>& walked, std::int64_t size,
                                        const std::atomic<bool>& cancelled,
                                        std::vector<LeftOut>* leftOut = nullptr);

} // namespace twinsift
