#include "platform/app_paths.h"

#include "core/runtime_error.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace twinsift {
namespace {

std::string withSlash(std::string path) {
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

// mkdir -p, leaving existing levels as they are.
void makeFolders(const std::string& path) {
    for (std::size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos == path.size() || path[pos] == '/') {
            const std::string level = path.substr(0, pos);
            if (::mkdir(level.c_str(), 0700) != 0 && errno != EEXIST)
                return;
        }
    }
}

bool isRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

std::string userDataFolder() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/')
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home == '/')
        base = withSlash(home) + ".local/share";
    else
        // A folder that other users can write to would let them plant files
        // under the names Twinsift writes.
        throw RuntimeError(err::PathNotFound,
                           "Twinsift has no folder of its own for its files: set HOME (or "
                           "XDG_DATA_HOME) to your home folder.");
    std::string folder = withSlash(base) + "Twinsift/";
    makeFolders(folder.substr(0, folder.size() - 1));
    return folder;
}

std::string executableFolder() {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return "./";
    std::string path(buffer, static_cast<std::size_t>(n));
    return path.substr(0, path.rfind('/') + 1);
}

std::string resourceFolder() {
    return executableFolder() + "../" TWINSIFT_DATA_SUBDIR "/";
}

std::string findResource(const std::string& relativePath) {
    std::vector<std::string> folders;
    try {
        folders.push_back(userDataFolder());
    } catch (const RuntimeError&) {
        // Without a data folder the shipped files still serve.
    }
    folders.push_back(resourceFolder());
    for (const std::string& folder : folders) {
        std::string candidate = folder + relativePath;
        if (isRegularFile(candidate))
            return candidate;
    }
    return {};
}

} // namespace twinsift
