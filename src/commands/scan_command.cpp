#include "commands/scan_command.h"

#include "core/convert.h"
#include "core/file_info.h"
#include "core/format.h"
#include "core/guard.h"
#include "core/runtime_error.h"
#include "core/walked_file.h"
#include "core/window_commands.h"
#include "engine/find_duplicates.h"
#include "engine/result_list.h"
#include "engine/same_name_engine.h"
#include "engine/worker_pool.h"
#include "persist/parameters_file.h"
#include "platform/user_interface.h"
#include "scan/exclusion_list.h"
#include "scan/scan_path.h"
#include "scan/search_paths.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>

namespace twinsift {
namespace {

// Walker progress goes to the status bar only this often.
constexpr std::int32_t kFoldersPerProgress = 50;

void setPanel(WindowModel& model, Panel panel, std::string text) {
    model.statusPanels[panel].text = std::move(text);
}

// A date bound typed as "mm/dd/yyyy": midnight of that day, local time;
// nothing when the column is empty. Before 1970 the bound is negative.
std::optional<std::time_t> dateBound(const std::string& text) {
    const std::optional<DateTime> date = readDate(text);
    if (!date)
        return std::nullopt;
    return localTimeOf(*date);
}

// One Scan command's working state: what the walker's events collect.
class ScanRun {
public:
    ScanRun(WindowModel& model, UserInterface& ui, const ScanSettings& settings)
        : m_model(model), m_ui(ui), m_settings(settings) {}

    ScanOutcome run();

private:
    bool prepare();
    void resetSearchState();
    void newWalker();
    void configureWalker(const SearchPathRow& row);
    void walk(const SearchPathRow& row);
    std::vector<std::string> excludedFolders() const;
    void folderFound(const EntryDetails& folder);
    void fileFound(const EntryDetails& file);
    bool tooManyFilesAccepted();
    void storeCandidates();
    void runEngine();
    void releaseStores();
    void listZeroSizeFiles();
    void showOutcome();

