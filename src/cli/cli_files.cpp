#include "cli/cli_files.h"

#include "cli/cli_output.h"
#include "persist/export_formats.h"
#include "persist/export_html.h"

#include <cstddef>
#include <functional>
#include <string>

namespace twinsift {
namespace {

// "Exporting... 45%": rewritten only when the percentage changes, so a
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

} // namespace

bool writeListFiles(const WindowModel& model, UserInterface& ui, const CliOptions& options,
                    std::ostream& err, bool errIsTerminal) {
    TerminalLine line(err, errIsTerminal);
    const bool written = !options.exportFile || exportList(model, ui, options, line);
    line.clear();
    // The writer's report may not say which file it could not write.
    if (!written)
        printMessage(err, "--export: '" + *options.exportFile + "' not written");
    return written;
}

} // namespace twinsift
