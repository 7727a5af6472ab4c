#include "core/problem_report.h"

#include "core/format.h"
#include "core/text_file.h"
#include "platform/app_paths.h"
#include "platform/system_info.h"

namespace twinsift {
namespace {

constexpr char kReportName[] = "report.htm";

std::string readTemplate(const std::string& path) {
    std::optional<std::string> text;
    if (!path.empty())
        text = readWholeFile(path);
    if (!text)
        throw RuntimeError(err::FileNotFound, runtimeErrorText(err::FileNotFound));
    return *text;
}

} // namespace

std::string searchEngineLine(int engineOption, bool fuzzy) {
    switch (engineOption) {
    case 1:
        return std::string("Search Engine: Byte-By-Byte, Fuzzy Logic:") + (fuzzy ? "1" : "0");
    case 2:
        return "Search Engine: CRC32";
    case 3:
        return "Search Engine: Same Names";
    default:
        return "Search Engine: Zero Size";
    }
}

std::string statusText(const std::vector<std::string>& panels) {
    std::string text = "Status: ";
    for (std::size_t i = 0; i < panels.size(); ++i)
        text += (i == 0 ? "" : "{}") + panels[i];
    return text;
}

std::string searchPathText(const std::vector<std::vector<std::string>>& rows) {
    static const char* const kLabels[] = {"", " {SF} ", " {FT} ", " {MN} ", " {MX} "};
    std::string text;
    for (const auto& row : rows) {
        // A short row reads as empty sub-items rather than failing the report.
        for (std::size_t i = 0; i < std::size(kLabels); ++i)
            text += kLabels[i] + (i < row.size() ? row[i] : std::string());
        text += " Second";
    }
    return text;
}

std::string fillTemplate(std::string_view templateText,
                         const std::vector<std::pair<std::string, std::string>>& replacements) {
    std::vector<std::string> escapedValues;
    escapedValues.reserve(replacements.size());
    for (const auto& [placeholder, value] : replacements)
        escapedValues.push_back(htmlEscaped(value));

    std::string filled;
    std::size_t pos = 0;
    while (pos < templateText.size()) {
        std::size_t matched = replacements.size();
        for (std::size_t i = 0; i < replacements.size() && matched == replacements.size(); ++i) {
            const std::string& placeholder = replacements[i].first;
            if (!placeholder.empty() && templateText.substr(pos).starts_with(placeholder))
                matched = i;
        }
        if (matched == replacements.size()) {
            filled += templateText[pos++];
        } else {
            filled += escapedValues[matched];
            pos += replacements[matched].first.size();
        }
    }
    return filled;
}

std::string problemReportText(std::string_view templateText, const ProblemReportFacts& facts,
                              const std::string& dateTime, const std::string& systemInfo) {
    return fillTemplate(templateText,
                        {
                            {"vdatetime", dateTime},
                            {"vsysteminfo", systemInfo},
                            {"verrno", std::to_string(facts.error.number)},
                            {"verrdesc", facts.error.description},
                            {"vprocedure", facts.error.procedure},
                            {"verrline", std::to_string(facts.error.line)},
                            {"vversion", TWINSIFT_VERSION},
                            {"vse", searchEngineLine(facts.engineOption, facts.fuzzy)},
                            {"vpara", searchPathText(facts.searchPaths)},
                            {"vstage", statusText(facts.statusPanels)},
                            {"vcomments", facts.userText},
                        });
}

std::string writeProblemReport(const ProblemReportFacts& facts, const std::string& templatePath) {
    const std::string report = problemReportText(readTemplate(templatePath), facts, nowText(),
                                                 GetSysInfo(readSystemInfo()));
    std::string path = userDataFolder() + kReportName;
    replaceWholeFile(path, report);
    return path;
}

} // namespace twinsift
