#include "cli/run_cli.h"

#include "cli/cli_actions.h"
#include "cli/cli_files.h"
#include "cli/cli_options.h"
#include "cli/cli_output.h"
#include "cli/terminal_user_interface.h"
#include "commands/scan_command.h"
#include "core/runtime_error.h"
#include "core/window_commands.h"
#include "persist/parameters_file.h"
#include "scan/exclusion_list.h"
#include "scan/search_paths.h"

#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <new>
#include <optional>

namespace twinsift {
namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void noteInterrupt(int) {
    g_interrupted = 1;
}

// Ctrl-C and SIGTERM, for the life of one run: they only set a flag that the
// scan's yields turn into a cancel. A signal the caller chose to ignore stays
// ignored.
class InterruptWatch {
public:
    InterruptWatch() {
        g_interrupted = 0;
        for (std::size_t i = 0; i < kSignals.size(); ++i) {
            struct sigaction action {};
            action.sa_handler = noteInterrupt;
            sigemptyset(&action.sa_mask);
            sigaction(kSignals[i], nullptr, &m_previous[i]);
            if (m_previous[i].sa_handler != SIG_IGN)
                sigaction(kSignals[i], &action, nullptr);
        }
        sigset_t watched;
        sigemptyset(&watched);
        for (int signal : kSignals)
            sigaddset(&watched, signal);
        pthread_sigmask(SIG_UNBLOCK, &watched, &m_previousMask);
    }
    ~InterruptWatch() {
        pthread_sigmask(SIG_SETMASK, &m_previousMask, nullptr);
        for (std::size_t i = 0; i < kSignals.size(); ++i)
            sigaction(kSignals[i], &m_previous[i], nullptr);
    }
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    bool interrupted() const { return g_interrupted != 0; }

private:
    static constexpr std::array<int, 2> kSignals{SIGINT, SIGTERM};
    std::array<struct sigaction, 2> m_previous{};
    sigset_t m_previousMask{};
};

// A failure that ends the run before anything is walked.
struct Refusal {
    int status;
    std::string message;
};

Refusal usage(std::string message) {
    return {exit_status::Usage, std::move(message)};
}

int refuse(std::ostream& err, const Refusal& refusal) {
    printMessage(err, refusal.message);
    if (refusal.status == exit_status::Usage)
        err << "Try 'twinsift-cli --help' for more information.\n";
    return refusal.status;
}

std::string quoted(const std::string& text) {
    return "'" + text + "'";
}

// Follows a link the user named: a FOLDER that is a link to a folder is a folder.
std::optional<Refusal> checkFolder(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return usage(quoted(path) + ": " + std::strerror(errno));
    if (!S_ISDIR(status.st_mode))
        return usage(quoted(path) + " is not a folder");
    return std::nullopt;
}

std::optional<Refusal> checkFileExists(const std::string& option, const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return usage(option + ": cannot open " + quoted(path) + ": " + std::strerror(errno));
    return std::nullopt;
}

std::optional<Refusal> checkSize(const char* option, const std::optional<std::string>& text) {
    if (text && !sizeInKB(*text))
        return usage(std::string(option) + ": " + quoted(*text) + " is not a size in KB");
    return std::nullopt;
}

std::optional<Refusal> readParameters(WindowModel& model, const std::string& path,
                                      UserInterface& ui) {
    if (auto refusal = checkFileExists("--parameters", path))
        return refusal;
    const ParametersFileOutcome outcome = readParametersFile(model, path, ui);
    if (outcome.stop == ParametersFileOutcome::ShortLine)
        return Refusal{exit_status::Failed, "--parameters: " + quoted(path) + " line " +
                                                std::to_string(outcome.line) + ": too few fields"};
    if (!outcome.opened || outcome.stop == ParametersFileOutcome::Failure)
        return Refusal{exit_status::Failed, "--parameters: cannot read " + quoted(path)};
    return std::nullopt;
}

// A value of the file's rows that the scan would refuse, named by its line and
// field before anything is walked. The reader adds one row per line after the
// header line, in file order, so row i comes from line i + 2.
std::optional<Refusal> checkParameterRows(const WindowModel& model, const std::string& path) {
    for (std::size_t i = 0; i < model.SearchList.size(); ++i) {
        const auto wrong = rowValueProblem(model.SearchList[i], model.engine != Engine::ZeroSize);
        if (wrong)
            return Refusal{exit_status::Failed,
                           "--parameters: " + path + " line " + std::to_string(i + 2) + ", field " +
                               std::to_string(wrong->field) + " (" + wrong->column +
                               "): " + quoted(wrong->value) + " " + wrong->problem};
    }
    return std::nullopt;
}

void applySwitches(WindowModel& model, const CliOptions& options) {
    if (options.engine) {
        const std::string& name = *options.engine;
        const Engine engine = name == "crc"    ? Engine::Crc32
                              : name == "name" ? Engine::SameNames
                              : name == "zero" ? Engine::ZeroSize
                                               : Engine::ByteByByte;
        selectEngine(model, engine);
        model.chkFuzzy.checked = name == "fuzzy";
    }
    if (options.threads > 0)
        model.workerThreads = static_cast<unsigned>(options.threads);
    if (options.hidden)
        model.chkIncludeHidden.checked = true;
    if (options.noProtect)
        model.chkProtect.checked = false;
}

// One row per FOLDER with the filters of the options, refused with the Add
// Folders dialog's own message when the dialog would refuse it.
std::optional<Refusal> addFolderRows(WindowModel& model, const CliOptions& options) {
    if (auto refusal = checkSize("--min-kb", options.minimumKB))
        return refusal;
    if (auto refusal = checkSize("--max-kb", options.maximumKB))
        return refusal;
    FolderForm form;
    form.subFolders = !options.noSubFolders;
    form.mask = options.mask.value_or(kAllFilesMask);
    form.minimumKB = options.minimumKB.value_or("0");
    form.maximumKB = options.maximumKB.value_or("");
    form.minimumDate = options.fromDate.value_or("");
    form.maximumDate = options.toDate.value_or("");
    // The same filters for every folder: checked once, also when only a
    // parameters file gives the rows.
    const auto checked = makeSearchPathRow(form);
    if (const auto* error = std::get_if<FolderFormError>(&checked))
        return usage(error->message);
    for (const std::string& folder : options.folders) {
        if (auto refusal = checkFolder(folder))
            return refusal;
        form.folder = absoluteFolder(folder);
        addSearchPath(model, std::get<SearchPathRow>(makeSearchPathRow(form)));
    }
    return std::nullopt;
}

// The exclusion list of this run: only what the options name. Without
// --exclusions it starts empty, never from the user's own list. A damaged
// file refuses the run: its readable lines alone are not what the user asked
// for.
std::optional<Refusal> setExclusions(ExclusionList& list, const CliOptions& options) {
    if (const auto& path = options.exclusionsFile) {
        if (auto refusal = checkFileExists("--exclusions", *path))
            return refusal;
        try {
            const DamagedLines damaged = list.loadReadable(*path);
            if (damaged.count > 0)
                return Refusal{exit_status::Failed,
                               "--exclusions: " + damagedLinesText(damaged, *path)};
        } catch (const RuntimeError& error) {
            return Refusal{exit_status::Failed, "--exclusions: " + error.description()};
        }
    }
    for (const std::string& folder : options.excludedFolders)
        list.addFolder(absoluteFolder(folder));
    for (const std::string& extension : options.excludedExtensions) {
        const std::string entry = extensionEntry(extension);
        if (entry.empty())
            return usage("--exclude-ext: " + quoted(extension) + " names no extension");
        list.addExtension(entry);
    }
    return std::nullopt;
}

// The folders the marking and the action name, and the one question, checked
// before anything is walked: a refusal after a long search wastes it.
std::optional<Refusal> checkActionOptions(const CliOptions& options, const CliInput& input) {
    for (const std::string& folder : options.markFolders)
        if (auto refusal = checkFolder(folder))
            return usage("--mark-folder: " + refusal->message);
    for (const auto& [option, folder] :
         {std::pair{"--move: ", &options.moveTo}, std::pair{"--copy: ", &options.copyTo}})
        if (*folder)
            if (auto refusal = checkFolder(**folder))
                return usage(option + refusal->message);
    const bool asks = options.deletesOrMoves() && !options.dryRun && !options.yes;
    if (asks && !(input.in && input.isTerminal))
        return usage(std::string(options.deleteMarked ? "--delete" : "--move") +
                     " asks before it acts, and standard input is not a terminal: "
                     "give --yes (or --dry-run to see what it would do)");
    return std::nullopt;
}

// A file named by an option that the run writes: a refusal after a long
// search would waste it.
std::optional<Refusal> checkOutputFile(const std::string& option, const std::string& path) {
    const std::filesystem::path file(path);
    struct stat status {};
    if (!file.has_filename() || (::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)))
        return usage(option + ": " + quoted(path) + " names no file");
    // Replacing a FIFO or a device would put a plain file in its place.
    if (::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode))
        return usage(option + ": " + quoted(path) + " is not a regular file");
    if (auto refusal = checkFolder(file.has_parent_path() ? file.parent_path().string() : "."))
        return usage(option + ": " + refusal->message);
    return std::nullopt;
}

