#include "engine/fuzzy_engine.h"

#include "core/posix_file.h"
#include "engine/worker_pool.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <optional>

namespace twinsift {
namespace {

constexpr std::int64_t kBlockSize = 1000;
// Blocks hashed per read call.
constexpr std::int64_t kBlocksPerRead = 256;
// Comparisons of fewer digests than this take well under a millisecond and
// run on the calling thread rather than waking the pool.
constexpr std::size_t kBlocksWorthThePool = 1 << 20;

struct EqualBlocksNeeded {
    std::int64_t fullBlocks = 0;     // of the full blocks alone
    std::int64_t withFinalBlock = 0; // of the full blocks and the final partial block
};

struct BlockDigest {
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    bool operator==(const BlockDigest&) const = default;
};

// What the tolerant rule needs of one file: a 128-bit digest of each full
// block and the bytes of the final partial block. An unreadable file, one
// that is not the file the walk saw or one written while it was read has
// readable = false, and error says why unless a cancel cut it short.
struct FileDigests {
    bool readable = false;
    std::optional<int> error;
    std::vector<BlockDigest> blocks;
    std::string tail;

    static FileDigests leftOut(int error) { return {false, error, {}, {}}; }
};

std::size_t blocksInNextRead(std::int64_t blocksLeft) {
    return static_cast<std::size_t>(std::min(blocksLeft, kBlocksPerRead));
}

FileDigests digestFile(const WalkedFile& walked, std::int64_t size,
                       const std::atomic<bool>& cancelled) {
    FileDigests digests;
    FileStamp stamp;
    const UniqueFd file = openWalkedFile(walked, size, stamp);
    if (!file.valid())
        return FileDigests::leftOut(errno);
    ::posix_fadvise(file.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    std::uint64_t offset = 0;

    std::int64_t blocksLeft = size / kBlockSize;
    digests.blocks.reserve(static_cast<std::size_t>(blocksLeft));
    std::vector<char> buffer(blocksInNextRead(blocksLeft) * kBlockSize);
    while (blocksLeft > 0) {
        if (cancelled)
            return {};
        const std::size_t blocks = blocksInNextRead(blocksLeft);
        const bool complete = readFullyAt(file.get(), offset, buffer.data(), blocks * kBlockSize);
        const int error = errno;
        detail::noteComparisonRead(walked.path);
        if (!complete)
            return FileDigests::leftOut(error);
        offset += blocks * kBlockSize;
        for (std::size_t b = 0; b < blocks; ++b) {
            const XXH128_hash_t hash = XXH3_128bits(buffer.data() + b * kBlockSize, kBlockSize);
            digests.blocks.push_back({hash.low64, hash.high64});
        }
        blocksLeft -= static_cast<std::int64_t>(blocks);
    }
    digests.tail.resize(static_cast<std::size_t>(size % kBlockSize));
    const bool complete = readFullyAt(file.get(), offset, digests.tail.data(), digests.tail.size());
    const int error = errno;
    detail::noteComparisonRead(walked.path);
    if (!complete)
        return FileDigests::leftOut(error);
    // Digests taken across a write describe no state the file ever had.
    if (!stillStamped(file.get(), stamp))
        return FileDigests::leftOut(kChangedFile);
    digests.readable = true;
    return digests;
}

// The equal full blocks needed for a match: half of them, or, when the final
// partial blocks are equal, half of all blocks counting that final block as
// one more. Counting stops as soon as the outcome is settled.
bool fuzzyMatch(const FileDigests& a, const FileDigests& b, const EqualBlocksNeeded& needed) {
    const bool tailsCount = !a.tail.empty() && a.tail == b.tail;
    // One equal full block at least, or the final block would decide alone.
    const std::int64_t equalNeeded =
        tailsCount
            ? std::max<std::int64_t>(1, std::min(needed.fullBlocks, needed.withFinalBlock - 1))
            : needed.fullBlocks;
    const std::size_t blocks = a.blocks.size();
    std::int64_t equal = 0;
    for (std::size_t i = 0; i < blocks; ++i) {
        if (a.blocks[i] == b.blocks[i] && ++equal >= equalNeeded)
            return true;
        if (equal + static_cast<std::int64_t>(blocks - i - 1) < equalNeeded)
            return false;
    }
    return equal >= equalNeeded;
}

} // namespace

namespace detail {

bool enoughEqualBlocks(std::int64_t blocks, std::int64_t equal) {
    const double percent = 100.0 / static_cast<double>(blocks) * static_cast<double>(equal);
    return std::round(percent * 10000.0) / 10000.0 >= 50.0;
}

std::int64_t equalBlocksNeeded(std::int64_t blocks) {
    std::int64_t needed = blocks / 2;
    while (needed > 0 && enoughEqualBlocks(blocks, needed - 1))
        --needed;
    while (!enoughEqualBlocks(blocks, needed))
        ++needed;
    return needed;
}

} // namespace detail

std::vector<std::vector<std::size_t>> fuzzyGroups(const std::vector<WalkedFile>& files,
                                                  std::int64_t size, WorkerPool& pool,
                                                  const std::atomic<bool>& cancelled,
                                                  std::vector<LeftOut>* leftOut) {
    std::vector<std::vector<std::size_t>> groups;
    if (size < kBlockSize || files.size() < 2)
        return groups;

    std::vector<FileDigests> digests(files.size());
    if (!pool.forEach(files.size(),
                      [&](std::size_t i) { digests[i] = digestFile(files[i], size, cancelled); }) ||
        cancelled)
        return groups;

    std::vector<std::size_t> remaining;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (digests[i].readable)
            remaining.push_back(i);
        else if (leftOut && digests[i].error)
            leftOut->push_back({i, *digests[i].error});
    }

    const std::int64_t fullBlocks = size / kBlockSize;
    const EqualBlocksNeeded equalNeeded{detail::equalBlocksNeeded(fullBlocks),
                                        detail::equalBlocksNeeded(fullBlocks + 1)};
    std::vector<char> matches;
    while (remaining.size() > 1) {
        const FileDigests& first = digests[remaining.front()];
        matches.assign(remaining.size(), 0);
        const auto compareWithFirst = [&](std::size_t k) {
            matches[k + 1] =
                static_cast<char>(fuzzyMatch(first, digests[remaining[k + 1]], equalNeeded));
        };
        const std::size_t pairs = remaining.size() - 1;
        if (pairs * first.blocks.size() < kBlocksWorthThePool) {
            for (std::size_t k = 0; k < pairs; ++k)
                compareWithFirst(k);
        } else if (!pool.forEach(pairs, compareWithFirst)) {
            break;
        }
        if (cancelled)
            break;

        std::vector<std::size_t> group{remaining.front()};
        std::vector<std::size_t> unmatched;
        for (std::size_t k = 1; k < remaining.size(); ++k)
            (matches[k] ? group : unmatched).push_back(remaining[k]);
        if (group.size() > 1)
            groups.push_back(std::move(group));
        remaining = std::move(unmatched);
    }
    return groups;
}

} // namespace twinsift
