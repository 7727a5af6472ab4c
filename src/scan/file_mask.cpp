#include "scan/file_mask.h"

#include "core/format.h"
#include "core/text_compare.h"

#include <algorithm>
#include <array>

namespace twinsift {
namespace {

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Bytes of the character starting at `pos`: a whole UTF-8 sequence, or one
// byte where the text is not valid UTF-8.
std::size_t charLength(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (pos + length > text.size())
        return 1;
    for (std::size_t i = 1; i < length; ++i)
        if (!isContinuation(static_cast<unsigned char>(text[pos + i])))
            return 1;
    return length;
}

bool listHolds(std::string_view list, std::string_view character) {
    for (std::size_t i = 0; i < list.size(); i += charLength(list, i))
        if (list.substr(i, charLength(list, i)) == character)
            return true;
    return false;
}

// Matches the single-character element of `pattern` at `p` against the
// character of `name` at `n`; on success gives the lengths consumed.
bool matchOne(std::string_view pattern, std::size_t p, std::string_view name, std::size_t n,
              std::size_t& patternUsed, std::size_t& nameUsed) {
    nameUsed = charLength(name, n);
    const std::string_view character = name.substr(n, nameUsed);
    switch (pattern[p]) {
    case '?':
        patternUsed = 1;
        return true;
    case '#':
        patternUsed = 1;
        return character.size() == 1 && character[0] >= '0' && character[0] <= '9';
    case '[': {
        const auto close = pattern.find(']', p + 1);
        if (close == std::string_view::npos)
            break; // an unclosed "[" is an ordinary character
        patternUsed = close - p + 1;
        return listHolds(pattern.substr(p + 1, close - p - 1), character);
    }
    default:
        break;
    }
    patternUsed = charLength(pattern, p);
    return pattern.substr(p, patternUsed) == character;
}

// Wildcard match with one backtracking point for the latest "*".
bool globMatch(std::string_view pattern, std::string_view name) {
    constexpr auto none = std::string_view::npos;
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starPattern = none;
    std::size_t starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starPattern = ++p;
            starName = n;
            continue;
        }
        std::size_t patternUsed = 0;
        std::size_t nameUsed = 0;
        if (p < pattern.size() && matchOne(pattern, p, name, n, patternUsed, nameUsed)) {
            p += patternUsed;
            n += nameUsed;
            continue;
        }
        if (starPattern == none)
            return false;
        starName += charLength(name, starName);
        n = starName;
        p = starPattern;
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool holdsFolded(const std::vector<std::string>& folded, std::string_view text) {
    const std::string key = foldCase(text);
    return std::find(folded.begin(), folded.end(), key) != folded.end();
}

constexpr std::array<std::string_view, 14> kSystemFolders = {
    "/bin",    "/boot", "/dev", "/etc",  "/lib", "/lib32", "/lib64",
    "/libx32", "/proc", "/run", "/sbin", "/sys", "/usr",   "/var"};

} // namespace

std::string_view extensionView(std::string_view name) {
    const auto dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view{} : name.substr(dot + 1);
}

FileMask::FileMask(std::string_view text) {
    m_all = trimmed(text).empty() || text.find("*.*") != std::string_view::npos;
    if (m_all)
        return;
    for (auto token = text.find("*."); token != std::string_view::npos;
         token = text.find("*.", token + 2)) {
        const auto start = token + 2;
        const auto end = text.find_first_of(" \t);", start);
        m_extensions.push_back(foldCase(text.substr(start, end - start)));
    }
}

bool FileMask::matches(std::string_view name) const {
    if (m_all)
        return true;
    if (name.find('.') == std::string_view::npos)
        return false;
    return holdsFolded(m_extensions, extensionView(name));
}

PatternMask::PatternMask(std::string_view text) {
    for (const std::string& entry : listEntries(text))
        m_patterns.push_back(foldCase(entry));
}

bool PatternMask::matches(std::string_view name) const {
    if (m_patterns.empty())
        return true;
    const std::string folded = foldCase(name);
    return std::any_of(m_patterns.begin(), m_patterns.end(),
                       [&](const std::string& pattern) { return globMatch(pattern, folded); });
}

ExtensionExclusions::ExtensionExclusions(std::string_view text) {
    for (std::string_view entry : listEntries(text)) {
        if (entry.starts_with("*"))
            entry.remove_prefix(1);
        if (entry.starts_with("."))
            entry.remove_prefix(1);
        if (!entry.empty())
            m_extensions.push_back(foldCase(entry));
    }
}

bool ExtensionExclusions::excludes(std::string_view name) const {
    if (m_extensions.empty() || name.find('.') == std::string_view::npos)
        return false;
    return holdsFolded(m_extensions, extensionView(name));
}

std::vector<std::string> listEntries(std::string_view text) {
    std::vector<std::string> entries;
    while (!text.empty()) {
        const auto end = text.find(';');
        const auto entry = trimmed(text.substr(0, end));
        if (!entry.empty())
            entries.emplace_back(entry);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return entries;
}

FolderExclusions::FolderExclusions(const std::vector<std::string>& folders) {
    for (std::string_view entry : folders) {
        if (entry.empty())
            continue;
        while (entry.ends_with('/'))
            entry.remove_suffix(1);
        m_folders.push_back(foldCase(entry));
    }
}

bool FolderExclusions::excludes(std::string_view path) const {
    if (m_folders.empty())
        return false;
    const std::string folded = foldCase(path);
    return std::any_of(m_folders.begin(), m_folders.end(),
                       [&](const std::string& folder) { return isSameOrBelow(folded, folder); });
}

bool isSameOrBelow(std::string_view path, std::string_view folder) {
    if (!path.starts_with(folder))
        return false;
    return path.size() == folder.size() || path[folder.size()] == '/';
}

bool isSystemFolder(std::string_view path) {
    return std::any_of(kSystemFolders.begin(), kSystemFolders.end(),
                       [&](std::string_view folder) { return isSameOrBelow(path, folder); });
}

} // namespace twinsift
