#include "cli/cli_files.h"

#include "cli/cli_output.h"
#include "commands/session_command.h"
#include "persist/export_formats.h"
#include "persist/export_html.h"
#include "persist/session_file.h"

#include <cstddef>
#include <functional>
#include <string>

namespace twinsift {
namespace {

// "Saving session... 45%": rewritten only when the percentage changes, so a
// million rows cost a hundred writes.
std::function<void(std::size_t, std::size_t)> percentOn(TerminalLine& line, std::string label) {
    return [&line, label = std::move(label)](std::size_t done, std::size_t total) {
        line.show(label + std::to_string(total == 0 ? 100 : done * 100 / total) + "%");
    };
}

bool exportList(const WindowModel& model, UserInterface& ui, const CliOptions& options,
                TerminalLine& line) {
    const ExportRequest request{*options.exportFile, options.exportRows.value_or(ExportRows::All),
                                percentOn(line, "Exporting... ")};
    switch (*exportFormatOf(request.path)) {
    case ExportFormat::Xml:
        return ExportXml(model, request, ui);
    case ExportFormat::Delimited: {
        const DelimiterChoice choice = options.delimiter.value_or(DelimiterChoice{});
        return ExportDelimited(model, request, choice.delimiter, choice.other, ui);
    }
    case ExportFormat::Html:
        break;
    }
    return ExportHtml(model, request, ui);
}

// The writers' reports may not say which file they could not write.
void printNotWritten(std::ostream& err, const char* option, const std::string& path) {
    printMessage(err, std::string(option) + ": '" + path + "' not written");
}

} // namespace

bool loadSessionList(WindowModel& model, UserInterface& ui, const CliOptions& options,
                     std::ostream& err, bool errIsTerminal) {
    TerminalLine line(err, errIsTerminal);
    SessionLoad load;
    load.reScan = options.rescan;
    load.reCheck = options.recheck;
    load.progress = percentOn(line, "Loading session... ");
    const bool loaded = OpenTwinsiftFile(model, *options.loadSession, ui, load);
    line.clear();
    // A list saved while sorted by another column holds its groups apart; the
    // listing and the JSON show each group's rows together, in file order.
    sortResultRows(model, ColSortGrpno, false);
    return loaded;
}

bool writeListFiles(const WindowModel& model, UserInterface& ui, const CliOptions& options,
                    std::ostream& err, bool errIsTerminal) {
    TerminalLine line(err, errIsTerminal);
    if (options.saveSession) {
        const bool saved = SaveSession(model, *options.saveSession, true, ui,
                                       percentOn(line, "Saving session... "));
        line.clear();
        if (!saved) {
            printNotWritten(err, "--save-session", *options.saveSession);
            return false;
        }
    }
    const bool exported = !options.exportFile || exportList(model, ui, options, line);
    line.clear();
    if (!exported)
        printNotWritten(err, "--export", *options.exportFile);
    return exported;
}

} // namespace twinsift
