#include "scan/exclusion_list.h"

#include "core/field_code.h"
#include "core/format.h"
#include "core/runtime_error.h"
#include "core/text_compare.h"
#include "core/text_file.h"
#include "platform/app_paths.h"

#include <algorithm>

namespace twinsift {
namespace {

constexpr std::string_view kFolderMarker = "<<Folder List Start Here>>";
constexpr std::string_view kExtensionMarker = "<<Extension List Start Here>>";
constexpr std::string_view kLineEnd = "\r\n";

std::optional<bool> truthValue(std::string_view text) {
    const std::string folded = foldCase(trimmed(text));
    if (folded == "true")
        return true;
    if (folded == "false")
        return false;
    return std::nullopt;
}

// An entry line is the entry, a comma and True or False. The last comma is the
// one that counts: the truth value never holds one, a folder path may.
std::optional<ExclusionEntry> entryOfLine(std::string_view line) {
    const auto comma = line.rfind(',');
    if (comma == std::string_view::npos)
        return std::nullopt;
    const auto checked = truthValue(line.substr(comma + 1));
    if (!checked)
        return std::nullopt;
    return ExclusionEntry{decodeField(line.substr(0, comma)), *checked};
}

bool holdsIgnoringCase(const std::vector<ExclusionEntry>& list, std::string_view text) {
    return std::any_of(list.begin(), list.end(), [&](const ExclusionEntry& entry) {
        return compareText(entry.text, text) == 0;
    });
}

std::vector<std::string> checkedTexts(const std::vector<ExclusionEntry>& list) {
    std::vector<std::string> texts;
    for (const auto& entry : list)
        if (entry.checked)
            texts.push_back(entry.text);
    return texts;
}

std::string handOverText(const std::vector<ExclusionEntry>& list) {
    std::string text;
    for (const auto& entry : list)
        if (entry.checked)
            text.append(entry.text).append(";");
    return text;
}

void appendSection(std::string& file, std::string_view marker,
                   const std::vector<ExclusionEntry>& list) {
    file.append(marker).append(kLineEnd);
    // A line is split at its last comma, so a comma in a folder name needs no
    // code: only the line ends and "%" are coded (LF stands as the separator).
    for (const auto& entry : list)
        file.append(encodeField(entry.text, '\n'))
            .append(entry.checked ? ",True" : ",False")
            .append(kLineEnd);
}

} // namespace

bool ExclusionList::addFolder(std::string_view path) {
    if (path.empty() || holdsIgnoringCase(folders, path))
        return false;
    folders.push_back({std::string(path), true});
    return true;
}

bool ExclusionList::addExtension(std::string_view typed) {
    const std::string entry = extensionEntry(typed);
    if (entry.empty() || holdsIgnoringCase(extensions, entry))
        return false;
    extensions.push_back({entry, true});
    return true;
}

std::vector<std::string> ExclusionList::checkedFolders() const {
    return checkedTexts(folders);
}

std::string ExclusionList::excludedExtensionsText() const {
    return handOverText(extensions);
}

void ExclusionList::load(const std::string& filePath) {
    const DamagedLines damaged = loadReadable(filePath);
    if (damaged.count > 0)
        throw RuntimeError(err::TypeMismatch,
                           damagedLinesText(damaged, filePath) + " The other entries were loaded.");
}

DamagedLines ExclusionList::loadReadable(const std::string& filePath) {
    folders.clear();
    extensions.clear();
    DamagedLines damaged;
    const auto file = readWholeFile(filePath);
    if (!file)
        return damaged;
    std::vector<ExclusionEntry>* section = &folders;
    std::string_view rest = *file;
    for (int number = 1; !rest.empty(); ++number) {
        const auto end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (line == kFolderMarker) {
            section = &folders;
        } else if (line == kExtensionMarker) {
            section = &extensions;
        } else if (!trimmed(line).empty()) {
            auto entry = line.size() <= kTextLineLimit ? entryOfLine(line) : std::nullopt;
            if (entry)
                section->push_back(std::move(*entry));
            else if (++damaged.count <= static_cast<int>(DamagedLines::kListed))
                damaged.first.push_back(number);
        }
    }
    return damaged;
}

void ExclusionList::save(const std::string& filePath) const {
    std::string file;
    appendSection(file, kFolderMarker, folders);
    appendSection(file, kExtensionMarker, extensions);
    replaceWholeFile(filePath, file);
}

std::string damagedLinesText(const DamagedLines& lines, const std::string& filePath) {
    std::string text = lines.count == 1 ? "Cannot read line " : "Cannot read lines ";
    for (std::size_t i = 0; i < lines.first.size(); ++i)
        text.append(i == 0 ? "" : ", ").append(std::to_string(lines.first[i]));
    const auto unlisted = lines.count - static_cast<int>(lines.first.size());
    if (unlisted > 0)
        text += " and " + std::to_string(unlisted) + " more";
    return text + " of '" + filePath + "': an entry line ends in a comma and True or False.";
}

std::string exclusionListPath() {
    return userDataFolder() + "exclusion.lst";
}

std::string extensionEntry(std::string_view extension) {
    extension = trimmed(extension);
    if (extension.starts_with('*'))
        extension.remove_prefix(1);
    if (extension.starts_with('.'))
        extension.remove_prefix(1);
    if (extension.empty())
        return {};
    return "*." + std::string(extension);
}

bool isExtensionCharacter(char32_t character) {
    return (character >= U'A' && character <= U'Z') || (character >= U'a' && character <= U'z') ||
           (character >= U'0' && character <= U'9');
}

ExclusionList& KeptExclusionList::inUse() {
    if (!m_list) {
        m_list.emplace();
        m_list->load(filePath());
    }
    return *m_list;
}

std::string KeptExclusionList::filePath() const {
    return m_filePath.empty() ? exclusionListPath() : m_filePath;
}

} // namespace twinsift
