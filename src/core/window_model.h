#pragma once

#include "core/buz_timer.h"
#include "core/candidates.h"
#include "core/problem_report.h"
#include "core/skip_list.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace twinsift {

// Image numbers of the main window's image list that the system stores and tests.
namespace image {
inline constexpr int PreviewOff = 9;       // toolbar button 11, "Options"/"Display"
inline constexpr int PreviewOn = 10;       //
inline constexpr int DeletePermanent = 11; // toolbar button 12, "Options"/"RecycleBin"
inline constexpr int DeleteToTrash = 12;   //
inline constexpr int SearchPath = 15;      // SearchList row kinds
inline constexpr int ExcludedPath = 16;    //
inline constexpr int Marked = 17;          // RLV row marks
inline constexpr int Unmarked = 18;        //
} // namespace image

inline constexpr const char* kWindowTitle = "Twinsift v" TWINSIFT_VERSION;

// One row of SearchList: the folder path and its six filter columns.
struct SearchPathRow {
    enum SubItem { SubFolders, FileType, MinSize, MaxSize, MinDate, MaxDate };
    std::string text;
    std::array<std::string, 6> subItems;
    int icon = image::SearchPath;
};

// The engine option group Option1 ... Option4.
enum class Engine { ByteByByte = 1, Crc32 = 2, SameNames = 3, ZeroSize = 4 };

// A check box whose click handler may prompt; the prompt is shown only while
// the tag reads "Direct" (loaders set "ThruFile" around their changes).
struct Switch {
    bool checked = false;
    bool enabled = true;
    std::string tag;
};

// A file an engine listed: its record in `WindowModel::Candidates` and the
// shade of its group. Shades alternate from one group to the next, so a
// change of shade starts a group. The rows are made from these when the
// search is over, so that the search holds a few bytes per listed file.
struct DuplicateEntry {
    std::uint32_t record = 0;
    std::int32_t shade = 0;

    friend bool operator==(const DuplicateEntry&, const DuplicateEntry&) = default;
};

// The columns of an RLV row, in model order.
enum ResultColumn {
    ColFileName,
    ColSize,
    ColLastModified,
    ColFileVersion,
    ColGroup,
    ColInFolder,
    ColSortSize,
    ColSortDate,
    ColSortGrpno,
    ColExt,
};
inline constexpr int kResultColumnCount = 10;

// What a row's texts were made from. Whatever decides (marking, protection,
// file operations, exports, the terminal's JSON) reads these; the texts are
// for showing and storing.
struct RowFacts {
    std::int64_t size = 0;
    std::int64_t lastWriteSeconds = 0;
    std::int32_t lastWriteNanoseconds = 0;
    // Numbered from 1 in the order a fresh list shows them; 0 outside any
    // group (the zero-size listing).
    std::int32_t group = 0;
    // The file the walk found; a row read back from a session file has none.
    std::optional<FileIdentity> identity;
};

struct WindowModel;

// A text that many rows hold at once, such as the folder of a folder's
// files: stored once, however many rows share it.
class SharedText {
public:
    SharedText() = default;
    // Not explicit: a plain text may stand wherever a shared one is taken.
    SharedText(std::string text);
    SharedText(const char* text);

    const std::string& str() const;

private:
    std::shared_ptr<const std::string> m_text;
};

// Only what cannot be derived is stored: the size, group and sort texts and
// the extension are made from the facts, the name and the time text each
// time they are read, so that a million rows fit where the search's own
// stores were.
struct ResultRow {
    RowFacts facts;
    int icon = image::Unmarked;
    // Chosen by the user in the list; moves with the row when rows are
    // removed or re-sorted.
    bool selected = false;

    // What the list shows in `column`, made on each call: keep the text,
    // never a pointer or a view into it.
    std::string text(ResultColumn column) const;
    const std::string& name() const { return m_name; }
    // Ends in "/".
    const std::string& folder() const { return m_folder.str(); }

    bool marked() const { return icon == image::Marked; }
    // The "In Folder" text ends in "/", so the path is a plain concatenation.
    std::string fullPath() const { return folder() + name(); }

private:
    friend ResultRow makeResultRow(std::string name, SharedText folder, std::string version,
                                   std::string lastWrite, const RowFacts& facts,
                                   SharedText groupKey);
    friend void renameResultRow(WindowModel& model, std::size_t row, std::string name);

