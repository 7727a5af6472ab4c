#include "core/text_file.h"

#include "core/posix_file.h"
#include "core/runtime_error.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <random>

namespace twinsift {
namespace {

void writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw systemError(errno);
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

// The error number of `errnoValue`, its text, and what was being read.
RuntimeError fileError(int errnoValue, const std::string& path) {
    const long number = systemError(errnoValue).number();
    std::string description = runtimeErrorText(number) + ": cannot read '" + path + "'";
    const std::string reason = std::strerror(errnoValue);
    if (reason != runtimeErrorText(number))
        description += ": " + reason;
    return RuntimeError(number, description);
}

RuntimeError tooLarge(const std::string& path, std::size_t limit) {
    return RuntimeError(err::PathFileAccessError, runtimeErrorText(err::PathFileAccessError) +
                                                      ": '" + path + "' is larger than " +
                                                      std::to_string(limit >> 20) + " MiB");
}

// Opens a regular file for reading; not valid when it does not exist. Asked
// before opening and checked again after, as opening a device can have an
// effect of its own, and O_NONBLOCK keeps a FIFO put in its place from stalling.
UniqueFd openTextFile(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        if (errno == ENOENT)
            return UniqueFd();
        throw fileError(errno, path);
    }
    const auto notRegular = [&] {
        return RuntimeError(err::PathFileAccessError, runtimeErrorText(err::PathFileAccessError) +
                                                          ": '" + path + "' is not a regular file");
    };
    if (S_ISDIR(status.st_mode))
        throw fileError(EISDIR, path);
    if (!S_ISREG(status.st_mode))
        throw notRegular();
    UniqueFd file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file.valid())
        throw fileError(errno, path);
    if (::fstat(file.get(), &status) != 0)
        throw fileError(errno, path);
    if (!S_ISREG(status.st_mode))
        throw notRegular();
    return file;
}

// The folder part of `path` with its closing "/"; empty for a bare name.
std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file a final link leads to, followed link by link: replacing the link
// itself would cut it off from its file. A link to nothing yet leads to the
// name it holds.
std::string finalTarget(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        char target[PATH_MAX];
        const ssize_t length = ::readlink(path.c_str(), target, sizeof target);
        if (length <= 0)
            return path;
        if (static_cast<std::size_t>(length) == sizeof target)
            throw systemError(ENAMETOOLONG);
        std::string next(target, static_cast<std::size_t>(length));
        path = next.front() == '/' ? std::move(next) : folderOf(path).append(next);
    }
    throw systemError(ELOOP);
}

// A fresh hidden name in `folder`, created exclusively and never through a
// link: a fixed name would let whoever can write the folder plant a link
// there first. Short, so that it fits wherever the target's name does. Not
// valid, with errno telling why, when none could be made.
UniqueFd createSibling(const std::string& folder, std::string& partial) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, ".twinsift-%08x", random());
        partial = folder + name;
        UniqueFd file(
            ::open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
        if (file.valid() || errno != EEXIST)
            return file;
    }
    return UniqueFd();
}

// The rename lasts through a crash only once the folder holding it is on
// disk. The file is in place by now: a folder that cannot be synced (some
// file systems refuse) leaves it as the rename did.
void syncFolder(const std::string& folder) {
    const UniqueFd handle(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (handle.valid())
        ::fsync(handle.get());
}

// A folder the user may not add to can still hold a file the user may write:
// with no sibling to rename over it, the file is written where it is, and a
// failure half-way leaves it cut short. Only a regular file that opens for
// writing is; anything else fails with `siblingError`.
void writeInPlace(const std::string& path,
                  const std::function<void(const WritePiece& write)>& produce, int siblingError) {
    UniqueFd file(::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat status {};
    if (!file.valid() || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode))
        throw systemError(siblingError);
    if (::ftruncate(file.get(), 0) != 0)
        throw systemError(errno);
    produce([&file](std::string_view piece) { writeAll(file.get(), piece); });
    if (::fsync(file.get()) != 0 || !file.close())
        throw systemError(errno);
}

} // namespace

std::optional<std::string> readWholeFile(const std::string& path) {
    UniqueFd file = openTextFile(path);
    if (!file.valid())
        return std::nullopt;
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
        if (n == 0)
            return text;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw fileError(errno, path);
        if (text.size() + static_cast<std::size_t>(n) > kTextFileLimit)
            throw tooLarge(path, kTextFileLimit);
        text.append(buffer, static_cast<std::size_t>(n));
    }
}

