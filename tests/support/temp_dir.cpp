#include "support/temp_dir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <thread>
#include <time.h>

namespace twinsift::test {

namespace fs = std::filesystem;

namespace {

// Each entry below `root` on a line of its own, in name order: a folder with
// a trailing "/", a link with its target, a file with its size.
std::string treeText(const fs::path& root) {
    std::vector<std::string> lines;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::string line = "  " + it->path().lexically_relative(root).string();
        if (it->is_symlink(ec))
            line += " -> " + fs::read_symlink(it->path(), ec).string();
        else if (it->is_directory(ec))
            line += "/";
        else if (it->is_regular_file(ec))
            line += "  " + std::to_string(it->file_size(ec)) + " bytes";
        lines.push_back(std::move(line));
    }
    std::sort(lines.begin(), lines.end());
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

} // namespace

TempDir::TempDir() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/twinsift-test-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    m_path = pattern + "/";
}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests may leave folders without permissions behind; give them back first.
    for (auto it = fs::recursive_directory_iterator(
             m_path, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
    // What the test left behind often tells why it failed.
    if (::testing::Test::HasFailure())
        std::cout << "Folder " << m_path << " at the failure:\n" << treeText(m_path) << std::flush;
    fs::remove_all(m_path, ec);
}

std::string TempDir::write(const std::string& relativePath, const std::string& content) const {
    const std::string full = m_path + relativePath;
    fs::create_directories(fs::path(full).parent_path());
    std::ofstream out(full, std::ios::binary | std::ios::trunc);
    out << content;
    return full;
}

std::string TempDir::mkdir(const std::string& relativePath) const {
    fs::create_directories(m_path + relativePath);
    std::string full = m_path + relativePath;
    if (full.back() != '/')
        full += '/';
    return full;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::time_t localTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    parts.tm_isdst = -1;
    return std::mktime(&parts);
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::ranges::sort(names);
    return names;
}

std::string randomBytes(std::size_t length, unsigned seed) {
    std::mt19937 random(seed);
    std::string content(length, '\0');
    for (char& c : content)
        c = static_cast<char>(random());
    return content;
}

void awaitNewFileTime() {
    const auto coarseNow = [] {
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
        return nanosecondsOf(now.tv_sec, now.tv_nsec);
    };
    const std::int64_t start = coarseNow();
    while (coarseNow() == start)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

FileSeen seenNow(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0)
        return {};
    return {{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)},
            nanosecondsOf(status.st_ctim.tv_sec, status.st_ctim.tv_nsec)};
}

std::vector<WalkedFile> walkedNow(const std::vector<std::string>& paths) {
    std::vector<WalkedFile> files;
    for (const std::string& path : paths)
        files.push_back({path, seenNow(path)});
    return files;
}

} // namespace twinsift::test
