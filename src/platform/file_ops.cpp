#include "platform/file_ops.h"

#include "core/posix_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <gio/gio.h>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace twinsift {
namespace {

// Past this many taken names the folder is not one a person fills by hand.
constexpr int maxNumberedName = 9999;
// Large enough to keep the system calls few, small enough to notice Cancel soon.
constexpr std::size_t copyChunk = std::size_t{8} << 20;
constexpr std::size_t fallbackBuffer = std::size_t{1} << 20;

std::string baseName(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

std::string joined(const std::string& folder, const std::string& name) {
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

bool sameFolder(const std::string& file, const std::string& folder) {
    struct stat fileFolder {};
    struct stat other {};
    const std::string own = file.substr(0, file.rfind('/') + 1);
    return ::stat(own.empty() ? "." : own.c_str(), &fileFolder) == 0 &&
           ::stat(folder.c_str(), &other) == 0 && fileFolder.st_dev == other.st_dev &&
           fileFolder.st_ino == other.st_ino;
}

// The /proc name of a descriptor, if /proc is there to give it.
std::optional<std::string> procName(int fd) {
    const std::string name = "/proc/self/fd/" + std::to_string(fd);
    struct stat byName {};
    struct stat byFd {};
    if (::stat(name.c_str(), &byName) != 0 || ::fstat(fd, &byFd) != 0 ||
        byName.st_dev != byFd.st_dev || byName.st_ino != byFd.st_ino)
        return std::nullopt;
    return name;
}

int errnoOf(const GError& error) {
    if (error.domain != G_IO_ERROR)
        return EIO;
    switch (error.code) {
    case G_IO_ERROR_NOT_FOUND:
        return ENOENT;
    case G_IO_ERROR_PERMISSION_DENIED:
        return EACCES;
    case G_IO_ERROR_NO_SPACE:
        return ENOSPC;
    case G_IO_ERROR_NOT_SUPPORTED:
        return EOPNOTSUPP;
    default:
        return EIO;
    }
}

// One copy on its way: the failures name the operation the caller runs.
struct CopyJob {
    const std::string& source;
    const std::string& folder;
    const char* verb; // "copy", or "move" when the copy is half of a move
    const CancelCheck& cancelled;

    IoError failure(int error, std::string reason = {}) const {
        return IoError{verb, source, error, "'" + folder + "'", std::move(reason)};
    }
};

// The copy's file before it has a name: unnamed (O_TMPFILE) where the file
// system allows it, so that even a crash leaves nothing, otherwise a hidden
// temporary name that goes with the object unless the file was placed.
class PendingFile {
public:
    explicit PendingFile(const std::string& folder)
        : m_dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (!m_dir.valid()) {
            m_openError = errno;
            return;
        }
        // An unnamed file is only placed through its /proc name (linking the
        // descriptor itself, AT_EMPTY_PATH, needs a privilege).
        m_file.reset(::openat(m_dir.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
        if (m_file.valid()) {
            m_procName = procName(m_file.get());
            if (m_procName)
                return;
            m_file.reset();
        }
        std::string pattern = joined(folder, ".twinsift-copy-XXXXXX");
        m_file.reset(::mkostemp(pattern.data(), O_CLOEXEC));
        if (m_file.valid())
            m_tempName = baseName(pattern);
        else
            m_openError = errno;
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile() {
        if (!m_tempName.empty() && !m_placed)
            ::unlinkat(m_dir.get(), m_tempName.c_str(), 0);
    }

    // errno when no file could be made in the folder, else 0.
    int openError() const { return m_openError; }
    int fd() const { return m_file.get(); }

    // Gives the file `name` unless something already has it; errno on failure
    // (EEXIST when the name is taken).
    int place(const std::string& name) {
        if (m_tempName.empty()) {
            if (::linkat(AT_FDCWD, m_procName->c_str(), m_dir.get(), name.c_str(),
                         AT_SYMLINK_FOLLOW) != 0)
                return errno;
        } else if (const int error = renameNoReplace(m_dir.get(), m_tempName, m_dir.get(), name)) {
            return error;
        }
        m_placed = true;
        // The new name must outlast a crash before a move removes its source.
        return ::fsync(m_dir.get()) == 0 ? 0 : errno;
    }

private:
    UniqueFd m_dir;
    UniqueFd m_file;
    std::optional<std::string> m_procName; // for an unnamed file
    std::string m_tempName;                // empty for an unnamed file
    bool m_placed = false;
    int m_openError = 0;
};

// errno, or 0 when all of `data` was written.
int writeAll(int fd, const char* data, std::size_t length) {
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return errno;
        if (written == 0)
            return EIO;
        data += written;
        length -= static_cast<std::size_t>(written);
    }
    return 0;
}

// Copies `size` bytes from the current positions; errno, ENODATA when the
// source ended early, ECANCELED when asked to stop.
int copyBytes(int in, int out, std::uint64_t size, const CancelCheck& cancelled) {
    bool inKernel = true;
    std::vector<char> buffer;
    for (std::uint64_t done = 0; done < size;) {
        if (cancelled && cancelled())
            return ECANCELED;
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(copyChunk, size - done));
        ssize_t copied = 0;
        if (inKernel) {
            copied = ::copy_file_range(in, nullptr, out, nullptr, want, 0);
            if (copied < 0 &&
                (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL)) {
                inKernel = false;
                continue;
            }
        } else {
            buffer.resize(fallbackBuffer);
            copied = ::read(in, buffer.data(), std::min(want, buffer.size()));
            if (copied > 0) {
                if (const int error =
                        writeAll(out, buffer.data(), static_cast<std::size_t>(copied)))
                    return error;
            }
        }
        if (copied < 0 && errno == EINTR)
            continue;
        if (copied < 0)
            return errno;
        if (copied == 0)
            return ENODATA;
        done += static_cast<std::uint64_t>(copied);
    }
    return 0;
}

bool sameContentState(const struct stat& before, const struct stat& after) {
    return before.st_size == after.st_size && before.st_mtim.tv_sec == after.st_mtim.tv_sec &&
           before.st_mtim.tv_nsec == after.st_mtim.tv_nsec;
}

// The content, permission bits and modification time of `in` in `out`,
// flushed and checked; the failure if not.
std::optional<IoError> fillCopy(const CopyJob& job, int in, const struct stat& source, int out) {
    const int copyError =
        copyBytes(in, out, static_cast<std::uint64_t>(source.st_size), job.cancelled);
    if (copyError == ENODATA)
        return job.failure(0, "the file changed while it was copied");
    if (copyError != 0)
        return job.failure(copyError);
    const struct timespec times[2] = {source.st_atim, source.st_mtim};
    if (::fchmod(out, source.st_mode & 0777) != 0 || ::futimens(out, times) != 0 ||
        ::fsync(out) != 0)
        return job.failure(errno);
    struct stat copy {};
    struct stat sourceNow {};
    if (::fstat(out, &copy) != 0 || ::fstat(in, &sourceNow) != 0)
        return job.failure(errno);
    if (!sameContentState(source, sourceNow))
        return job.failure(0, "the file changed while it was copied");
    if (copy.st_size != source.st_size)
        return job.failure(EIO, "the copy's size differs from the file's");
    return std::nullopt;
}

// `source` gets the status of the file that was opened and copied.
Placed copyFile(const CopyJob& job, struct stat& source) {
    // Not waiting on a name that turned into a FIFO; it is refused below.
    const UniqueFd in(
        ::open(job.source.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!in.valid() || ::fstat(in.get(), &source) != 0)
        return {job.failure(errno), {}};
    if (!S_ISREG(source.st_mode))
        return {job.failure(0, "not a regular file"), {}};
    PendingFile target(job.folder);
    if (target.openError() != 0)
        return {job.failure(target.openError()), {}};
    if (auto failure = fillCopy(job, in.get(), source, target.fd()))
        return {*failure, {}};
    const std::string name = baseName(job.source);
    for (int n = 1; n <= maxNumberedName; ++n) {
        const std::string candidate = numberedName(name, n);
        const int error = target.place(candidate);
        if (error == 0)
            return {IoResult(), joined(job.folder, candidate)};
        if (error != EEXIST)
            return {job.failure(error), {}};
    }
    return {job.failure(EEXIST), {}};
}

// Removes the source of a placed copy, but only the file that was copied: one
// that took its name meanwhile stays, and the copy goes. The copy of a file
// that went away is all that is left of it, so it stays.
IoResult removeCopiedSource(const CopyJob& job, const struct stat& copied,
                            const std::string& copy) {
    const auto withoutCopy = [&copy](IoError failure) {
        ::unlink(copy.c_str());
        return failure;
    };
    struct stat now {};
    if (::lstat(job.source.c_str(), &now) != 0) {
        if (errno == ENOENT)
            return job.failure(0,
                               "the file went away while it was moved; its copy is '" + copy + "'");
        return withoutCopy(job.failure(errno));
    }
    if (now.st_dev != copied.st_dev || now.st_ino != copied.st_ino)
        return withoutCopy(job.failure(0, "another file took its name while it was copied"));
    if (::unlink(job.source.c_str()) != 0)
        return withoutCopy(job.failure(errno));
    return {};
}

} // namespace

IoResult trashFile(const std::string& path) {
    const std::unique_ptr<GFile, decltype(&g_object_unref)> file(g_file_new_for_path(path.c_str()),
                                                                 g_object_unref);
    GError* raw = nullptr;
    if (g_file_trash(file.get(), nullptr, &raw))
        return {};
    const std::unique_ptr<GError, decltype(&g_error_free)> error(raw, g_error_free);
    return IoError{"move", path, errnoOf(*error), "the Trash", error->message};
}

IoResult deleteFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0)
        return IoError{"delete", path, errno};
    return {};
}

int linkThenUnlink(int fromDir, const std::string& from, int toDir, const std::string& to) {
    if (::linkat(fromDir, from.c_str(), toDir, to.c_str(), 0) != 0)
        return errno;
    if (::unlinkat(fromDir, from.c_str(), 0) != 0) {
        const int error = errno;
        ::unlinkat(toDir, to.c_str(), 0);
        return error;
    }
    return 0;
}

int renameNoReplace(int fromDir, const std::string& from, int toDir, const std::string& to) {
    if (::renameat2(fromDir, from.c_str(), toDir, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    // NFS and FUSE shares refuse the flag; a link refuses a taken name just as
    // atomically. A plain rename would replace it.
    return errno == EINVAL ? linkThenUnlink(fromDir, from, toDir, to) : errno;
}

IoResult renameFile(const std::string& oldPath, const std::string& newPath) {
    if (const int error = renameNoReplace(AT_FDCWD, oldPath, AT_FDCWD, newPath))
        return IoError{"rename", oldPath, error, "'" + newPath + "'"};
    return {};
}

std::string numberedName(const std::string& name, int n) {
    if (n <= 1)
        return name;
    const std::string number = " (" + std::to_string(n) + ")";
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return name + number;
    return name.substr(0, dot) + number + name.substr(dot);
}

Placed copyIntoFolder(const std::string& source, const std::string& folder,
                      const CancelCheck& cancelled) {
    struct stat copied {};
    return copyFile(CopyJob{source, folder, "copy", cancelled}, copied);
}

Placed moveIntoFolder(const std::string& source, const std::string& folder,
                      const CancelCheck& cancelled) {
    const CopyJob job{source, folder, "move", cancelled};
    const std::string name = baseName(source);
    for (int n = 1; n <= maxNumberedName; ++n) {
        const std::string target = joined(folder, numberedName(name, n));
        const int error = renameNoReplace(AT_FDCWD, source, AT_FDCWD, target);
        if (error == 0)
            return {IoResult(), target};
        if (error == EXDEV)
            break;
        if (error != EEXIST)
            return {job.failure(error), {}};
        // Already there: numbering it would only rename it.
        if (n == 1 && sameFolder(source, folder))
            return {IoResult(), source};
        if (n == maxNumberedName)
            return {job.failure(EEXIST), {}};
    }
    struct stat copied {};
    Placed copy = copyFile(job, copied);
    if (!copy.result.ok())
        return copy;
    if (IoResult removed = removeCopiedSource(job, copied, copy.path); !removed.ok())
        return {std::move(removed), {}};
    return copy;
}

} // namespace twinsift
