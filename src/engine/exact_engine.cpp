#include "engine/exact_engine.h"

#include "core/posix_file.h"

#define XXH_INLINE_ALL
#include <xxhash.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <utility>

namespace twinsift {
namespace {

// The first block is small, so that files differing early cost one small
// read; later blocks double up to kMaxBlock.
constexpr std::size_t kFirstBlock = std::size_t{16} * 1024;
constexpr std::size_t kMaxBlock = std::size_t{256} * 1024;
// Bytes of one step's distinct blocks kept in memory. Past it a new content
// keeps only its digest, and its first file's block is read again when
// another file's block has the same digest.
constexpr std::size_t kStepBudget = std::size_t{8} * 1024 * 1024;
// A set of at most this many files keeps its files open from one block to
// the next; a larger one opens each file for each block, which bounds the
// descriptors a huge run of equal-size files needs.
constexpr std::size_t kKeptOpen = 64;

std::size_t blockLength(std::int64_t offset, std::int64_t size) {
    const std::int64_t wanted =
        offset == 0 ? std::int64_t{kFirstBlock} : std::min<std::int64_t>(offset, kMaxBlock);
    return static_cast<std::size_t>(std::min(wanted, size - offset));
}

// The files of one run, opened when read and closed when no longer needed.
// Each opening checks that the path still reaches the file the walk saw, and
// each file keeps what fstat told at its first opening, so that a file
// written while it is compared is found out afterwards.
class RunFiles {
public:
    RunFiles(const std::vector<WalkedFile>& files, std::int64_t size)
        : m_files(files), m_size(size), m_descriptors(files.size()), m_stamps(files.size()),
          m_stamped(files.size(), 0), m_errors(files.size(), kNotLeftOut) {}

    // Reads `length` bytes at `offset` of file `i`; false (and the file is
    // closed) when it cannot be read whole or is not what the walk saw.
    bool read(std::size_t i, std::int64_t offset, char* buffer, std::size_t length, bool keepOpen) {
        if (!m_descriptors[i].valid() && !open(i))
            return false;
        const bool complete =
            readFullyAt(m_descriptors[i].get(), static_cast<std::uint64_t>(offset), buffer, length);
        if (!complete)
            leaveOut(i, errno);
        detail::noteComparisonRead(m_files[i].path);
        if (!complete || !keepOpen)
            close(i);
        return complete;
    }

    // Whether file `i` still shows what it showed when it was first opened;
    // asked after its last read, so that nothing written meanwhile counts.
    bool unchanged(std::size_t i) {
        if (!m_stamped[i])
            return false;
        bool same = false;
        if (m_descriptors[i].valid()) {
            same = stillStamped(m_descriptors[i].get(), m_stamps[i]);
            if (!same)
                leaveOut(i, kChangedFile);
        } else {
            same = open(i);
            close(i);
        }
        return same;
    }

    // The files that matched nothing because they could not be read or were
    // not, or no longer, what the walk saw.
    std::vector<LeftOut> leftOut() const {
        std::vector<LeftOut> files;
        for (std::size_t i = 0; i < m_errors.size(); ++i)
            if (m_errors[i] != kNotLeftOut)
                files.push_back({i, m_errors[i]});
        return files;
    }

    // Where file `i` has data again at or after `offset`: `offset` itself
    // unless the file is open and the system knows of a hole there; the
    // file's end when only a hole follows.
    std::int64_t nextData(std::size_t i, std::int64_t offset) const {
        if (!m_descriptors[i].valid())
            return offset;
        const int fd = m_descriptors[i].get();
        const off_t data = ::lseek(fd, offset, SEEK_DATA);
        if (data >= 0)
            return data;
        // The system says the same of a hole to the end and of an offset past
        // the end of a file that has shrunk: only the first may be skipped.
        struct stat status {};
        const bool holeToEnd =
            errno == ENXIO && ::fstat(fd, &status) == 0 && status.st_size == m_size;
        return holeToEnd ? m_size : offset;
    }

    void close(std::size_t i) { m_descriptors[i].reset(); }

private:
    // A file opened again must show what it showed the first time.
    bool open(std::size_t i) {
        FileStamp stamp;
        m_descriptors[i] = openWalkedFile(m_files[i], m_size, stamp);
        if (!m_descriptors[i].valid()) {
            leaveOut(i, errno);
            return false;
        }
        if (!m_stamped[i]) {
            m_stamps[i] = stamp;
            m_stamped[i] = 1;
        } else if (stamp != m_stamps[i]) {
            close(i);
            leaveOut(i, kChangedFile);
            return false;
        }
        if (m_size > std::int64_t{kFirstBlock})
            ::posix_fadvise(m_descriptors[i].get(), 0, 0, POSIX_FADV_SEQUENTIAL);
        return true;
    }

