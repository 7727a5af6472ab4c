#include "core/walked_file.h"

#include <fcntl.h>
#include <sys/stat.h>

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
    return S_ISREG(status.st_mode) && stamp.seen == seen && stamp.size == size;
}

} // namespace

UniqueFd openWalkedFile(const WalkedFile& file, std::int64_t size, FileStamp& stamp) {
    // Looked at before it is opened: a folder swapped for a link may lead to
    // a device, which an opening alone can set going. The fstat after the
    // opening settles which file was opened.
    if (!stillWalkedFile(file.path, file.seen, size))
        return UniqueFd();
    UniqueFd fd(
        ::open(file.path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW));
    struct stat status {};
    if (!fd.valid() || ::fstat(fd.get(), &status) != 0 || !isWalkedFile(status, file.seen, size))
        return UniqueFd();
    stamp = stampOf(status);
    return fd;
}

bool stillStamped(int fd, const FileStamp& stamp) {
    struct stat status {};
    return ::fstat(fd, &status) == 0 && stampOf(status) == stamp;
}

bool stillWalkedFile(const std::string& path, const FileSeen& seen, std::int64_t size) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && isWalkedFile(status, seen, size);
}

} // namespace twinsift
