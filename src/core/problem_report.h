#pragma once

#include "core/runtime_error.h"
#include "platform/app_paths.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace twinsift {

// What the problem report says about the failure and the search around it.
struct ProblemReportFacts {
    ErrorRecord error;
    int engineOption = 1; // 1 byte-by-byte, 2 CRC32, 3 same names, anything else zero size
    bool fuzzy = false;
    std::vector<std::string> statusPanels; // the status bar's panel texts in order
    // One row per search path: the path, then its first four sub-items
    // (sub-folders, mask, minimum KB, maximum KB).
    std::vector<std::vector<std::string>> searchPaths;
    // What the error dialog's text box held when the user sent the report:
    // the details it was filled with and whatever the user wrote there.
    std::string userText;
};

// "Search Engine: Byte-By-Byte, Fuzzy Logic:0", "Search Engine: CRC32", ...
std::string searchEngineLine(int engineOption, bool fuzzy);

// "Status: " + the panel texts joined by "{}".
std::string statusText(const std::vector<std::string>& panels);

// Each row as "path {SF} a {FT} b {MN} c {MX} d Second", rows back to back.
std::string searchPathText(const std::vector<std::vector<std::string>>& rows);

// The template with each placeholder replaced by its value, HTML-escaped, in
// one pass: at each position the placeholders are tried in the order given,
// and the text a value brings in is never looked at again.
std::string fillTemplate(std::string_view templateText,
                         const std::vector<std::pair<std::string, std::string>>& replacements);

// The report page made from `templateText`, with the date-time and system
// information given.
std::string problemReportText(std::string_view templateText, const ProblemReportFacts& facts,
                              const std::string& dateTime, const std::string& systemInfo);

// Fills the template (the shipped "bugreport.brpt" unless told otherwise) for
// the current moment and machine and writes it to "report.htm" in the user's
// data folder, replacing an earlier one; returns the path written. A missing
// or unreadable template or a report that cannot be written throws
// RuntimeError.
std::string writeProblemReport(const ProblemReportFacts& facts,
                               const std::string& templatePath = findResource("bugreport.brpt"));

} // namespace twinsift
