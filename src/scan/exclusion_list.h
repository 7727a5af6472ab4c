#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace twinsift {

// The lines of an exclusion list file that could not be read: how many, and
// the numbers of the first few.
struct DamagedLines {
    static constexpr std::size_t kListed = 10;
    std::vector<int> first;
    int count = 0;
};

// One entry of the exclusion list: a folder path, or an extension in its
// "*."-prefixed form ("*.tmp"). Only checked entries take effect.
struct ExclusionEntry {
    std::string text;
    bool checked = true;

    friend bool operator==(const ExclusionEntry&, const ExclusionEntry&) = default;
};

// The folders and file extensions that every scan leaves out, whatever the
// search paths, and the rules of the dialog that edits them.
class ExclusionList {
public:
    std::vector<ExclusionEntry> folders;    // lstExFolders, in list order
    std::vector<ExclusionEntry> extensions; // lstExExtension, in list order

    // Appends `path` checked, unless it is empty or an entry already equals it
    // ignoring letter case; true when it was appended.
    bool addFolder(std::string_view path);
    // What Add does with the extension box's text: appends "*." + text checked
    // (a text that already starts with "*." keeps its prefix), unless the text
    // is empty or the entry is there already in any letter case. True when
    // appended: the box is then emptied.
    bool addExtension(std::string_view typed);

    // The hand-over to the scan, checked entries in list order. The folders
    // as a list keep their paths whole, ";" included (a legal character in
    // names); the extensions as the walker's ExFilter text: each followed by
    // ";", empty when none is checked.
    std::vector<std::string> checkedFolders() const;
    std::string excludedExtensionsText() const;

    // Replaces both lists with the contents of an "exclusion.lst". A missing
    // file gives two empty lists. Every readable line is loaded; when a line
    // cannot be read (no comma, no True/False after the last comma, longer
    // than kTextLineLimit) a RuntimeError naming the file and the lines is
    // thrown after the whole file has been read, so nothing readable is lost.
    // A file that cannot be read at all throws readWholeFile's error.
    void load(const std::string& filePath);
    // The same without the error for damaged lines.
    DamagedLines loadReadable(const std::string& filePath);
    // Writes both lists (folder section, then extension section, CR LF line
    // ends), replacing the file only once the new one is complete. Throws
    // RuntimeError when it cannot be written; the old file is then untouched.
    void save(const std::string& filePath) const;
};

// What is wrong with the damaged lines of an exclusion list file.
std::string damagedLinesText(const DamagedLines& lines, const std::string& filePath);

// "exclusion.lst" in the user's data folder.
std::string exclusionListPath();

// The entry an extension names, as typed on a command line: "tmp", ".tmp" and
// "*.tmp" all give "*.tmp"; empty when nothing is left of it.
std::string extensionEntry(std::string_view extension);

// The characters the extension box accepts: A to Z in either case and 0 to 9.
bool isExtensionCharacter(char32_t character);

// The exclusion list as the main window keeps it between uses of its dialog:
// read from the file by the first use (the dialog or a scan), kept while the
// dialog is closed with OK (unsaved check-box changes included), forgotten
// when it is closed otherwise, so the next use reads the file again.
class KeptExclusionList {
public:
    // An empty path stands for exclusionListPath(), resolved on first use.
    explicit KeptExclusionList(std::string filePath = {}) : m_filePath(std::move(filePath)) {}

    // The list, loaded on first use. A damaged file throws the load's
    // RuntimeError, and the lines it could read stay in use.
    ExclusionList& inUse();
    // Puts `list` in use as it is, without reading the file (the terminal
    // front end builds its list from its options).
    void keep(ExclusionList list) { m_list = std::move(list); }
    void forget() { m_list.reset(); }
    bool isLoaded() const { return m_list.has_value(); }
    std::string filePath() const;

private:
    std::string m_filePath;
    std::optional<ExclusionList> m_list;
};

} // namespace twinsift
