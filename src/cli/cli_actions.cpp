#include "cli/cli_actions.h"

#include "cli/cli_output.h"
#include "cli/run_cli.h"
#include "cli/terminal_user_interface.h"
#include "core/format.h"
#include "core/window_model.h"
#include "fileops/error_log.h"
#include "fileops/file_operation.h"
#include "marking/advanced_marking.h"
#include "marking/originals_check.h"
#include "marking/sort_cols.h"
#include "platform/shell_services.h"
#include "scan/search_paths.h"

#include <ctime>
#include <filesystem>

namespace twinsift {
namespace {

using Keep = AdvMarkChoices::Keep;

// The rule frame and choice of a keep-... rule name.
AdvMarkChoices rangeChoices(const CliOptions& options) {
    struct Rule {
        const char* name;
        RuleFrame frame;
        Keep keep;
    };
    static constexpr Rule kRules[] = {
        {"keep-newer", RuleFrame::DateTime, Keep::Newer},
        {"keep-older", RuleFrame::DateTime, Keep::Older},
        {"keep-larger", RuleFrame::FileSize, Keep::Newer},
        {"keep-smaller", RuleFrame::FileSize, Keep::Older},
        {"keep-newer-version", RuleFrame::Version, Keep::Newer},
        {"keep-older-version", RuleFrame::Version, Keep::Older},
    };
    AdvMarkChoices choices;
    for (const Rule& rule : kRules)
        if (*options.markRule == rule.name)
            chooseKeepRule(choices, rule.frame, rule.keep);
    if (options.markMask)
        choices.rangeMask = *options.markMask;
    if (options.sizeLimit)
        readSizeLimit(*options.sizeLimit, choices);
    return choices;
}

void markFolders(WindowModel& model, UserInterface& ui, const CliOptions& options) {
    std::vector<bool> ticked(model.lvFolders.size(), false);
    for (const std::string& folder : options.markFolders) {
        const std::string wanted = absoluteFolder(folder);
        // The folder itself may hold no listed file while those below it do.
        for (std::size_t f = 0; f < ticked.size(); ++f)
            if (model.lvFolders[f].starts_with(wanted))
                ticked[f] = true;
    }
    markByFolders(model, ui, ticked, true, options.markMask.value_or(kAllFilesMask));
}

class ShellOfTheTerminal : public FileShellServices {
public:
    bool ShowProperties(const std::string&) override { return false; }
};

FileOpSettings settingsOf(const CliOptions& options) {
    FileOpSettings settings;
    settings.mode = options.deleteMarked ? FileOpMode::Delete
                    : options.moveTo     ? FileOpMode::Move
                                         : FileOpMode::Copy;
    settings.toTrash = !options.permanent;
    settings.yesToAll = true; // the terminal asks once, before the run
    settings.removeEmptyFolders = options.removeEmptyFolders;
    settings.withStructure = options.structure;
    const auto& destination = options.moveTo ? options.moveTo : options.copyTo;
    if (destination)
        settings.destination = std::filesystem::absolute(*destination).lexically_normal().string();
    return settings;
}

// "Delete", "Move" or "Copy" and where to: the words of the question and of
// the dry run.
std::string actionText(const FileOpSettings& settings) {
    switch (settings.mode) {
    case FileOpMode::Delete:
        return settings.toTrash ? "to the Trash" : "permanently";
    case FileOpMode::Move:
    case FileOpMode::Copy:
        break;
    }
    return "to '" + settings.destination + "'";
}

const char* verbOf(FileOpMode mode) {
    switch (mode) {
    case FileOpMode::Move:
        return "Move";
    case FileOpMode::Copy:
        return "Copy";
    case FileOpMode::Delete:
        break;
    }
    return "Delete";
}

// "Deleted 3 files to the Trash, 0 failed": the run's last line.
std::string pastTense(FileOpMode mode) {
    return mode == FileOpMode::Copy ? "Copied" : std::string(verbOf(mode)) + 'd';
}

void printDryRun(const WindowModel& model, const FileOpSettings& settings, std::ostream& err) {
    const std::string verb = lowered(verbOf(settings.mode));
    for (const ResultRow& row : model.rows) {
        if (!row.marked())
            continue;
        err << "would " << verb << ' ' << terminalSafe(row.fullPath());
        if (settings.mode == FileOpMode::Delete)
            err << ' ' << actionText(settings) << '\n';
        else
            err << " to "
                << terminalSafe(settings.withStructure
                                    ? MakeStructure(row.folder(), settings.destination)
                                    : settings.destination)
                << '\n';
    }
}

// "Delete 1,204 files (3.20 GB) to the Trash? [y/N]": true only for a yes.
bool confirmed(const FileOpSettings& settings, MarkedTotals totals, const ActionConsole& console) {
    console.err << verbOf(settings.mode) << ' ' << groupedCount(totals.count)
                << (totals.count == 1 ? " file (" : " files (") << SizeText(totals.bytes) << ") "
                << terminalSafe(actionText(settings)) << "? [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(*console.in, answer)) {
        console.err << '\n';
        return false;
    }
    answer = lowered(std::string(trimmed(answer)));
    return answer == "y" || answer == "yes";
}

// The run's progress on the terminal; each failure a message line as it
// happens.
class TerminalProgress : public FileOpProgress {
public:
    explicit TerminalProgress(const ActionConsole& console)
        : m_console(console), m_line(console.err, console.errIsTerminal) {}

