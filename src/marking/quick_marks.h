#pragma once

#include <cstddef>
#include <cstdint>

namespace twinsift {

struct WindowModel;
class UserInterface;

// The marked rows and the bytes they hold.
struct MarkedTotals {
    std::int64_t count = 0;
    std::int64_t bytes = 0;
};

// Counts the marked rows from their typed sizes.
MarkedTotals countMarked(const WindowModel& model);

// Panel 1: "Total Files Marked N Size S".
void ShowMarkedTotals(WindowModel& model, MarkedTotals totals);

// The quick marking commands of the Mark Quick menu. Each changes only the
// marks (announcing just the rows it touched) and ends with the totals in
// panel 1.
void markNone(WindowModel& model);
void invertMarks(WindowModel& model);
void markAll(WindowModel& model);
// Marks (or unmarks) every selected row.
void MMarkingSelected_Click(WindowModel& model);
void mnuUnMarkSelected_Click(WindowModel& model);
// Every row in the focused row's folder, or also below it; nothing without
// a focused row.
void markFolder(WindowModel& model, bool withSubFolders);
// Sorts by group and marks every row of each group but its newest file.
void markAllDuplicates(WindowModel& model, UserInterface& ui);

// The mark box of one row was clicked: flips that row's mark.
void flipMark(WindowModel& model, std::size_t row);
// Space on the list, or a double click on the mark box: marks the selected
// rows when the focused row is unmarked, unmarks them otherwise; nothing
// without a focused row.
void markSelectionLikeFocus(WindowModel& model);

// "Remove from result list": the marked rows leave the list in one pass
// (files untouched), then RemoveRemainingOriginal (engine/result_list.h).
// With nothing marked: "No items marked/checked".
void removeMarkedFromResult(WindowModel& model, UserInterface& ui);

} // namespace twinsift
