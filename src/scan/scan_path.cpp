#include "scan/scan_path.h"

#include "core/format.h"
#include "core/posix_file.h"
#include "scan/file_mask.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <optional>
#include <utility>

namespace twinsift {
namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

// Magic numbers (statfs f_type) of the kernel's pseudo file systems.
constexpr std::array<unsigned long, 17> kPseudoFileSystems = {
    0x9fa0,     // proc
    0x62656572, // sysfs
    0x1cd1,     // devpts
    0x27e0eb,   // cgroup
    0x63677270, // cgroup2
    0x64626720, // debugfs
    0x74726163, // tracefs
    0x73636673, // securityfs
    0x6165676C, // pstore
    0xcafe4a11, // bpf
    0x62656570, // configfs
    0x65735543, // fusectl
    0x19800202, // mqueue
    0x958458f6, // hugetlbfs
    0x42494e4d, // binfmt_misc
    0xde5e81e4, // efivarfs
    0x0187,     // autofs
};

bool isPseudoFileSystem(int fd) {
    struct statfs info {};
    if (::fstatfs(fd, &info) != 0)
        return false;
    const auto type = static_cast<unsigned long>(info.f_type);
    for (const auto magic : kPseudoFileSystems)
        if (type == magic)
            return true;
    return false;
}

bool isPseudoFileSystemAt(int dirFd, const char* name) {
    const UniqueFd fd(::openat(dirFd, name, O_PATH | O_NOFOLLOW | O_DIRECTORY | O_CLOEXEC));
    return fd.get() >= 0 && isPseudoFileSystem(fd.get());
}

constexpr unsigned kStatxMask = STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME | STATX_ATIME |
                                STATX_BTIME | STATX_CTIME | STATX_INO;

// Nothing when the entry cannot be examined; errno then says why.
std::optional<struct statx> statAt(int dirFd, const char* name, int extraFlags = 0) {
    struct statx info {};
    const int flags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_SYNC_AS_STAT | extraFlags;
    if (::statx(dirFd, name, flags, kStatxMask, &info) != 0)
        return std::nullopt;
    return info;
}

std::uint64_t deviceOf(const struct statx& info) {
    return makedev(info.stx_dev_major, info.stx_dev_minor);
}

std::time_t toMinute(std::time_t seconds) {
    const std::time_t rest = seconds % 60;
    return seconds - (rest < 0 ? rest + 60 : rest);
}

EntryDetails detailsOf(std::string_view name, std::string_view folder, const struct statx& info) {
    EntryDetails details;
    details.Name = name;
    details.Folder = folder;
    details.Size = S_ISREG(info.stx_mode) ? static_cast<std::int64_t>(info.stx_size) : 0;
    details.LastWrite = toMinute(info.stx_mtime.tv_sec);
    details.Created =
        (info.stx_mask & STATX_BTIME) ? toMinute(info.stx_btime.tv_sec) : details.LastWrite;
    details.Accessed = toMinute(info.stx_atime.tv_sec);
    details.Identity = {deviceOf(info), info.stx_ino};
    details.ChangeTime = nanosecondsOf(info.stx_ctime.tv_sec, info.stx_ctime.tv_nsec);
    return details;
}

// Opens a folder below the start folder without following a symbolic link on
// the way, so that a folder swapped for a link after it was queued cannot lead
// the walk out of the tree. Kernels without openat2 check the last component only.
int openBelow(int startFd, const std::string& relative) {
    open_how how{};
    how.flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    long fd = -1;
    // The kernel answers EAGAIN when a rename elsewhere raced the lookup.
    for (int attempt = 0; attempt < 3; ++attempt) {
        fd = ::syscall(SYS_openat2, startFd, relative.c_str(), &how, sizeof how);
        if (fd >= 0 || errno != EAGAIN)
            break;
    }
    if (fd < 0 && errno == ENOSYS)
        return ::openat(startFd, relative.c_str(), static_cast<int>(how.flags));
    return static_cast<int>(fd);
}

std::string withTrailingSlash(std::string path) {
    if (!path.ends_with('/'))
        path += '/';
    return path;
}

std::string readBack(const std::string& stored) {
    return stored.ends_with(';') ? stored.substr(0, stored.size() - 1) : stored;
}

bool isHiddenName(std::string_view name) {
    return name.starts_with('.');
}

bool isDotEntry(std::string_view name) {
    return name == "." || name == "..";
}

} // namespace

namespace detail {

// One walk: the filters prepared from the walker's properties, the queue of
// folders still to list, and the open start folder every path is resolved from.
class ScanWalk {
public:
    ScanWalk(cScanPath& walker, bool subFolders, bool usePatterns, bool raiseDetails)
        : m_walker(walker), m_subFolders(subFolders), m_usePatterns(usePatterns),
          m_raiseDetails(raiseDetails), m_mask(walker.m_filter),
          m_patterns(usePatterns ? walker.m_filter : std::string_view{}),
          m_extensionExclusions(walker.m_exFilter), m_folderExclusions(walker.m_exFolders) {}

