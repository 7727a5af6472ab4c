#pragma once

#include "marking/advanced_marking.h"
#include "persist/export_formats.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace twinsift {

// The --delimiter choice: `other` is the separator text for Delimiter::Other.
struct DelimiterChoice {
    Delimiter delimiter = Delimiter::Comma;
    std::string other;
};

enum class ExportFormat { Xml, Delimited, Html };

// The format an --export path's extension names (.xml, .csv, .htm, .html in
// any case); nothing for any other.
std::optional<ExportFormat> exportFormatOf(const std::string& path);

// What the command line asks for, checked for form only: values are kept as
// typed and judged when the search is built.
struct CliOptions {
    std::optional<std::string> engine; // byte, fuzzy, crc, name or zero
    std::optional<std::string> mask;
    std::optional<std::string> minimumKB;
    std::optional<std::string> maximumKB;
    std::optional<std::string> fromDate;
    std::optional<std::string> toDate;
    bool noSubFolders = false;
    bool hidden = false;
    bool noProtect = false;
    std::vector<std::string> excludedFolders;
    std::vector<std::string> excludedExtensions;
    std::optional<std::string> exclusionsFile;
    std::optional<std::string> parametersFile;
    bool json = false;
    bool summary = false;
    bool null = false;
    int threads = 0; // 0: as many as the engine chooses
    bool help = false;
    bool version = false;
    std::vector<std::string> folders;

    // Marking, then one action on the marked files.
    std::optional<std::string> markRule; // all-duplicates or a keep-... rule
    std::optional<std::string> markMask;
    std::optional<std::string> sizeLimit; // N[KB|MB|GB], cd or dvd
    std::vector<std::string> markFolders;
    bool allowWholeGroups = false;
    bool deleteMarked = false;
    bool permanent = false;
    std::optional<std::string> moveTo;
    std::optional<std::string> copyTo;
    bool structure = false;
    bool removeEmptyFolders = false;
    std::optional<std::string> errorLog;
    bool dryRun = false;
    bool yes = false;
    bool markedOnly = false;

    // A saved list instead of a search, and the list written out after marking.
    std::optional<std::string> loadSession;
    bool rescan = false;
    bool recheck = false;
    std::optional<std::string> saveSession;
    std::optional<std::string> exportFile; // its extension chose the format
    std::optional<ExportRows> exportRows;
    std::optional<DelimiterChoice> delimiter;

    // Whether the list may carry marks: asked for, or saved in a session.
    bool marks() const { return markRule || !markFolders.empty() || loadSession; }
    bool deletesOrMoves() const { return deleteMarked || moveTo; }
    bool acts() const { return deletesOrMoves() || copyTo; }
};

// A command line that cannot be used; the text says why.
struct UsageError {
    std::string message;
};

// Options may come in any order before the folders and between them; "--"
// ends the options; "--name=value" is the same as "--name value".
std::variant<CliOptions, UsageError> parseCliOptions(const std::vector<std::string>& arguments);

// `text` with its ASCII letters in lower case.
std::string lowered(std::string text);

// The mark rules --mark knows, "all-duplicates" first.
const std::vector<std::string>& markRuleNames();

// --size-limit's value ("700MB", "2.5 gb", "100" in KB, "cd", "dvd") as the
// advanced-marking dialog's limit choice; false when it is none of these.
bool readSizeLimit(const std::string& text, AdvMarkChoices& choices);

// The text of --help.
const char* usageText();

} // namespace twinsift
