#include "fileops/file_operation.h"

#include "core/file_info.h"
#include "core/format.h"
#include "core/io_result.h"
#include "core/walked_file.h"
#include "core/window_model.h"
#include "engine/result_list.h"
#include "marking/originals_check.h"
#include "platform/shell_services.h"
#include "platform/user_interface.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unordered_map>
#include <unordered_set>

namespace twinsift {
namespace {

constexpr int kLabelCharacters = 70;
constexpr const char* kGone = "no longer exists";
constexpr const char* kNoKeptCopy = "no unmarked copy of this group remains";

struct FailureText {
    const char* number;
    const char* description;
};

FailureText failureTextOf(FileOpMode mode) {
    switch (mode) {
    case FileOpMode::Delete:
        return {"1005", "Unable to delete file"};
    case FileOpMode::Move:
        return {"1006", "Unable to move file"};
    case FileOpMode::Copy:
        break;
    }
    return {"1007", "Unable to copy file"};
}

std::string reasonOf(const IoError& error) {
    return error.reason.empty() ? std::strerror(error.error) : error.reason;
}

// Nothing is left at `path`: what a delete or a move means to leave.
bool isGone(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

// The file `path` names now, or nothing when it cannot be looked at.
std::optional<FileIdentity> identityNow(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0)
        return std::nullopt;
    return FileIdentity{status.st_dev, status.st_ino};
}

bool isFolder(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// Creates every missing level of `folder`; errno of the last level, or 0.
int createFolders(const std::string& folder) {
    int error = 0;
    for (std::size_t end = 1; end <= folder.size(); ++end) {
        if (end < folder.size() && folder[end] != '/')
            continue;
        error = ::mkdir(folder.substr(0, end).c_str(), 0777) == 0 || errno == EEXIST ? 0 : errno;
    }
    return error;
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// Holds nothing but "." and ".."; a folder that cannot be read counts as
// empty, and its removal then fails quietly.
bool isEmptyFolder(const std::string& folder) {
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir)
        return true;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            return false;
    }
    return true;
}

// One run over the marked rows.
class FileOperationRun {
public:
    FileOperationRun(const WindowModel& model, const FileOpSettings& settings, ShellServices& shell,
                     UserInterface& ui, FileOpProgress& progress)
        : m_model(model), m_settings(settings), m_shell(shell), m_ui(ui), m_progress(progress),
          m_failureText(failureTextOf(settings.mode)), m_askNoMore(settings.yesToAll) {
        if (settings.mode != FileOpMode::Copy && model.engine != Engine::ZeroSize)
            noteKeptCopies();
    }

    FileOpOutcome run() {
        const std::int64_t maximum = countMarked(m_model).count;
        std::int64_t value = 0;
        m_progress.showProgress(value, maximum);
        for (std::size_t r = 0; r < m_model.rows.size(); ++r) {
            m_model.yieldToWindow();
            if (m_progress.cancelRequested()) {
                m_outcome.cancelled = true;
                break;
            }
            const ResultRow& row = m_model.rows[r];
            if (!row.marked())
                continue;
            m_progress.showLabel(progressLabel(row.fullPath()));
            const Step step = actOn(row);
            m_progress.showProgress(++value, maximum);
            if (m_settings.mode != FileOpMode::Copy)
                noteSweepFolder(row.folder());
            if (step == Step::Stop) {
                m_outcome.cancelled = true;
                break;
            }
        }
        if (m_settings.removeEmptyFolders && m_settings.mode != FileOpMode::Copy)
            sweep();
        // Copy leaves the last file's name showing.
        if (m_settings.mode != FileOpMode::Copy)
            m_progress.showLabel("Completed");
        if (m_settings.mode != FileOpMode::Delete)
            m_progress.showProgress(maximum, maximum);
        return std::move(m_outcome);
    }

private:
    enum class Step { Next, Stop };
    enum class Reply { Yes, No, Cancel };

    // The rows of each group that were unmarked when the run started: the
    // copies the user means to keep.
    void noteKeptCopies() {
        for (std::size_t r = 0; r < m_model.rows.size(); ++r) {
            const ResultRow& row = m_model.rows[r];
            if (!row.marked() && row.facts.group > 0)
                m_keptRows[row.facts.group].push_back(r);
        }
    }

    // A kept row that reaches the marked file itself (hard links, or a
    // folder that became a link to another after the rows were listed) is
    // no copy: acting on the marked file would lose the only one.
    bool keptCopyRemains(const ResultRow& row) const {
        const auto kept = m_keptRows.find(row.facts.group);
        if (row.facts.group <= 0 || kept == m_keptRows.end())
            return true;
        const std::optional<FileIdentity> marked = identityNow(row.fullPath());
        return std::ranges::any_of(kept->second, [&](std::size_t r) {
            const ResultRow& keptRow = m_model.rows[r];
            return !changedSinceSearch(keptRow).has_value() &&
                   identityNow(keptRow.fullPath()) != marked;
        });
    }

