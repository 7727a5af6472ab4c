#include "core/file_info.h"

#include "core/pe_version.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <span>
#include <sys/stat.h>
#include <unistd.h>

namespace twinsift {
namespace {

const std::string NotAvailable = "N/A";

bool hasProgramExtension(const std::string& path) {
    if (path.size() < 4)
        return false;
    std::string tail = path.substr(path.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tail == ".exe" || tail == ".dll" || tail == ".ocx";
}

// A regular file opened for reading. Opening does not wait: a FIFO that only
// carries a program's name would otherwise block until someone writes to it.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::string& path)
        : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK)) {}
    ~ReadOnlyFile() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    bool isRegularFile() const {
        struct stat info {};
        return m_fd >= 0 && ::fstat(m_fd, &info) == 0 && S_ISREG(info.st_mode);
    }

    bool readAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
        constexpr auto maxOffset = static_cast<std::uint64_t>(std::numeric_limits<off_t>::max());
        if (offset > maxOffset - out.size())
            return false;
        std::size_t done = 0;
        while (done < out.size()) {
            const ssize_t got = ::pread(m_fd, out.data() + done, out.size() - done,
                                        static_cast<off_t>(offset + done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false;
            done += static_cast<std::size_t>(got);
        }
        return true;
    }

private:
    int m_fd;
};

} // namespace

bool FileExists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string ExtensionOf(const std::string& name) {
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string VersionText(const std::string& path) {
    if (!hasProgramExtension(path))
        return NotAvailable;
    const ReadOnlyFile file(path);
    if (!file.isRegularFile())
        return NotAvailable;
    const auto version = peFileVersion([&file](std::uint64_t offset, std::span<std::uint8_t> out) {
        return file.readAt(offset, out);
    });
    if (!version)
        return NotAvailable;
    return std::to_string(HighWord(version->mostSignificant)) + "." +
           std::to_string(LowWord(version->mostSignificant)) + "." +
           std::to_string(HighWord(version->leastSignificant)) + "." +
           std::to_string(LowWord(version->leastSignificant));
}

} // namespace twinsift
