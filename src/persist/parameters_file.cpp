#include "persist/parameters_file.h"

#include "core/field_code.h"
#include "core/text_file.h"
#include "core/window_commands.h"
#include "persist/session_lines.h"

#include <optional>

namespace twinsift {
namespace {

void appendField(std::string& line, std::string_view text) {
    line += encodeField(text, kHeaderSeparator);
}

std::string headerLine(const WindowModel& model) {
    const std::string fields[] = {
        std::to_string(static_cast<int>(model.engine)),
        model.chkProtect.checked ? "1" : "0",
        model.chkIncludeHidden.checked ? "1" : "0",
        std::to_string(model.rows.size()),
        std::to_string(model.FilesFound),
        std::to_string(model.FoldersFound),
        std::to_string(model.DuplicateCount),
        std::to_string(model.DuplicateBytes),
        model.chkFuzzy.checked ? "1" : "0",
    };
    std::string line;
    for (const std::string& field : fields) {
        if (&field != fields)
            line += kHeaderSeparator;
        appendField(line, field);
    }
    return line;
}

// The icon stands between the fourth and the fifth sub-item. A line that
// begins with ";" would open the result lines.
std::string searchPathLine(const SearchPathRow& row) {
    std::string line;
    if (row.text.starts_with(';')) {
        line = "%3B";
        appendField(line, std::string_view(row.text).substr(1));
    } else {
        appendField(line, row.text);
    }
    for (std::size_t sub = SearchPathRow::SubFolders; sub <= SearchPathRow::MaxSize; ++sub) {
        line += kHeaderSeparator;
        appendField(line, row.subItems[sub]);
    }
    line += kHeaderSeparator + std::to_string(row.icon);
    for (std::size_t sub = SearchPathRow::MinDate; sub <= SearchPathRow::MaxDate; ++sub) {
        line += kHeaderSeparator;
        appendField(line, row.subItems[sub]);
    }
    return line;
}

void readHeader(WindowModel& model, const Fields& fields) {
    readEngineAndSwitches(model, fields);
    model.chkFuzzy.tag = "Direct";
}

void readSearchPath(WindowModel& model, const Fields& fields) {
    model.SearchList.push_back(searchPathRowOf(fields));
    model.cmdRemoveEnabled = true;
}

} // namespace

std::string searchParametersText(const WindowModel& model) {
    std::string text = headerLine(model);
    for (const SearchPathRow& row : model.SearchList) {
        text += kLineEnd;
        text += searchPathLine(row);
    }
    return text;
}

void SaveSearchParameters(const WindowModel& model, const std::string& path) {
    if (path.empty())
        return;
    // Saving the parameters is a courtesy of Scan and Close: a failure must not
    // stop either, and the earlier file stays whole.
    try {
        replaceWholeFile(path, searchParametersText(model) + kLineEnd);
    } catch (const RuntimeError&) {
    }
}

ParametersFileOutcome readParametersFile(WindowModel& model, const std::string& path,
                                         UserInterface& ui) {
    ParametersFileOutcome outcome;
    Guard guard(ui, "ParaFile Opening");
    newSession(model);
    std::optional<TextFileLines> file;
    const StepEnd opening = runStep(guard, 1, [&] { file.emplace(path); });
    if (opening != StepEnd::Done) {
        if (opening == StepEnd::Abandoned)
            outcome.stop = ParametersFileOutcome::Failure;
        return outcome;
    }
    outcome.opened = true;

    for (int number = 1;; ++number) {
        std::optional<std::string> line;
        StepEnd end = runStep(guard, 1, [&] { line = file->next(); });
        // Result lines follow the first line that begins with ";"; none of them is read here.
        if (end == StepEnd::Done && (!line || (number > 1 && line->starts_with(';'))))
            break;
        if (end == StepEnd::Done) {
            const Fields fields(*line, kHeaderSeparator, path, number);
            end = number == 1 ? runStep(guard, 2, [&] { readHeader(model, fields); })
                              : runStep(guard, 3, [&] { readSearchPath(model, fields); });
        }
        if (end != StepEnd::Done) {
            outcome.stop = end == StepEnd::Silent ? ParametersFileOutcome::ShortLine
                                                  : ParametersFileOutcome::Failure;
            outcome.line = number;
            break;
        }
    }
    return outcome;
}

bool OpenParametersFile(WindowModel& model, const std::string& path, UserInterface& ui) {
    const ParametersFileOutcome outcome = readParametersFile(model, path, ui);
    // The rows after a short line are still in the file but not in the list:
    // saving now would lose them, so the user must know.
    if (outcome.stop == ParametersFileOutcome::ShortLine)
        ui.messageBox({"\"" + path + "\" line " + std::to_string(outcome.line) +
                           " has too few fields; the search paths after it were not read.",
                       "Open Session", MsgIcon::Exclamation, MsgButtons::OK, 1});
    return outcome.opened;
}

} // namespace twinsift
