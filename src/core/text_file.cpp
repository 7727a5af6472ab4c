#include "core/text_file.h"

#include "core/posix_file.h"
#include "core/runtime_error.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <unistd.h>

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

} // namespace

std::optional<std::string> readWholeFile(const std::string& path) {
    UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        if (errno == ENOENT)
            return std::nullopt;
        throw systemError(errno);
    }
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
        if (n == 0)
            return text;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw systemError(errno);
        text.append(buffer, static_cast<std::size_t>(n));
    }
}

void replaceWholeFile(const std::string& path, std::string_view text) {
    // A fresh name, created exclusively and never through a link: a fixed
    // name would let whoever can write the folder plant a link there first.
    std::string partial;
    UniqueFd file;
    std::random_device random;
    for (int attempt = 0; attempt < 100 && !file.valid(); ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".partial-%08x%08x", random(), random());
        partial = path + suffix;
        file.reset(
            ::open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
        if (!file.valid() && errno != EEXIST)
            break;
    }
    if (!file.valid()) {
        const int error = errno;
        throw systemError(error, error == ENOENT);
    }
    try {
        writeAll(file.get(), text);
        if (!file.close() || ::rename(partial.c_str(), path.c_str()) != 0)
            throw systemError(errno);
    } catch (...) {
        ::unlink(partial.c_str());
        throw;
    }
}

} // namespace twinsift
