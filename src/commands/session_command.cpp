#include "commands/session_command.h"

#include "core/format.h"
#include "core/walked_file.h"
#include "core/window_commands.h"
#include "engine/find_duplicates.h"
#include "engine/result_list.h"
#include "engine/worker_pool.h"
#include "fileops/file_operation.h"
#include "marking/quick_marks.h"
#include "platform/user_interface.h"
#include "scan/exclusion_list.h"

#include <sys/stat.h>

#include <cerrno>
#include <unordered_set>

namespace twinsift {
namespace {

// The window is refreshed this often while saved files are looked at.
constexpr std::size_t kFilesPerYield = 500;

void setPanel(WindowModel& model, Panel panel, std::string text) {
    model.statusPanels[panel].text = std::move(text);
}

// The window as a load begins: a new session, the scanning state and
// cleared counters. Nothing of the previous session may outlive a load
// that fails before its first line.
void startLoad(WindowModel& model) {
    model.GroupSizes.assign(1, 0);
    model.GroupCount = 0;
    model.lvFolders.clear();
    newSession(model);
    model.Candidates.clear();
    SetScanning(model, true);
    if (!model.clock)
        model.clock.emplace();
    model.clock->Reset();
    model.Timer1Enabled = true;
    model.DuplicateCount = 0;
    model.DuplicateBytes = 0;
    for (Panel panel : {PanelDuplicates, PanelFiles, PanelFolders})
        setPanel(model, panel, {});
    setPanel(model, PanelElapsed, "00:00:00");
    model.FilesFound = 0;
    model.FoldersFound = 0;
    model.SearchCancelled = false;
    model.ShadingSuspended = true;
    model.notices().statusChanged();
}

// The saved files as the candidates of a comparison, as they are now: a
// file that is gone, or is no longer a regular file of the saved size, is
// left out, and so is a file the session lists under two paths (hard
// links, or a folder that has since become a link to another), lest one
// file be both the copy kept and the copy deleted.
CandidateStore savedFilesNow(WindowModel& model) {
    CandidateStore store;
    store.records.reserve(model.rows.size());
    std::size_t looked = 0;
    for (const ResultRow& row : model.rows) {
        if (++looked % kFilesPerYield == 0) {
            model.yieldToWindow();
            if (model.SearchCancelled)
                break;
        }
        const std::string path = row.fullPath();
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0) {
            if (const std::string reason = leftOutReason(errno); !reason.empty())
                model.skipped.add(path, reason);
            continue;
        }
        if (!S_ISREG(status.st_mode) || status.st_size != row.facts.size) {
            model.skipped.add(path, "changed since the session was saved");
            continue;
        }
        store.records.push_back({row.facts.size,
                                 row.name(),
                                 store.folderIndex(row.folder()),
                                 status.st_mtim.tv_sec,
                                 {{static_cast<std::uint64_t>(status.st_dev),
                                   static_cast<std::uint64_t>(status.st_ino)},
                                  nanosecondsOf(status.st_ctim.tv_sec, status.st_ctim.tv_nsec)}});
    }
    dropFilesMetTwice(store);
    return store;
}

// "Re-Scan": the saved rows give way to what the byte-by-byte comparison
// finds among their files now; cancelled before the comparison, they stay.
// The engine and switches the file restored stay selected.
void reScan(WindowModel& model, UserInterface& ui) {
    CandidateStore candidates = savedFilesNow(model);
    if (model.SearchCancelled)
        return;
    sortCandidates(candidates, RecordOrder::SizeFirst);
    clearResultRows(model);
    model.RowShades.clear();
    model.GroupSizes.assign(1, 0);
    model.lvFolders.clear();
    model.DuplicateCount = 0;
    model.DuplicateBytes = 0;
    model.GroupShade = 0;
    model.DuplicateGroups.clear();
    model.Candidates = std::move(candidates);

    const Engine engine = model.engine;
    const bool fuzzy = model.chkFuzzy.checked;
    model.engine = Engine::ByteByByte;
    model.chkFuzzy.checked = false;
    {
        WorkerPool pool(model.workerThreads);
        FindDuplicates(model, ui, pool);
        ListDuplicateGroups(model, ui, pool);
    }
    model.engine = engine;
    model.chkFuzzy.checked = fuzzy;
    model.Candidates.clear();
    model.DuplicateGroups = {};
}

void recountFolders(WindowModel& model) {
    std::unordered_set<std::string> seen;
    model.lvFolders.clear();
    for (const ResultRow& row : model.rows)
        if (seen.insert(row.folder()).second)
            model.lvFolders.push_back(row.folder());
}

// A stopped read can cut the last group short, down to one row, which is
// then no group of duplicates at all.
void dropCutShortGroup(WindowModel& model) {
    if (model.engine == Engine::ZeroSize || model.rows.empty())
        return;
    const auto last = static_cast<std::size_t>(model.rows.back().facts.group);
    if (last >= model.GroupSizes.size() || model.GroupSizes[last] != 1)
        return;
    --model.GroupSizes[last];
    const ResultRow* lastRow = &model.rows.back();
    removeResultRows(model, [lastRow](const ResultRow& row) { return &row == lastRow; });
    recountFolders(model);
}

// What the status bar counts, from the rows that are left: the marked rows
// and, outside the zero-size listing (whose counters stay the saved ones),
// each row of a group after its first.
void recountTotals(WindowModel& model, SessionReadOutcome& outcome) {
    const MarkedTotals marked = countMarked(model);
    outcome.markedCount = static_cast<std::size_t>(marked.count);
    outcome.markedBytes = marked.bytes;
    if (model.engine == Engine::ZeroSize)
        return;
    const DuplicateTotals duplicates = duplicateTotals(model.rows);
    model.DuplicateCount = duplicates.count;
    model.DuplicateBytes = duplicates.bytes;
}

// "Check for invalid/dead path": rows whose file is gone or changed since
// the session was saved are dropped, then groups left with one row. A
// cancel keeps the rows not yet looked at.
void reCheck(WindowModel& model, UserInterface& ui, SessionReadOutcome& outcome) {
    std::size_t looked = 0;
    removeResultRows(model, [&](const ResultRow& row) {
        if (++looked % kFilesPerYield == 0)
            model.yieldToWindow();
        return !model.SearchCancelled && changedSinceSearch(row).has_value();
    });
    RemoveRemainingOriginal(model, ui);
    recountFolders(model);
    recountTotals(model, outcome);
}

void showLoadOutcome(WindowModel& model, const SessionReadOutcome& outcome) {
    if (outcome.resultLines < 2) {
        for (Panel panel : {PanelDuplicates, PanelFiles, PanelFolders})
            model.statusPanels[panel].visible = false;
        setPanel(model, PanelElapsed, "00:00:00");
        return;
    }
    if (model.SearchCancelled)
        setPanel(model, PanelProgress, status_text::SearchTerminated);
    else if (outcome.markedCount > 0)
        setPanel(model, PanelProgress,
                 "Total Files Marked " + std::to_string(outcome.markedCount) + " Size " +
                     SizeText(outcome.markedBytes));
    else
        setPanel(model, PanelProgress, status_text::SearchCompleted);
    setPanel(model, PanelFiles, status_text::files(model.FilesFound));
    setPanel(model, PanelFolders, status_text::folders(model.FoldersFound));
    setPanel(model, PanelDuplicates,
             "Duplicate Files: " + std::to_string(model.DuplicateCount) +
                 "  Size: " + SizeText(model.DuplicateBytes));
}

} // namespace