    void run(const std::string& startPath) {
        if (startPath.empty()) {
            skip(startPath, "no path given");
            return;
        }
        m_startFolder = withTrailingSlash(startPath);
        if (!openStart())
            return;
        while (!m_queue.empty() && !m_walker.m_stopRequested) {
            const QueuedFolder next = std::move(m_queue.front());
            m_queue.pop_front();
            listFolder(next);
        }
    }

private:
    struct QueuedFolder {
        std::string relative; // below the start folder, ending in "/" (empty: the start)
        std::uint64_t device = 0;
    };

    enum class Verdict { Walk, Excluded, Protected };

    void skip(std::string_view path, std::string_view reason) const {
        if (m_walker.Skipped)
            m_walker.Skipped(path, reason);
    }
    // A folder or file that is gone was not skipped: there is nothing to miss.
    void skipFor(std::string_view path, int error) const {
        if (error != ENOENT)
            skip(path, std::strerror(error));
    }

    // Opens the start folder as given and decides whether it may be walked at
    // all. A start folder that is missing or no folder is reported, as the
    // user named it. O_NONBLOCK: a FIFO named as a folder must not stall.
    bool openStart() {
        m_startFd.reset(
            ::open(m_startFolder.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC));
        if (m_startFd.get() < 0)
            return startSkipped(std::strerror(errno));
        if (isPseudoFileSystem(m_startFd.get()))
            return startSkipped(kPseudoFileSystem);
        std::unique_ptr<char, decltype(&std::free)> real(::realpath(m_startFolder.c_str(), nullptr),
                                                         &std::free);
        if (!real)
            return startSkipped(std::strerror(errno));
        m_realStart = withTrailingSlash(real.get());
        const Verdict verdict = folderVerdict(m_startFolder, m_realStart);
        if (verdict != Verdict::Walk)
            return verdict == Verdict::Protected ? startSkipped(kProtectedFolder) : false;
        const auto info = statAt(m_startFd.get(), "", AT_EMPTY_PATH);
        if (!info)
            return startSkipped(std::strerror(errno));
        m_queue.push_back({std::string(), deviceOf(*info)});
        return true;
    }

    bool startSkipped(std::string_view reason) const {
        skip(m_startFolder, reason);
        return false;
    }

    // The excluded folders are matched against the path as the user sees it
    // and against the real one, the system folders against the real one.
    Verdict folderVerdict(const std::string& shownPath, const std::string& realPath) const {
        if (m_folderExclusions.excludes(shownPath) || m_folderExclusions.excludes(realPath))
            return Verdict::Excluded;
        if (!m_walker.System && isSystemFolder(realPath))
            return Verdict::Protected;
        return Verdict::Walk;
    }

    void listFolder(const QueuedFolder& queued) {
        const std::string folder = m_startFolder + queued.relative;
        const std::string relative =
            queued.relative.empty() ? "." : queued.relative.substr(0, queued.relative.size() - 1);
        UniqueFd fd(openBelow(m_startFd.get(), relative));
        if (fd.get() < 0)
            return skipFor(folder, errno);
        const DirHandle dir(::fdopendir(fd.get()));
        if (!dir)
            return skipFor(folder, errno);
        fd.release();
        const std::string realFolder = m_realStart + queued.relative;
        const int dirFd = ::dirfd(dir.get());
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(dir.get());
            if (!entry) {
                // The entries listed so far stand; the rest of the folder is missed.
                if (errno != 0)
                    skipFor(folder, errno);
                return;
            }
            const std::string_view name(entry->d_name);
            if (!isDotEntry(name))
                considerEntry(dirFd, *entry, queued, folder, realFolder);
            if (++m_countedEntries % 10 == 0) {
                if (m_walker.yield)
                    m_walker.yield();
                if (m_walker.m_stopRequested)
                    return;
            }
        }
    }

    void considerEntry(int dirFd, const dirent& entry, const QueuedFolder& queued,
                       const std::string& folder, const std::string& realFolder) {
        unsigned char type = entry.d_type;
        std::optional<struct statx> info;
        if (type == DT_UNKNOWN) {
            info = statAt(dirFd, entry.d_name);
            if (!info)
                return skipFor(folder + entry.d_name, errno);
            type = S_ISREG(info->stx_mode) ? DT_REG : S_ISDIR(info->stx_mode) ? DT_DIR : DT_UNKNOWN;
        }
        if (type == DT_REG)
            considerFile(dirFd, entry.d_name, folder, info);
        else if (type == DT_DIR)
            considerFolder(dirFd, entry.d_name, queued, folder, realFolder);
    }

