#pragma once

#include "marking/quick_marks.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace twinsift {

struct ResultRow;
struct WindowModel;
class ShellServices;
class UserInterface;

enum class FileOpMode { Delete, Move, Copy };

// The dialog's choices as they stood when OK started the run.
struct FileOpSettings {
    FileOpMode mode = FileOpMode::Delete;
    bool toTrash = true;            // Delete: the Trash, or for good
    bool yesToAll = true;           // answer the run's own questions with Yes
    bool removeEmptyFolders = true; // Delete and Move: the sweep afterwards
    bool withStructure = false;     // Move and Copy: MakeStructure below the destination
    std::string destination;        // Move and Copy
};

// One row of the error list: "1005", "Unable to delete file: Permission
// denied", the file's full path.
struct FileOpFailure {
    std::string number;
    std::string description;
    std::string path;

    friend bool operator==(const FileOpFailure&, const FileOpFailure&) = default;
};

// What a run shows while it goes, and where it learns of Cancel. The dialogs
// implement it; so do the terminal and the tests, which use showFile() as the
// moment just before a file is checked and acted on.
class FileOpProgress {
public:
    virtual ~FileOpProgress() = default;
    // lblFileName: the file being processed (already cut to 70 characters and
    // "..."), or the run's stage ("Checking for empty folders. Please
    // wait...", "Completed").
    virtual void showLabel(const std::string& text) = 0;
    virtual void showProgress(std::int64_t value, std::int64_t maximum) = 0;
    virtual void addFailure(const FileOpFailure& failure) = 0;
    // Asked after each yield, before the next row; true stops the walk.
    virtual bool cancelRequested() = 0;
};

struct FileOpOutcome {
    std::int64_t done = 0; // files deleted, moved or copied
    std::vector<FileOpFailure> failures;
    bool cancelled = false; // by the progress's Cancel or a confirmation's Cancel
};

// The run of fileDelFrm and FileCMFrm over the marked rows of `model`, in
// list order. Before acting on a file it checks that the file is still the
// one the search listed (and, for Delete and Move of a duplicate group, that
// a copy the user kept is still there); a file that fails either check is not
// touched and gets its mode's failure row. Then the sweep of the folders it
// emptied, when asked for. The list itself is not changed: that is
// updateListAfterFileOperation(), once the dialog has closed.
FileOpOutcome runFileOperation(const WindowModel& model, const FileOpSettings& settings,
                               ShellServices& shell, UserInterface& ui, FileOpProgress& progress);

// Why the file of `row` may not be acted on: "no longer exists", "is now a
// link", "changed since the search"; nothing when it is still the regular
// file with the row's size, modification time and (where the row has one)
// identity. Rows without an identity (read back from a session) are compared
// by the Last Modified text.
std::optional<std::string> changedSinceSearch(const ResultRow& row);

// lblFileName's text for a path: a path of 71 characters or more shows its
// first 70 and "...".
std::string progressLabel(const std::string& path);

// The folder a file of `sourceFolder` goes to when copied or moved "with
// directory structure" to `destination`: "/home/a/b/" to "/backup" gives
// "/backup/home/a/b" (no trailing "/", no empty, "." or ".." components).
// Nothing is created here.
std::string MakeStructure(const std::string& sourceFolder, const std::string& destination);

// Steps 1 and 2 of Delete and Move: the original-protection check (skipped
// for the zero-size listing), then the marked totals into panel 1. Nothing
// (after "No items marked/checked" when nothing is marked) when the command
// stops here.
std::optional<MarkedTotals> beginDeleteOrMove(WindowModel& model, UserInterface& ui);
// Step 1 of Copy: the marked totals, or nothing after "No items marked/checked".
std::optional<MarkedTotals> beginCopy(WindowModel& model, UserInterface& ui);

// After a Delete or Move dialog closed with a run done: the marked rows
// whose files are gone leave the list, then the groups left with one row
// (not for the zero-size listing), the totals of the marks left into
// panel 1, and the shading again.
void updateListAfterFileOperation(WindowModel& model, UserInterface& ui);

} // namespace twinsift
