#include "core/file_info.h"

#include "core/pe_version.h"
#include "core/posix_file.h"

#include <algorithm>
#include <cctype>
#include <span>
#include <sys/stat.h>

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
    const UniqueFd file = openRegularFile(path);
    if (!file.valid())
        return NotAvailable;
    const auto version = peFileVersion([&file](std::uint64_t offset, std::span<std::uint8_t> out) {
        return readFullyAt(file.get(), offset, out.data(), out.size());
    });
    if (!version)
        return NotAvailable;
    return std::to_string(HighWord(version->mostSignificant)) + "." +
           std::to_string(LowWord(version->mostSignificant)) + "." +
           std::to_string(HighWord(version->leastSignificant)) + "." +
           std::to_string(LowWord(version->leastSignificant));
}

} // namespace twinsift