    // The tests that need only the name run first, so that a rejected file
    // costs no stat call.
    void considerFile(int dirFd, const char* cName, const std::string& folder,
                      std::optional<struct statx> info) {
        const std::string_view name(cName);
        if (m_extensionExclusions.excludes(name))
            return;
        if (!(m_usePatterns ? m_patterns.matches(name) : m_mask.matches(name)))
            return;
        if (isHiddenName(name) && !m_walker.Hidden)
            return;
        if (!info)
            info = statAt(dirFd, cName); // the file may be gone by now
        if (!info)
            return skipFor(folder + cName, errno);
        if (!S_ISREG(info->stx_mode))
            return;
        const EntryDetails details = detailsOf(name, folder, *info);
        if (!sizeAccepted(details.Size) || !dateAccepted(details))
            return;
        ++m_walker.m_fileCount;
        if (m_raiseDetails) {
            if (m_walker.FileMatchEx)
                m_walker.FileMatchEx(details);
        } else if (m_walker.FileMatch) {
            m_walker.FileMatch(name, folder);
        }
    }

    void considerFolder(int dirFd, const char* cName, const QueuedFolder& queued,
                        const std::string& folder, const std::string& realFolder) {
        const std::string_view name(cName);
        if (isHiddenName(name) && !m_walker.Hidden)
            return;
        const auto info = statAt(dirFd, cName);
        if (!info)
            return skipFor(folder + cName, errno);
        if (!S_ISDIR(info->stx_mode))
            return;
        const Verdict verdict = folderVerdict(folder + cName, realFolder + cName);
        if (verdict == Verdict::Protected)
            skip(folder + cName + '/', kProtectedFolder);
        if (verdict != Verdict::Walk)
            return;
        const std::uint64_t device = deviceOf(*info);
        if (device != queued.device && isPseudoFileSystemAt(dirFd, cName))
            return skip(folder + cName + '/', kPseudoFileSystem);
        if (m_subFolders)
            m_queue.push_back({queued.relative + cName + '/', device});
        ++m_walker.m_dirCount;
        if (m_raiseDetails) {
            if (m_walker.DirMatchEx)
                m_walker.DirMatchEx(detailsOf(name, folder, *info));
        } else if (m_walker.DirMatch) {
            m_walker.DirMatch(name, folder);
        }
    }

    // Without bounds only empty files pass, which is how the zero-size search
    // asks for them.
    bool sizeAccepted(std::int64_t size) const {
        const bool hasMinimum = m_walker.MinimumSize > 0;
        const bool hasMaximum = m_walker.MaximumSize > 0;
        if (!hasMinimum && !hasMaximum)
            return size == 0;
        return (!hasMinimum || size >= m_walker.MinimumSize) &&
               (!hasMaximum || size <= m_walker.MaximumSize);
    }

    bool dateAccepted(const EntryDetails& details) const {
        const std::time_t stamp = m_walker.DateType == 1   ? details.Created
                                  : m_walker.DateType == 2 ? details.Accessed
                                                           : details.LastWrite;
        return (!m_walker.FromDate || stamp >= *m_walker.FromDate) &&
               (!m_walker.ToDate || stamp <= *m_walker.ToDate);
    }

    cScanPath& m_walker;
    const bool m_subFolders;
    const bool m_usePatterns;
    const bool m_raiseDetails;
    const FileMask m_mask;
    const PatternMask m_patterns;
    const ExtensionExclusions m_extensionExclusions;
    const FolderExclusions m_folderExclusions;
    std::string m_startFolder;
    std::string m_realStart;
    UniqueFd m_startFd;
    std::deque<QueuedFolder> m_queue;
    std::uint64_t m_countedEntries = 0;
};

} // namespace detail

std::string cScanPath::Filter() const {
    return readBack(m_filter);
}
void cScanPath::setFilter(std::string_view text) {
    m_filter = std::string(trimmed(text));
}
std::string cScanPath::ExFilter() const {
    return readBack(m_exFilter);
}
void cScanPath::setExFilter(std::string_view text) {
    m_exFilter = std::string(trimmed(text));
}
std::string cScanPath::exFolder() const {
    return readBack(m_exFolder);
}
void cScanPath::setExFolder(std::string_view text) {
    m_exFolder = std::string(trimmed(text));
    m_exFolders = listEntries(m_exFolder);
}
void cScanPath::setExFolders(std::vector<std::string> folders) {
    m_exFolder.clear();
    for (const std::string& folder : folders)
        m_exFolder += folder + ";";
    m_exFolders = std::move(folders);
}

void cScanPath::StartScan(const std::string& StartPath, bool SubFolders, bool UsePatterns,
                          bool RaiseDetails) {
    m_dirCount = 0;
    m_fileCount = 0;
    m_stopRequested = false;
    detail::ScanWalk(*this, SubFolders, UsePatterns, RaiseDetails).run(StartPath);
}

} // namespace twinsift