    WindowModel& m_model;
    UserInterface& m_ui;
    const ScanSettings& m_settings;
    std::unique_ptr<cScanPath> m_walker;
    CandidateStore m_records;
};

ScanOutcome ScanRun::run() {
    if (!prepare())
        return ScanOutcome::NoSearchPath;
    SetScanning(m_model, true);
    if (!m_model.clock)
        m_model.clock.emplace();
    m_model.clock->Reset();
    m_model.Timer1Enabled = true;
    resetSearchState();
    m_model.notices().statusChanged();

    Guard guard(m_ui, "Scanning");
    guard.step(8, [&] { newWalker(); });
    for (const SearchPathRow& row : m_model.SearchList) {
        if (m_model.SearchCancelled || guard.abandoned())
            break;
        if (row.icon != image::ExcludedPath)
            guard.step(9, [&] { walk(row); });
    }
    m_model.FilesFound -= static_cast<std::int32_t>(dropFilesMetTwice(m_records));
    if (!guard.abandoned() && m_model.FilesFound > 0 && !m_model.SearchCancelled) {
        setPanel(m_model, PanelProgress, "Starting search engine, please wait...");
        m_model.notices().statusChanged();
        if (guard.step(11,
                       [&] {
                           if (!tooManyFilesAccepted())
                               m_model.SearchCancelled = true;
                       }) &&
            !m_model.SearchCancelled && guard.step(12, [&] { storeCandidates(); }))
            guard.step(13, [&] { runEngine(); });
    }
    if (guard.abandoned())
        m_model.SearchCancelled = true;
    m_walker.reset();
    releaseStores();

    showOutcome();
    m_model.Timer1Enabled = false;
    SetScanning(m_model, false);
    m_model.Timer2Enabled = true;
    // Whatever was listed, also before an abandoned step, is the new list.
    m_model.notices().listReplaced();
    m_model.notices().statusChanged();
    if (guard.abandoned())
        return ScanOutcome::Failed;
    return m_model.SearchCancelled ? ScanOutcome::Cancelled : ScanOutcome::Completed;
}

// Steps before the window enters the scanning state; false when the command
// ends there.
bool ScanRun::prepare() {
    Guard guard(m_ui, "Scanning");
    if (!m_settings.defaultParametersPath.empty())
        guard.step(1, [&] { SaveSearchParameters(m_model, m_settings.defaultParametersPath); });
    if (!m_model.SearchList.empty())
        return true;
    m_ui.messageBox(
        {"Please add search path first.", "Error", MsgIcon::Information, MsgButtons::OK, 1});
    return false;
}

void ScanRun::resetSearchState() {
    m_model.DuplicateCount = 0;
    m_model.DuplicateBytes = 0;
    m_model.GroupShade = 0;
    m_model.FilesFound = 0;
    m_model.FoldersFound = 0;
    m_model.SearchCancelled = false;
    for (Panel panel : {PanelDuplicates, PanelFiles, PanelFolders})
        setPanel(m_model, panel, {});
    setPanel(m_model, PanelElapsed, "00:00:00");
    m_model.sortIndicators.fill(SortIndicator::None);
    clearResultRows(m_model);
    m_model.RowShades.clear();
    // The last zero-size listing's candidates are not needed any more, and
    // giving them back now keeps them out of this scan's peak.
    m_model.Candidates.clear();
    m_records.clear();
    m_model.skipped.clear();
}

void ScanRun::newWalker() {
    m_walker = std::make_unique<cScanPath>();
    cScanPath& walker = *m_walker;
    // A cancel arrives through a yield, as SearchCancelled.
    walker.yield = [this] {
        m_model.yieldToWindow();
        if (m_model.SearchCancelled)
            m_walker->StopScan();
    };
    walker.DirMatchEx = [this](const EntryDetails& folder) { folderFound(folder); };
    walker.FileMatchEx = [this](const EntryDetails& file) { fileFound(file); };
    walker.Skipped = [this](std::string_view path, std::string_view reason) {
        m_model.skipped.add(std::string(path), std::string(reason));
    };
}

// The walker keeps its settings from one row to the next, so every bound is
// set again for each row.
void ScanRun::configureWalker(const SearchPathRow& row) {
    cScanPath& walker = *m_walker;
    const auto& sub = row.subItems;
    // The value, its column and its row named in the error, so the user can mend the row.
    if (const auto wrong = rowValueProblem(row, m_model.engine != Engine::ZeroSize))
        throw RuntimeError(wrong->number, runtimeErrorText(wrong->number) + ": " + wrong->column +
                                              " '" + wrong->value + "' of the search path '" +
                                              row.text + "' " + wrong->problem);
    if (m_model.engine != Engine::ZeroSize) {
        const std::int64_t minimum = *sizeBoundBytes(sub[SearchPathRow::MinSize]);
        walker.MinimumSize = minimum == 0 ? 1 : minimum;
        walker.MaximumSize =
            sub[SearchPathRow::MaxSize].empty() ? 0 : *sizeBoundBytes(sub[SearchPathRow::MaxSize]);
    }
    walker.DateType = 0;
    walker.FromDate = dateBound(sub[SearchPathRow::MinDate]);
    walker.ToDate = dateBound(sub[SearchPathRow::MaxDate]);
    walker.Hidden = m_model.chkIncludeHidden.checked;
    walker.System = !m_model.chkProtect.checked;
    walker.setFilter(sub[SearchPathRow::FileType]);
    walker.setExFilter(m_settings.exclusions ? m_settings.exclusions->excludedExtensionsText()
                                             : std::string());
    walker.setExFolders(excludedFolders());
}

// The exclusion list's checked folders and every search-path row marked
// Exclude Folder: each of them is left out of every search path. A row is
// taken as written tidied up ("//", "/./"), and also where it really leads,
// since the walk meets it under either name.
std::vector<std::string> ScanRun::excludedFolders() const {
    std::vector<std::string> folders = m_settings.exclusions
                                           ? m_settings.exclusions->checkedFolders()
                                           : std::vector<std::string>();
    for (const SearchPathRow& row : m_model.SearchList) {
        if (row.icon != image::ExcludedPath || row.text.empty())
            continue;
        folders.push_back(std::filesystem::path(row.text).lexically_normal().string());
        std::error_code error;
        const std::filesystem::path real = std::filesystem::canonical(row.text, error);
        if (!error)
            folders.push_back(real.string());
    }
    return folders;
}

void ScanRun::walk(const SearchPathRow& row) {
    configureWalker(row);
    m_walker->StartScan(row.text, row.subItems[SearchPathRow::SubFolders] == "Yes");
}

void ScanRun::folderFound(const EntryDetails& folder) {
    if (++m_model.FoldersFound % kFoldersPerProgress != 0)
        return;
    if (m_model.minimised)
        m_model.caption = "Scanning... " + leadingCharacters(folder.Folder, 3) + ".../" +
                          std::string(folder.Name);
    else
        setPanel(m_model, PanelProgress, "Scanning... " + std::string(folder.Folder));
    m_model.notices().statusChanged();
}

void ScanRun::fileFound(const EntryDetails& file) {
    m_model.yieldToWindow();
    // Every later step opens the file by its path, which the system refuses
    // past its limit; tested first, so that a shorter path to the same file
    // still counts.
    if (file.Folder.size() + file.Name.size() >= PATH_MAX) {
        m_model.skipped.add(std::string(file.Folder) + std::string(file.Name),
                            std::strerror(ENAMETOOLONG));
        return;
    }
    ++m_model.FilesFound;
    m_records.records.push_back({file.Size,
                                 std::string(file.Name),
                                 m_records.folderIndex(file.Folder),
                                 file.LastWrite,
                                 {file.Identity, file.ChangeTime}});
}

bool ScanRun::tooManyFilesAccepted() {
    return m_model.FilesFound <= m_settings.tooManyFiles ||
           m_ui.tooManyFilesWarning(m_model.FilesFound);
}

void ScanRun::storeCandidates() {
    sortCandidates(m_records, m_model.engine == Engine::SameNames ? RecordOrder::NameFirst
                                                                  : RecordOrder::SizeFirst);
    m_model.Candidates = std::move(m_records);
    m_records = {};
}

// Where the engines take over the sorted candidates.
// One pool of readers serves the comparison and the listing.
void ScanRun::runEngine() {
    if (m_model.engine == Engine::ZeroSize) {
        listZeroSizeFiles();
        return;
    }
    WorkerPool pool(m_model.workerThreads);
    if (m_model.engine == Engine::SameNames)
        FindSameNames(m_model, m_ui);
    else
        FindDuplicates(m_model, m_ui, pool);
    ListDuplicateGroups(m_model, m_ui, pool);
}

// The comparison's stores are not needed once the rows are listed, nor after
// a failure; the zero-size listing keeps its candidates until the next scan.
void ScanRun::releaseStores() {
    if (m_model.engine == Engine::ZeroSize)
        return;
    m_model.Candidates.clear();
    m_model.DuplicateGroups = {};
}

// Empty files need no comparison: every one still there is listed.
void ScanRun::listZeroSizeFiles() {
    const CandidateStore& candidates = m_model.Candidates;
    // Each folder's text once for all its rows.
    std::vector<std::optional<SharedText>> folders(candidates.folders.size());
    for (const FileRecord& file : candidates.records) {
        m_model.yieldToWindow();
        const std::string& folder = candidates.folderOf(file);
        const auto stamp = stillWalkedFile(folder + file.name, file.seen, file.size);
        if (!stamp)
            continue;
        std::optional<SharedText>& shared = folders[file.folder];
        if (!shared)
            shared = SharedText(folder);
        m_model.rows.push_back(makeResultRow(file.name, *shared, "N/A",
                                             fileTimeText(file.lastWrite), rowFactsOf(*stamp, 0)));
    }
}

void ScanRun::showOutcome() {
    setPanel(m_model, PanelProgress,
             m_model.SearchCancelled ? status_text::SearchTerminated
                                     : status_text::SearchCompleted);
    setPanel(m_model, PanelDuplicates,
             "Duplicate Files: " + std::to_string(m_model.DuplicateCount) +
                 "  Size: " + SizeText(m_model.DuplicateBytes));
    setPanel(m_model, PanelFiles, status_text::files(m_model.FilesFound));
    setPanel(m_model, PanelFolders, status_text::folders(m_model.FoldersFound));
}

} // namespace

ScanOutcome Scan(WindowModel& model, UserInterface& ui, const ScanSettings& settings) {
    return ScanRun(model, ui, settings).run();
}

} // namespace twinsift