    // The first reason counts: what follows from it says less.
    void leaveOut(std::size_t i, int error) {
        if (m_errors[i] == kNotLeftOut)
            m_errors[i] = error;
    }

    static constexpr int kNotLeftOut = -1;

    const std::vector<WalkedFile>& m_files;
    std::int64_t m_size;
    std::vector<UniqueFd> m_descriptors;
    std::vector<FileStamp> m_stamps;
    std::vector<char> m_stamped;
    std::vector<int> m_errors;
};

// Buffers handed back after a step, so that blocks of the next step reuse them.
class BufferStock {
public:
    std::vector<char> take(std::size_t length) {
        std::vector<char> buffer;
        if (!m_spare.empty()) {
            buffer = std::move(m_spare.back());
            m_spare.pop_back();
        }
        buffer.resize(length);
        return buffer;
    }
    void giveBack(std::vector<char> buffer) {
        if (buffer.capacity() > 0)
            m_spare.push_back(std::move(buffer));
    }

private:
    std::vector<std::vector<char>> m_spare;
};

// Files known to be equal up to `offset`.
struct EqualSoFar {
    std::vector<std::size_t> members;
    std::int64_t offset = 0;
};

// One distinct block content of a step and the files that have it.
struct Part {
    std::uint64_t digest = 0;
    std::vector<char> bytes; // the first member's block; empty past the step's budget
    std::vector<std::size_t> members;
};

// Splits a set of files that are equal so far by the content of their next block.
class BlockSplit {
public:
    BlockSplit(RunFiles& files, const EqualSoFar& set, std::size_t length, BufferStock& stock)
        : m_files(files), m_set(set), m_length(length), m_stock(stock),
          m_keepOpen(set.members.size() <= kKeptOpen) {}

    // The digest only narrows the search: a file joins a part when its block
    // equals the part's first block byte for byte.
    std::vector<Part> run() {
        std::vector<char> block = m_stock.take(m_length);
        for (const std::size_t file : m_set.members) {
            if (!read(file, block))
                continue;
            const std::uint64_t digest = XXH3_64bits(block.data(), m_length);
            if (Part* part = partWith(digest, block))
                part->members.push_back(file);
            else
                addPart(digest, block, file);
        }
        m_stock.giveBack(std::move(block));
        m_stock.giveBack(std::move(m_reread));
        return std::move(m_parts);
    }

private:
    bool read(std::size_t file, std::vector<char>& into) {
        return m_files.read(file, m_set.offset, into.data(), m_length, m_keepOpen);
    }

    Part* partWith(std::uint64_t digest, const std::vector<char>& block) {
        auto [candidate, end] = m_partsByDigest.equal_range(digest);
        for (; candidate != end; ++candidate) {
            Part& part = m_parts[candidate->second];
            const char* first = firstBlockOf(part);
            if (first && std::memcmp(first, block.data(), m_length) == 0)
                return &part;
        }
        return nullptr;
    }

    const char* firstBlockOf(Part& part) {
        if (!part.bytes.empty())
            return part.bytes.data();
        if (m_reread.empty())
            m_reread = m_stock.take(m_length);
        // A first file that cannot be read again, or was written since, now
        // matches nothing more: its block may no longer be the one it had.
        const std::size_t first = part.members.front();
        return read(first, m_reread) && m_files.unchanged(first) ? m_reread.data() : nullptr;
    }

    void addPart(std::uint64_t digest, std::vector<char>& block, std::size_t file) {
        m_partsByDigest.emplace(digest, m_parts.size());
        Part part{digest, {}, {file}};
        if (m_kept + m_length <= kStepBudget) {
            part.bytes = std::exchange(block, m_stock.take(m_length));
            m_kept += m_length;
        }
        m_parts.push_back(std::move(part));
    }