TextFileLines::TextFileLines(const std::string& path, std::size_t fileLimit)
    : m_path(path), m_fileLimit(fileLimit) {
    UniqueFd file = openTextFile(path);
    if (!file.valid())
        throw fileError(ENOENT, path);
    struct stat status {};
    if (::fstat(file.get(), &status) == 0)
        m_fileSize = static_cast<std::size_t>(status.st_size);
    m_file.reset(::fdopen(file.get(), "rb"));
    if (!m_file)
        throw fileError(errno, path);
    file.release();
}

std::optional<std::string> TextFileLines::next() {
    // Past a failure the reader stands somewhere inside a line: whatever it
    // read from there would be taken for lines that are not in the file.
    if (m_failure)
        std::rethrow_exception(m_failure);
    try {
        return nextLine();
    } catch (...) {
        m_failure = std::current_exception();
        throw;
    }
}

bool TextFileLines::fillBuffer() {
    constexpr std::size_t kPiece = std::size_t{64} << 10;
    m_buffer.resize(kPiece);
    const std::size_t got = std::fread(m_buffer.data(), 1, kPiece, m_file.get());
    m_buffer.resize(got);
    m_bufferStart = 0;
    if (got == 0 && std::ferror(m_file.get()))
        throw fileError(errno, m_path);
    return got != 0;
}

std::optional<std::string> TextFileLines::nextLine() {
    std::string line;
    ++m_lineNumber;
    bool ended = false;
    while (!ended) {
        if (m_bufferStart == m_buffer.size() && !fillBuffer())
            break;
        const std::string_view rest = std::string_view(m_buffer).substr(m_bufferStart);
        const std::size_t end = rest.find('\n');
        ended = end != std::string_view::npos;
        const std::string_view piece = rest.substr(0, end);
        if (line.size() + piece.size() > kTextLineLimit)
            throw RuntimeError(err::PathFileAccessError,
                               runtimeErrorText(err::PathFileAccessError) + ": line " +
                                   std::to_string(m_lineNumber) + " of '" + m_path +
                                   "' is longer than 1 MiB");
        line += piece;
        m_bufferStart += piece.size() + (ended ? 1 : 0);
    }
    m_bytesRead += line.size() + (ended ? 1 : 0);
    if (m_bytesRead > m_fileLimit)
        throw tooLarge(m_path, m_fileLimit);
    if (!ended && line.empty())
        return std::nullopt;
    if (line.ends_with('\r'))
        line.pop_back();
    return line;
}

void replaceWholeFile(const std::string& path, std::string_view text) {
    replaceFileByPieces(path, [text](const WritePiece& write) { write(text); });
}

void replaceFileByPieces(const std::string& path,
                         const std::function<void(const WritePiece& write)>& produce) {
    const std::string target = finalTarget(path);
    // A FIFO, a device or a folder is not a file to replace: the rename
    // would put a plain file in its place.
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode))
        throw RuntimeError(err::PathFileAccessError, runtimeErrorText(err::PathFileAccessError) +
                                                         ": '" + target +
                                                         "' is not a regular file");
    std::string partial;
    UniqueFd file = createSibling(folderOf(target), partial);
    if (!file.valid()) {
        const int error = errno;
        if (error == EACCES || error == EPERM) {
            writeInPlace(target, produce, error);
            return;
        }
        // A read-only file system refuses a new file as permissions would.
        throw systemError(error == EROFS ? EACCES : error, error == ENOENT);
    }
    try {
        // A file the user kept private stays private once replaced.
        struct stat earlier {};
        if (::stat(target.c_str(), &earlier) == 0 && S_ISREG(earlier.st_mode) &&
            ::fchmod(file.get(), earlier.st_mode & 07777) != 0)
            throw systemError(errno);
        produce([&file](std::string_view piece) { writeAll(file.get(), piece); });
        // On disk before it takes the name: a crash must not leave an empty file there.
        if (::fsync(file.get()) != 0 || !file.close() ||
            ::rename(partial.c_str(), target.c_str()) != 0)
            throw systemError(errno);
    } catch (...) {
        ::unlink(partial.c_str());
        throw;
    }
    syncFolder(folderOf(target));
}

} // namespace twinsift