    void showLabel(const std::string& text) override { m_line.show(text); }
    void showProgress(std::int64_t, std::int64_t) override {}
    // "error 1005: Unable to delete file '/a/b': Permission denied": the
    // description carries the reason after its own fixed text.
    void addFailure(const FileOpFailure& failure) override {
        m_line.clear();
        const std::string& description = failure.description;
        const std::size_t colon = description.find(": ");
        std::string text = "error " + failure.number + ": " + description.substr(0, colon) + " '" +
                           failure.path + "'";
        if (colon != std::string::npos)
            text += description.substr(colon);
        printMessage(m_console.err, text);
    }
    bool cancelRequested() override { return m_console.interrupted(); }
    void clear() { m_line.clear(); }

private:
    const ActionConsole& m_console;
    TerminalLine m_line;
};

} // namespace

std::string absoluteFolder(const std::string& path) {
    std::string text = std::filesystem::absolute(path).lexically_normal().string();
    if (!text.ends_with('/'))
        text += '/';
    return text;
}

void markAsAsked(WindowModel& model, UserInterface& ui, const CliOptions& options) {
    if (model.rows.empty())
        return;
    if (options.markRule == markRuleNames().front())
        markAllDuplicates(model, ui);
    else if (options.markRule)
        markByRange(model, ui, rangeChoices(options));
    if (!options.markFolders.empty()) {
        markFolders(model, ui, options);
        // Marking by folder sorts by folder; the listing shows whole groups.
        SortCols(model, ui, 5, SortRequest::Ascending);
    }
}

std::optional<MarkedTotals> prepareAction(WindowModel& model, TerminalUserInterface& ui,
                                          const CliOptions& options) {
    if (options.copyTo)
        return beginCopy(model, ui);
    ui.answerOriginalsWith(options.allowWholeGroups ? OriginalsAnswer::IgnoreWarnings
                                                    : OriginalsAnswer::KeepAllOriginals);
    if (options.deletesOrMoves())
        return beginDeleteOrMove(model, ui);
    // Marks that leave the program (the marked paths, the JSON) are what a
    // script deletes next: they keep a copy of each group as --delete would.
    if (options.marks() && checkOriginals(model, ui) == OriginalsCheck::GoOn)
        ShowMarkedTotals(model, countMarked(model));
    return std::nullopt;
}

int runAction(WindowModel& model, TerminalUserInterface& ui, const CliOptions& options,
              MarkedTotals totals, const ActionConsole& console) {
    const FileOpSettings settings = settingsOf(options);
    if (options.dryRun) {
        printDryRun(model, settings, console.err);
        return exit_status::Completed;
    }
    if (settings.mode != FileOpMode::Copy && !options.yes &&
        !confirmed(settings, totals, console)) {
        if (console.interrupted())
            return exit_status::Interrupted;
        printMessage(console.err, "nothing done");
        return exit_status::Failed;
    }
    ShellOfTheTerminal shell;
    TerminalProgress progress(console);
    const FileOpOutcome outcome = runFileOperation(model, settings, shell, ui, progress);
    progress.clear();
    if (settings.mode != FileOpMode::Copy)
        updateListAfterFileOperation(model, ui);
    printMessage(console.err,
                 pastTense(settings.mode) + ' ' + groupedCount(outcome.done) +
                     (outcome.done == 1 ? " file " : " files ") + actionText(settings) + ", " +
                     groupedCount(static_cast<std::int64_t>(outcome.failures.size())) + " failed");
    bool logged = true;
    if (options.errorLog) {
        const IoResult written =
            writeErrorLog(*options.errorLog, outcome.failures, std::time(nullptr));
        logged = written.ok();
        if (!logged)
            printMessage(console.err, "--error-log: " + written.error().message());
    }
    if (outcome.cancelled || console.interrupted())
        return exit_status::Interrupted;
    const bool failed = !outcome.failures.empty() || !logged || ui.errorReported();
    return failed ? exit_status::Failed : exit_status::Completed;
}

} // namespace twinsift