    RunFiles& m_files;
    const EqualSoFar& m_set;
    const std::size_t m_length;
    BufferStock& m_stock;
    const bool m_keepOpen;
    std::vector<Part> m_parts;
    std::unordered_multimap<std::uint64_t, std::size_t> m_partsByDigest;
    std::size_t m_kept = 0;
    std::vector<char> m_reread;
};

// Holes read as zeros, so a stretch that is a hole in every file of the set
// is equal without being read: sparse images cost only their data.
std::int64_t pastCommonHoles(const RunFiles& files, const EqualSoFar& set) {
    std::int64_t next = std::numeric_limits<std::int64_t>::max();
    for (const std::size_t file : set.members)
        next = std::min(next, files.nextData(file, set.offset));
    return next;
}

// The members of a set compared to its end that nothing wrote to meanwhile;
// their files are closed. The others may have been read half before and half
// after a change, so they match nothing.
std::vector<std::size_t> unchangedMembers(RunFiles& files, const EqualSoFar& set) {
    std::vector<std::size_t> unchanged;
    for (const std::size_t file : set.members) {
        if (files.unchanged(file))
            unchanged.push_back(file);
        files.close(file);
    }
    return unchanged;
}

FileGroups inOrderOfFirstMember(FileGroups groups) {
    std::sort(groups.begin(), groups.end(),
              [](const auto& a, const auto& b) { return a.front() < b.front(); });
    return groups;
}

// The CRC-32 of file `i`, read through `block`, the file closed afterwards;
// nothing when it cannot be read whole, changed meanwhile, or `cancelled`
// turned true.
std::optional<std::uint32_t> crcOf(RunFiles& files, std::size_t i, std::int64_t size,
                                   std::vector<char>& block, const std::atomic<bool>& cancelled) {
    block.resize(static_cast<std::size_t>(std::min<std::int64_t>(size, kMaxBlock)));
    uLong crc = crc32_z(0, nullptr, 0);
    bool complete = true;
    // An empty file is still opened, so that a missing one has no CRC.
    if (size == 0)
        complete = files.read(i, 0, block.data(), 0, true);
    for (std::int64_t offset = 0; complete && offset < size && !cancelled;) {
        const auto length =
            static_cast<std::size_t>(std::min<std::int64_t>(size - offset, kMaxBlock));
        complete = files.read(i, offset, block.data(), length, true);
        crc = crc32_z(crc, reinterpret_cast<const Bytef*>(block.data()), length);
        offset += std::int64_t(length);
    }
    complete = complete && !cancelled && files.unchanged(i);
    files.close(i);
    return complete ? std::optional(static_cast<std::uint32_t>(crc)) : std::nullopt;
}

} // namespace

std::optional<FileGroups> identicalFiles(const std::vector<WalkedFile>& walked, std::int64_t size,
                                         const std::atomic<bool>& cancelled,
                                         std::vector<LeftOut>* leftOut) {
    RunFiles files(walked, size);
    BufferStock stock;
    FileGroups groups;
    std::vector<EqualSoFar> pending(1);
    for (std::size_t i = 0; i < walked.size(); ++i)
        // Empty files have no block to read, but must still be there.
        if (size > 0 || files.read(i, 0, nullptr, 0, false))
            pending.front().members.push_back(i);
    // Depth first, so that only one set's blocks are in memory at a time.
    while (!pending.empty()) {
        if (cancelled)
            return std::nullopt;
        EqualSoFar set = std::move(pending.back());
        pending.pop_back();
        if (set.members.size() < 2) {
            for (const std::size_t file : set.members)
                files.close(file);
            continue;
        }
        if (set.offset >= size) {
            if (std::vector<std::size_t> group = unchangedMembers(files, set); group.size() > 1)
                groups.push_back(std::move(group));
            continue;
        }
        if (set.offset > 0)
            set.offset = pastCommonHoles(files, set);
        if (set.offset >= size) {
            pending.push_back(std::move(set));
            continue;
        }
        const std::size_t length = blockLength(set.offset, size);
        std::vector<Part> parts = BlockSplit(files, set, length, stock).run();
        for (Part& part : parts) {
            pending.push_back({std::move(part.members), set.offset + std::int64_t(length)});
            stock.giveBack(std::move(part.bytes));
        }
    }
    if (leftOut)
        *leftOut = files.leftOut();
    return inOrderOfFirstMember(std::move(groups));
}

std::optional<std::uint32_t> fileCrc(const WalkedFile& walked, std::int64_t size,
                                     const std::atomic<bool>& cancelled) {
    const std::vector<WalkedFile> files{walked};
    RunFiles file(files, size);
    std::vector<char> block;
    return crcOf(file, 0, size, block, cancelled);
}

std::optional<FileGroups> equalCrcFiles(const std::vector<WalkedFile>& walked, std::int64_t size,
                                        const std::atomic<bool>& cancelled,
                                        std::vector<LeftOut>* leftOut) {
    RunFiles files(walked, size);
    std::vector<char> block;
    FileGroups groups;
    std::unordered_map<std::uint32_t, std::size_t> groupOfCrc;
    for (std::size_t i = 0; i < walked.size(); ++i) {
        const std::optional<std::uint32_t> crc = crcOf(files, i, size, block, cancelled);
        if (cancelled)
            return std::nullopt;
        if (!crc)
            continue;
        const auto [entry, isNew] = groupOfCrc.emplace(*crc, groups.size());
        if (isNew)
            groups.emplace_back();
        groups[entry->second].push_back(i);
    }
    std::erase_if(groups, [](const auto& group) { return group.size() < 2; });
    if (leftOut)
        *leftOut = files.leftOut();
    return groups;
}

} // namespace twinsift
