#pragma once

#include "core/window_model.h"

namespace twinsift {

class UserInterface;
class WorkerPool;

// Fills the result rows from `model.DuplicateGroups`: one unmarked row per
// entry whose path still reaches the file the walk saw, unchanged (its
// record in `model.Candidates`), in entry order; after a tolerant comparison
// a group whose first file is gone is left out whole. A new group number
// starts at the first listed file after a change of the entries' shade; a
// group whose files have all vanished gets no number. The version text is
// read here, for the listed files only. The candidates and the entries are
// given back before the rows are made. Also fills GroupSizes, GroupCount,
// lvFolders and RowShades, and shows "Loading Searched Result...(i/N)" in
// panel 1 after every 500th entry. The files are looked at on `pool`.
void ListDuplicateGroups(WindowModel& model, UserInterface& ui, WorkerPool& pool);

// The facts of a listed row whose file lstat found as `stamp`.
RowFacts rowFactsOf(const FileStamp& stamp, std::int32_t group);

// RowShades from the rows' current order (after filling, pruning, sorting or
// deleting); failures go to the error report as "Refresh ColorShade".
void RefreshColorShade(WindowModel& model, UserInterface& ui);

// Removes every row that is the only listed row of its group, then shades
// again. GroupSizes is recounted from the rows; group numbers are kept, so
// gaps may appear. The zero-size listing, which has no groups, is left alone.
void RemoveRemainingOriginal(WindowModel& model, UserInterface& ui);

// What the status bar counts as duplicate files: every row of a group but
// the first, wherever the group's rows stand in the list.
struct DuplicateTotals {
    std::int64_t count = 0;
    std::int64_t bytes = 0;

    friend bool operator==(const DuplicateTotals&, const DuplicateTotals&) = default;
};
DuplicateTotals duplicateTotals(const std::vector<ResultRow>& rows);

} // namespace twinsift
