#pragma once

#include "core/walked_file.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace twinsift {

class WorkerPool;

// Groups the files of one run of equal size (`files`, all of `size` bytes, in
// candidate order) by the tolerant rule: two files match when at least half of
// their full 1000-byte blocks are equal, or else when their final partial
// blocks are equal and at least half of all blocks, that final block counted
// as one more, are equal. A final partial block never decides alone: one full
// block at least must be equal too; an empty one is no block. Files under 1000 bytes match nothing,
// and so do files that are missing, unreadable, not the file the walk saw as it was
// (openWalkedFile), or written while they were read.
//
// The rule is not transitive, so the groups are those of the pairwise loop:
// the earliest remaining file j takes every later remaining file that matches
// j, those leave the run, and the next remaining file is tried the same way.
// Each group lists indexes into `files`, its first file first; groups come in
// the order of their first file; unmatched files are left out.
//
// Each file is read once, on the pool; when `cancelled` turns true the groups
// completed so far are returned. `leftOut`, when given, receives the files
// that matched nothing for want of a whole reading of what the walk saw.
std::vector<std::vector<std::size_t>> fuzzyGroups(const std::vector<WalkedFile>& files,
                                                  std::int64_t size, WorkerPool& pool,
                                                  const std::atomic<bool>& cancelled,
                                                  std::vector<LeftOut>* leftOut = nullptr);

} // namespace twinsift

namespace twinsift::detail {

// Whether `equal` of `blocks` full blocks make the files match: their share
// in percent, rounded to four decimals, is at least 50.
bool enoughEqualBlocks(std::int64_t blocks, std::int64_t equal);

// The smallest count of equal blocks for which enoughEqualBlocks holds.
std::int64_t equalBlocksNeeded(std::int64_t blocks);

} // namespace twinsift::detail
