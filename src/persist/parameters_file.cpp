#include "persist/parameters_file.h"

#include "core/convert.h"
#include "core/field_code.h"
#include "core/guard.h"
#include "core/runtime_error.h"
#include "core/text_file.h"
#include "core/window_commands.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace twinsift {
namespace {

constexpr char kSeparator = ',';
constexpr const char* kLineEnd = "\r\n";

// The fields of one line, decoded; asking for one the line does not have is
// error 9, which ends the read. A field that is not what it should be is
// reported with the file, the line and the field.
class Fields {
public:
    Fields(std::string_view line, const std::string& path, int lineNumber)
        : m_path(path), m_lineNumber(lineNumber) {
        if (line.empty())
            return;
        std::size_t start = 0;
        for (;;) {
            const std::size_t end = line.find(kSeparator, start);
            m_fields.push_back(decodeField(line.substr(start, end - start)));
            if (end == std::string_view::npos)
                break;
            start = end + 1;
        }
    }

    std::size_t size() const { return m_fields.size(); }
    const std::string& operator[](std::size_t index) const {
        if (index >= m_fields.size())
            throw RuntimeError(err::SubscriptOutOfRange,
                               runtimeErrorText(err::SubscriptOutOfRange));
        return m_fields[index];
    }

    double number(std::size_t index, const char* name) const {
        const auto value = readNumber((*this)[index]);
        if (!value)
            throw RuntimeError(err::TypeMismatch,
                               runtimeErrorText(err::TypeMismatch) + ": " + m_path + " line " +
                                   std::to_string(m_lineNumber) + ", field " +
                                   std::to_string(index + 1) + " (" + name + "): not a number");
        return *value;
    }

    bool checkBox(std::size_t index, const char* name) const {
        return std::round(number(index, name)) != 0;
    }

private:
    std::vector<std::string> m_fields;
    const std::string& m_path;
    int m_lineNumber;
};

int iconOf(const std::string& text) {
    return static_cast<int>(std::lround(std::clamp(leadingNumber(text), -1e9, 1e9)));
}

void appendField(std::string& line, std::string_view text) {
    line += encodeField(text, kSeparator);
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
            line += kSeparator;
        appendField(line, field);
    }
    return line;
}

// The icon stands between the fourth and the fifth sub-item.
std::string searchPathLine(const SearchPathRow& row) {
    std::string line;
    appendField(line, row.text);
    for (std::size_t sub = SearchPathRow::SubFolders; sub <= SearchPathRow::MaxSize; ++sub) {
        line += kSeparator;
        appendField(line, row.subItems[sub]);
    }
    line += kSeparator + std::to_string(row.icon);
    for (std::size_t sub = SearchPathRow::MinDate; sub <= SearchPathRow::MaxDate; ++sub) {
        line += kSeparator;
        appendField(line, row.subItems[sub]);
    }
    return line;
}

void readHeader(WindowModel& model, const Fields& fields) {
    const double digit = fields.number(0, "Search Option");
    if (digit == 1 || digit == 2 || digit == 3 || digit == 4)
        selectEngine(model, static_cast<Engine>(static_cast<int>(digit)));
    model.chkProtect.tag = "ThruFile";
    model.chkProtect.checked = fields.checkBox(1, "Protect System Folders");
    model.chkProtect.tag = "Direct";
    model.chkIncludeHidden.checked = fields.checkBox(2, "Include Hidden");
    model.chkFuzzy.tag = "Direct";
}

void readSearchPath(WindowModel& model, const Fields& fields) {
    SearchPathRow row;
    row.text = fields[0];
    for (std::size_t sub = SearchPathRow::SubFolders; sub <= SearchPathRow::MaxSize; ++sub)
        row.subItems[sub] = fields[sub + 1];
    row.icon = iconOf(fields[5]);
    if (fields.size() > 6) {
        row.subItems[SearchPathRow::MinDate] = fields[6];
        row.subItems[SearchPathRow::MaxDate] = fields[7];
    }
    model.SearchList.push_back(std::move(row));
    model.cmdRemoveEnabled = true;
}

enum class StepEnd { Done, Silent, Abandoned };

// Runs one guarded step. Errors 53 (file not found) and 9 (a line with too few
// fields) end the read without a message; any other goes to the error report.
template <class Body> StepEnd runStep(Guard& guard, int number, Body&& body) {
    bool silent = false;
    const bool done = guard.step(number, [&] {
        try {
            body();
        } catch (const RuntimeError& error) {
            if (error.number() != err::SubscriptOutOfRange && error.number() != err::FileNotFound)
                throw;
            silent = true;
        }
    });
    return !done ? StepEnd::Abandoned : silent ? StepEnd::Silent : StepEnd::Done;
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
            const Fields fields(*line, path, number);
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