// Only a regular file is read as a session: a FIFO or a device could block
// the run or never end.
std::optional<Refusal> checkSessionFiles(const CliOptions& options) {
    if (const auto& path = options.loadSession) {
        if (auto refusal = checkFileExists("--load-session", *path))
            return refusal;
        struct stat status {};
        if (::stat(path->c_str(), &status) != 0 || !S_ISREG(status.st_mode))
            return usage("--load-session: " + quoted(*path) + " is not a regular file");
    }
    for (const auto& [option, path] : {std::pair{"--save-session", &options.saveSession},
                                       std::pair{"--export", &options.exportFile}})
        if (*path)
            if (auto refusal = checkOutputFile(option, **path))
                return refusal;
    return std::nullopt;
}

// Everything the options describe, in the window model, before anything is walked.
std::optional<Refusal> buildSearch(WindowModel& model, ExclusionList& exclusions,
                                   const CliOptions& options, UserInterface& ui) {
    if (options.folders.empty() && !options.parametersFile)
        return usage("no FOLDER given");
    newSession(model);
    if (options.parametersFile)
        if (auto refusal = readParameters(model, *options.parametersFile, ui))
            return refusal;
    applySwitches(model, options);
    if (options.parametersFile)
        if (auto refusal = checkParameterRows(model, *options.parametersFile))
            return refusal;
    if (auto refusal = addFolderRows(model, options))
        return refusal;
    return setExclusions(exclusions, options);
}