    std::string m_name;
    SharedText m_folder;
    std::string m_version;
    std::string m_lastWrite;
    // The group's sort key as a session file stored it; empty: made from the group.
    SharedText m_groupKey;
};

// The one way a result row is made, for every engine, the zero-size listing
// and a session file: the size and group texts follow `facts`, the sort keys
// follow the texts. `folder` ends in "/"; `lastWrite` is the time text shown.
// A row read back from a session file keeps the group sort key it was saved
// with (`groupKey`, shared by the rows of a group) while its group is
// numbered anew.
ResultRow makeResultRow(std::string name, SharedText folder, std::string version,
                        std::string lastWrite, const RowFacts& facts, SharedText groupKey = {});

// Whether `row` opens a group in the rows' current order: the first row, or
// one of another group than the row above it.
bool startsGroup(const std::vector<ResultRow>& rows, std::size_t row);

// Sort indicator of a column header.
enum class SortIndicator { None, Ascending, Descending };

struct StatusPanel {
    std::string text;
    bool visible = true;
};

// How far a counted piece of work has come, for a front end to draw.
struct WorkProgress {
    std::int64_t done = 0;
    std::int64_t total = 0; // 0: unknown
};

// The status bar's panels, by index into `WindowModel::statusPanels`.
enum Panel { PanelProgress, PanelDuplicates, PanelFiles, PanelFolders, PanelElapsed };

// Status texts that more than one command writes or reads.
namespace status_text {
inline constexpr const char* SearchCompleted = "Search Completed.";
inline constexpr const char* SearchTerminated = "Search Terminated.";
inline constexpr const char* NewSessionHint =
    "Add search path and click on the scan button to start search.";
inline std::string files(std::int64_t count) {
    return "Files : " + std::to_string(count);
}
inline std::string folders(std::int64_t count) {
    return "Folders : " + std::to_string(count);
}
} // namespace status_text

// How a Scan command ended: it found what there was, the user stopped it, an
// error report was abandoned, or it never started for want of a search path.
enum class ScanOutcome { Completed, Cancelled, Failed, NoSearchPath };
// A run of result rows, both ends included.
struct RowRange {
    std::size_t first = 0;
    std::size_t last = 0;
};

// Whoever shows the window model is told, after each change, what it
// touched: a mark repaints one row, and a removal or a re-sort keeps the
// user's selection instead of rebuilding the list. A notice that a
// listener does not override is ignored.
class ModelListener {
public:
    virtual ~ModelListener() = default;
    // Status panels, caption, switches, command states and sort indicators.
    virtual void statusChanged() {}
    virtual void searchPathsChanged() {}
    virtual void rowsChanged(RowRange /*rows*/) {}
    // The rows now at `rows` are new.
    virtual void rowsInserted(RowRange /*rows*/) {}
    // These runs of rows, numbered as before the removal, ascending and
    // apart, are gone; the rest closed up in order.
    virtual void rowsRemoved(const std::vector<RowRange>& /*removed*/) {}
    // Row i now holds what row formerRow[i] held.
    virtual void rowsReordered(const std::vector<std::size_t>& /*formerRow*/) {}
    // Nothing of the former list is kept.
    virtual void listReplaced() {}
};

// All state of a search that the main window shows, free of any toolkit.
// Subsystems change it and tell its listener what they changed.
struct WindowModel {
    // Search paths
    std::vector<SearchPathRow> SearchList;
    int selectedSearchPath = -1;
    bool cmdRemoveEnabled = false;

    // Engine choice and switches
    Engine engine = Engine::ByteByByte;
    Switch chkFuzzy{false, true, "Thru"};
    Switch chkProtect{true, true, "Direct"};
    Switch chkIncludeHidden{false, true, ""};

    // Result list RLV and its per-group tables
    std::vector<ResultRow> rows;
    // The row with the keyboard focus, if any.
    std::optional<std::size_t> focusedRow;
    std::vector<std::int32_t> GroupSizes{0};
    std::int32_t GroupCount = 0;
    std::vector<std::int32_t> RowShades;
    bool ShadingSuspended = false;
    // The folders of the listed rows, each once in first-seen order: the
    // choices of the advanced-marking dialog's folder list.
    std::vector<std::string> lvFolders;
    int sortKey = ColFileName;
    bool sortDescending = false;
    std::array<SortIndicator, kResultColumnCount> sortIndicators{};