bool OpenTwinsiftFile(WindowModel& model, const std::string& path, UserInterface& ui,
                      const SessionLoad& load) {
    startLoad(model);
    SessionReading reading;
    reading.progress = load.progress;
    if (load.exclusions)
        reading.excludedFolder = [&](const std::string& folder) {
            load.exclusions->addFolder(folder);
        };
    SessionReadOutcome outcome = readSessionFile(model, path, ui, reading);
    // The checks that may follow count nothing until a comparison does.
    model.progress = {};
    const bool read = outcome.opened && outcome.stop == ParametersFileOutcome::None;
    if (outcome.stop == ParametersFileOutcome::Failure)
        model.SearchCancelled = true;
    selectEngine(model, model.engine);
    model.notices().searchPathsChanged();
    // Re-check removes rows, which the list must have been told of first.
    model.notices().listReplaced();
    if (model.SearchCancelled)
        dropCutShortGroup(model);

    if (read) {
        if (load.fileRead)
            load.fileRead();
        if (load.reScan && model.engine != Engine::ZeroSize && outcome.resultLines > 0) {
            reScan(model, ui);
            outcome.markedCount = 0;
        }
        if (load.reCheck)
            reCheck(model, ui, outcome);
    }
    model.ShadingSuspended = false;
    if (model.RowShades.size() != model.rows.size())
        computeRowShades(model);

    model.Timer1Enabled = false;
    SetScanning(model, false);
    model.Timer2Enabled = true;
    showLoadOutcome(model, outcome);
    model.notices().listReplaced();
    model.notices().statusChanged();
    // The rows after a short line are still in the file but not on screen:
    // saving now would lose them, so the user must know.
    if (outcome.stop == ParametersFileOutcome::ShortLine)
        ui.messageBox({"\"" + path + "\" line " + std::to_string(outcome.line) +
                           " has too few fields; the lines after it were not read.",
                       "Open Session", MsgIcon::Exclamation, MsgButtons::OK, 1});
    return read && !model.SearchCancelled;
}

} // namespace twinsift