// What one run shares between its steps.
struct RunContext {
    const CliOptions& options;
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal;
    const CliInput& input;
    const InterruptWatch& watch;
    TerminalUserInterface& ui;
};

// The progress text of a running scan, rewritten in place on the terminal.
class ProgressLine : public ModelListener {
public:
    ProgressLine(const WindowModel& model, std::ostream& err, bool enabled)
        : m_model(model), m_line(err, enabled) {}

    void statusChanged() override {
        if (m_model.scanning)
            m_line.show(m_model.statusPanels[PanelProgress].text);
    }
    void clear() { m_line.clear(); }

private:
    const WindowModel& m_model;
    TerminalLine m_line;
};

// Builds the list with `build`, a search or a load: its progress line on a
// terminal, Ctrl-C as Cancel.
template <class Build>
auto buildList(WindowModel& model, const RunContext& run, const Build& build) {
    ProgressLine progress(model, run.err, run.errIsTerminal);
    model.yield = [&] {
        if (run.watch.interrupted() && !model.SearchCancelled)
            stopScan(model);
    };
    model.listener = &progress;
    const auto outcome = build();
    progress.clear();
    model.yield = nullptr;
    model.listener = nullptr;
    return outcome;
}

// False when the output could not be written for another reason than a
// reader that went away (| head), which ends it quietly.
bool printOutcome(const WindowModel& model, const CliOptions& options, std::ostream& out,
                  std::ostream& err) {
    std::ostream& statusOut = options.summary && !options.json ? out : err;
    errno = 0;
    if (options.json)
        printJson(model, out, !options.summary);
    else if (options.markedOnly)
        printMarked(model, out, options.null);
    else if (!options.summary)
        printGroups(model, out, options.null);
    for (const std::string& line : statusLines(model))
        statusOut << terminalSafe(line) << '\n';
    printSkipped(model, err);
    out.flush();
    if (out || errno == EPIPE)
        return true;
    printMessage(err, std::string("cannot write the output: ") +
                          (errno != 0 ? std::strerror(errno) : "write error"));
    return false;
}