    // Status bar StatusBar1 (panels 1 to 5 at index 0 to 4), caption, menu states, toggles
    std::array<StatusPanel, 5> statusPanels;
    std::string caption = kWindowTitle;
    bool minimised = false; // kept by the desktop; progress then goes to the caption
    std::string helpFile;
    bool MMarkAllVisible = false;
    bool MMarkAllDuplicatesVisible = true;
    bool mnuAdvMarkFormVisible = true;
    int display = image::PreviewOn;        // toolbar button 11 image, "Options"/"Display"
    int recycleBin = image::DeleteToTrash; // toolbar button 12 image, "Options"/"RecycleBin"

    // What the scanning state disables (SetScanning, EnableMenus).
    bool toolbarEnabled = true;        // every Toolbar1 button but button 2
    bool MCancelEnabled = false;       // MCancel and toolbar button 2
    bool menusEnabled = true;          // MScan ... MHelp and MnuFile together
    bool searchControlsEnabled = true; // SearchList, cmdAdd, cmdExclude, Option1-4, RLV
    bool Timer1Enabled = false;        // elapsed-time display, every second
    bool Timer2Enabled = false;        // end sound, once, half a second after a scan

    // Search state
    bool scanning = false;
    bool SearchCancelled = false;
    // The counts the progress texts of panel 1 show, kept apart from their wording.
    WorkProgress progress;
    std::int64_t DuplicateCount = 0;
    std::int64_t DuplicateBytes = 0;
    std::int32_t FilesFound = 0;
    std::int32_t FoldersFound = 0;
    int GroupShade = 0;
    // What the last scan left out, with the reasons; the front ends show it.
    SkipList skipped;
    // Threads that read and hash files during a comparison; 0: one per core.
    unsigned workerThreads = 0;

    // The stores of a search and the clock.
    CandidateStore Candidates;
    // What an engine found, group by group, until the rows are made of it.
    std::vector<DuplicateEntry> DuplicateGroups;
    std::optional<buzTimer> clock;

    // What the front end fills in: `yield` lets the window breathe during
    // long work; the listener (not owned; none: changes go unannounced) is
    // told what changed.
    std::function<void()> yield;
    ModelListener* listener = nullptr;

    bool pictureViewerOn() const { return display == image::PreviewOn; }
    bool sendsToRecycleBin() const { return recycleBin != image::DeletePermanent; }

    void yieldToWindow() const {
        if (yield)
            yield();
    }
    // The listener, or one that ignores every notice.
    ModelListener& notices() const;
};

// Whether row `row` gets the light-blue background: even runs of RowShades.
// Rows past the table (a refresh not yet run) and suspended shading stay plain.
bool rowIsShaded(const WindowModel& model, std::size_t row);

// Recomputes RowShades from the current row order: the number of group
// changes seen from the top down to each row.
void computeRowShades(WindowModel& model);

// The list control's own re-sort, stable: the size, date and group keys by
// the rows' typed facts, the other columns by their text compared without
// regard to letter case. Selection and focus stay with their rows.
void sortResultRows(WindowModel& model, int keyColumn, bool descending);

// Empties the result list, focus included.
void clearResultRows(WindowModel& model);

// Announces the rows appended since the list held `from` rows; returns the
// number of rows now announced.
std::size_t announceAppendedRows(WindowModel& model, std::size_t from);

// Sets or clears the mark of the rows in `range` (cut to the list).
void markRows(WindowModel& model, RowRange range, bool marked);

// The file of row `row` now has the name `name` in the same folder; its
// facts, mark and place in the list stay.
void renameResultRow(WindowModel& model, std::size_t row, std::string name);

// Removes every row that `drop` picks; the others keep their order, their
// selection and the focus.
void removeResultRows(WindowModel& model, const std::function<bool(const ResultRow&)>& drop);

// What the problem report tells about the search on screen when `error` happened.
ProblemReportFacts problemReportFacts(const WindowModel& model, const ErrorRecord& error);

} // namespace twinsift