    // Why the file of `row` must be left alone, if it must.
    std::optional<std::string> refusal(const ResultRow& row) const {
        if (auto changed = changedSinceSearch(row))
            return changed;
        if (!keptCopyRemains(row))
            return kNoKeptCopy;
        return std::nullopt;
    }

    void fail(const ResultRow& row, const std::string& reason) {
        FileOpFailure failure{m_failureText.number,
                              std::string(m_failureText.description) + ": " + reason,
                              row.fullPath()};
        m_progress.addFailure(failure);
        m_outcome.failures.push_back(std::move(failure));
    }

    Reply ask(const std::string& question) {
        if (m_askNoMore)
            return Reply::Yes;
        const MsgAnswer answer = m_ui.messageBox(
            {question, "Confirm", MsgIcon::Question, MsgButtons::YesYesToAllNoCancel, 1});
        switch (answer) {
        case MsgAnswer::YesToAll:
            m_askNoMore = true;
            return Reply::Yes;
        case MsgAnswer::Yes:
            return Reply::Yes;
        case MsgAnswer::No:
            return Reply::No;
        default:
            return Reply::Cancel;
        }
    }

    // Whether the file of `row` may be acted on now; if not, its failure
    // row is given (a file deleted by someone else during a Delete is
    // already what the user wanted, and gets none).
    bool stillToActOn(const ResultRow& row) {
        const auto reason = refusal(row);
        if (!reason)
            return true;
        if (m_settings.mode != FileOpMode::Delete || *reason != kGone)
            fail(row, *reason);
        return false;
    }

    Step actOn(const ResultRow& row) {
        if (!stillToActOn(row))
            return Step::Next;
        const bool asks = !m_askNoMore;
        const Reply reply =
            m_settings.mode == FileOpMode::Delete ? confirmDelete(row) : prepareFolder(row);
        if (reply == Reply::Cancel)
            return Step::Stop;
        // An answer may take long: the file is looked at again after it.
        if (reply == Reply::No || (asks && !stillToActOn(row)))
            return Step::Next;
        return m_settings.mode == FileOpMode::Delete ? deleteOne(row) : placeOne(row);
    }

    Reply confirmDelete(const ResultRow& row) {
        const std::string question =
            m_settings.toTrash
                ? "Are you sure you want to move \"" + row.name() + "\" to the Trash?"
                : "Are you sure you want to permanently delete \"" + row.name() + "\"?";
        const Reply reply = ask(question);
        if (reply == Reply::No)
            fail(row, "not confirmed");
        return reply;
    }

    std::string targetFolder(const ResultRow& row) const {
        return m_settings.withStructure ? MakeStructure(row.folder(), m_settings.destination)
                                        : m_settings.destination;
    }

    // The destination folder of `row` made ready, with the user's leave.
    Reply prepareFolder(const ResultRow& row) {
        const std::string folder = targetFolder(row);
        // Looked up once: one that goes away later fails its files' moves,
        // which then get their rows.
        if (m_readyFolders.contains(folder))
            return Reply::Yes;
        if (isFolder(folder)) {
            m_readyFolders.insert(folder);
            return Reply::Yes;
        }
        const Reply reply = m_declinedFolders.contains(folder)
                                ? Reply::No
                                : ask("Create the folder \"" + folder + "\"?");
        if (reply == Reply::No) {
            m_declinedFolders.insert(folder);
            fail(row, "folder not created");
            return reply;
        }
        if (reply == Reply::Yes) {
            if (const int error = createFolders(folder)) {
                fail(row, std::strerror(error));
                return Reply::No;
            }
            m_readyFolders.insert(folder);
        }
        return reply;
    }

    Step deleteOne(const ResultRow& row) {
        const IoResult result = m_shell.ShellDelete(row.fullPath(), m_settings.toTrash);
        if (result.ok())
            ++m_outcome.done;
        // Gone between the look and the delete: as good as deleted. GIO also
        // says "not found" when it cannot write the Trash's records, so the
        // file itself must be gone.
        else if (result.error().error != ENOENT || !isGone(row.fullPath()))
            fail(row, reasonOf(result.error()));
        return Step::Next;
    }

    Step placeOne(const ResultRow& row) {
        // The window must breathe for a Cancel to be pressed during a long copy.
        const CancelCheck cancelled = [this] {
            m_model.yieldToWindow();
            return m_progress.cancelRequested();
        };
        const std::string source = row.fullPath();
        const std::string folder = targetFolder(row);
        const Placed placed = m_settings.mode == FileOpMode::Move
                                  ? m_shell.ShellMove(source, folder, cancelled)
                                  : m_shell.ShellCopy(source, folder, cancelled);
        if (placed.result.ok()) {
            ++m_outcome.done;
            return Step::Next;
        }
        // Stopped half-way by Cancel: nothing was placed and nothing is wrong.
        if (placed.result.error().error == ECANCELED)
            return Step::Stop;
        fail(row, reasonOf(placed.result.error()));
        return Step::Next;
    }