// The search the options describe; the exit status when it left no list to go on with.
std::optional<int> searchFolders(WindowModel& model, const RunContext& run) {
    ExclusionList exclusions;
    if (auto refusal = buildSearch(model, exclusions, run.options, run.ui))
        return refuse(run.err, *refusal);
    ScanSettings settings;
    settings.exclusions = &exclusions;
    const ScanOutcome outcome =
        buildList(model, run, [&] { return Scan(model, run.ui, settings); });
    showElapsedTime(model);
    if (outcome == ScanOutcome::NoSearchPath)
        return exit_status::Failed;
    return std::nullopt;
}

// The saved list instead of a search; the exit status when it could not be
// loaded. Ctrl-C ends a load as Cancel does, with the rows read so far listed.
std::optional<int> loadSession(WindowModel& model, const RunContext& run) {
    const bool loaded = buildList(model, run, [&] {
        return loadSessionList(model, run.ui, run.options, run.err, run.errIsTerminal);
    });
    if (loaded || run.watch.interrupted())
        return std::nullopt;
    printMessage(run.err, "--load-session: " + quoted(*run.options.loadSession) + " not loaded");
    return exit_status::Failed;
}

// Marking, the listing, the files written and the action, on a searched or loaded list.
int markAndAct(WindowModel& model, const RunContext& run) {
    // Nothing is marked or acted on in an unfinished list.
    std::optional<MarkedTotals> marked;
    if (!run.watch.interrupted() && !run.ui.errorReported()) {
        markAsAsked(model, run.ui, run.options);
        marked = prepareAction(model, run.ui, run.options);
    }
    const bool printed = printOutcome(model, run.options, run.out, run.err);
    if (run.ui.errorReported() || !printed)
        return exit_status::Failed;
    if (run.watch.interrupted())
        return exit_status::Interrupted;
    if (!writeListFiles(model, run.ui, run.options, run.err, run.errIsTerminal))
        return exit_status::Failed;
    if (run.watch.interrupted())
        return exit_status::Interrupted;
    if (!marked)
        return exit_status::Completed;
    const ActionConsole console{run.input.in, run.err, run.errIsTerminal,
                                [&] { return run.watch.interrupted(); }};
    return runAction(model, run.ui, run.options, *marked, console);
}

int runSearch(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
              bool errIsTerminal, const CliInput& input) {
    const auto parsed = parseCliOptions(arguments);
    if (const auto* error = std::get_if<UsageError>(&parsed))
        return refuse(err, usage(error->message));
    const CliOptions& options = std::get<CliOptions>(parsed);
    if (options.help || options.version) {
        out << (options.help ? usageText() : "twinsift-cli " TWINSIFT_VERSION "\n");
        return exit_status::Completed;
    }
    if (auto refusal = checkActionOptions(options, input))
        return refuse(err, *refusal);
    if (auto refusal = checkSessionFiles(options))
        return refuse(err, *refusal);

    TerminalUserInterface ui(err);
    WindowModel model;
    const InterruptWatch watch;
    const RunContext run{options, out, err, errIsTerminal, input, watch, ui};
    if (auto status = options.loadSession ? loadSession(model, run) : searchFolders(model, run))
        return *status;
    return markAndAct(model, run);
}

} // namespace

int runCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
           bool errIsTerminal, CliInput input) {
    try {
        return runSearch(arguments, out, err, errIsTerminal, input);
    } catch (const std::bad_alloc&) {
        printMessage(err, "out of memory");
        return exit_status::Failed;
    }
}

} // namespace twinsift
