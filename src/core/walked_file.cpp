#include "core/walked_file.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace twinsift {
namespace {

std::int64_t nanoseconds(const struct timespec& time) {
    return nanosecondsOf(time.tv_sec, time.tv_nsec);
}

FileStamp stampOf(const struct stat& status) {
    return {{{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)},
             nanoseconds(status.st_ctim)},
            static_cast<std::int64_t>(status.st_size),
            nanoseconds(status.st_mtim)};
}

bool isWalkedFile(const struct stat& status, const FileSeen& seen, std::int64_t size) {
    const FileStamp stamp = stampOf(status);
    if (S_ISREG(status.st_mode) && stamp.seen == seen && stamp.size == size)
        return true;
    errno = kChangedFile;
    return false;
}

constexpr int kReadFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW;

// Opens `path` when no part of it is a symbolic link; fails with ELOOP when
// one is, and with ENOSYS on kernels that cannot tell.
int openWithoutLinks(const std::string& path) {
    open_how how{};
    how.flags = kReadFlags;
    how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    return static_cast<int>(::syscall(SYS_openat2, AT_FDCWD, path.c_str(), &how, sizeof how));
}

} // namespace

std::string leftOutReason(int error) {
    if (error == ENOENT)
        return {};
    return error == kChangedFile ? "changed during the search" : std::strerror(error);
}

UniqueFd openWalkedFile(const WalkedFile& file, std::int64_t size, FileStamp& stamp) {
    UniqueFd fd(openWithoutLinks(file.path));
    // A link on the way is one the user's own search path holds, or a folder
    // swapped for a link since the walk, which may lead to a device that an
    // opening alone sets going: such a path is looked at before it is opened.
    if (!fd.valid() && (errno == ELOOP || errno == ENOSYS) &&
        stillWalkedFile(file.path, file.seen, size))
        fd.reset(::open(file.path.c_str(), kReadFlags));
    // Whatever the path, this settles which file was opened.
    struct stat status {};
    if (!fd.valid() || ::fstat(fd.get(), &status) != 0 || !isWalkedFile(status, file.seen, size)) {
        const int error = errno;
        fd.reset();
        errno = error;
        return fd;
    }
    stamp = stampOf(status);
    return fd;
}

bool stillStamped(int fd, const FileStamp& stamp) {
    struct stat status {};
    return ::fstat(fd, &status) == 0 && stampOf(status) == stamp;
}

std::optional<FileStamp> stillWalkedFile(const std::string& path, const FileSeen& seen,
                                         std::int64_t size) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !isWalkedFile(status, seen, size))
        return std::nullopt;
    return stampOf(status);
}

} // namespace twinsift