    void noteSweepFolder(const std::string& folder) {
        if (m_sweepSeen.insert(folder).second)
            m_sweepFolders.push_back(folder);
    }

    // Only the folders the run took files from, never their parents.
    void sweep() {
        m_progress.showLabel("Checking for empty folders. Please wait...");
        const auto count = static_cast<std::int64_t>(m_sweepFolders.size());
        const std::int64_t maximum = std::max<std::int64_t>(count, 1);
        m_progress.showProgress(0, maximum);
        for (std::int64_t k = 0; k < count; ++k) {
            m_model.yieldToWindow();
            const std::string& folder = m_sweepFolders[static_cast<std::size_t>(k)];
            if (isEmptyFolder(folder))
                ::rmdir(folder.c_str());
            m_progress.showProgress(k + 1, maximum);
        }
    }

    const WindowModel& m_model;
    const FileOpSettings& m_settings;
    ShellServices& m_shell;
    UserInterface& m_ui;
    FileOpProgress& m_progress;
    const FailureText m_failureText;
    bool m_askNoMore;
    std::unordered_map<std::int32_t, std::vector<std::size_t>> m_keptRows;
    std::unordered_set<std::string> m_declinedFolders;
    std::unordered_set<std::string> m_readyFolders;
    std::vector<std::string> m_sweepFolders;
    std::unordered_set<std::string> m_sweepSeen;
    FileOpOutcome m_outcome;
};

// The totals, or nothing after telling that nothing is marked.
std::optional<MarkedTotals> someMarked(MarkedTotals totals, UserInterface& ui) {
    if (totals.count > 0)
        return totals;
    ui.messageBox({"No items marked/checked", "Error", MsgIcon::None, MsgButtons::OK});
    return std::nullopt;
}

} // namespace

FileOpOutcome runFileOperation(const WindowModel& model, const FileOpSettings& settings,
                               ShellServices& shell, UserInterface& ui, FileOpProgress& progress) {
    return FileOperationRun(model, settings, shell, ui, progress).run();
}

std::optional<std::string> changedSinceSearch(const ResultRow& row) {
    struct stat status {};
    if (::lstat(row.fullPath().c_str(), &status) != 0)
        return errno == ENOENT || errno == ENOTDIR ? std::string(kGone) : std::strerror(errno);
    if (S_ISLNK(status.st_mode))
        return "is now a link";
    const RowFacts& facts = row.facts;
    bool same = S_ISREG(status.st_mode) && status.st_size == facts.size;
    if (facts.identity) {
        same = same && status.st_mtim.tv_sec == facts.lastWriteSeconds &&
               status.st_mtim.tv_nsec == facts.lastWriteNanoseconds &&
               static_cast<std::uint64_t>(status.st_dev) == facts.identity->device &&
               static_cast<std::uint64_t>(status.st_ino) == facts.identity->inode;
    } else {
        // A saved row knows its time only as the text the user saw; text to
        // text, so the hour repeated when clocks go back cannot be mistaken.
        same = same && fileTimeText(status.st_mtim.tv_sec) == row.text(ColLastModified);
    }
    if (!same)
        return "changed since the search";
    return std::nullopt;
}

std::string progressLabel(const std::string& path) {
    std::string shown = leadingCharacters(path, kLabelCharacters);
    if (shown.size() < path.size())
        shown += "...";
    return shown;
}

std::string MakeStructure(const std::string& sourceFolder, const std::string& destination) {
    std::string target = destination;
    while (target.size() > 1 && target.ends_with('/'))
        target.pop_back();
    if (target == "/")
        target.clear();
    for (std::size_t start = 0; start <= sourceFolder.size();) {
        std::size_t end = sourceFolder.find('/', start);
        if (end == std::string::npos)
            end = sourceFolder.size();
        const std::string part = sourceFolder.substr(start, end - start);
        if (!part.empty() && part != "." && part != "..")
            target += "/" + part;
        start = end + 1;
    }
    return target.empty() ? "/" : target;
}

std::optional<MarkedTotals> beginDeleteOrMove(WindowModel& model, UserInterface& ui) {
    if (checkOriginals(model, ui) == OriginalsCheck::Abandoned)
        return std::nullopt;
    const MarkedTotals totals = countMarked(model);
    ShowMarkedTotals(model, totals);
    return someMarked(totals, ui);
}

std::optional<MarkedTotals> beginCopy(WindowModel& model, UserInterface& ui) {
    return someMarked(countMarked(model), ui);
}

void updateListAfterFileOperation(WindowModel& model, UserInterface& ui) {
    removeResultRows(
        model, [](const ResultRow& row) { return row.marked() && !FileExists(row.fullPath()); });
    model.yieldToWindow();
    // Also shades again; the zero-size listing has neither groups nor shades.
    RemoveRemainingOriginal(model, ui);
    ShowMarkedTotals(model, countMarked(model));
}

} // namespace twinsift
