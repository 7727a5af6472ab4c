#include "marking/quick_marks.h"

#include "core/format.h"
#include "core/window_model.h"
#include "engine/result_list.h"
#include "marking/keep_one.h"
#include "marking/mark_writer.h"
#include "marking/sort_cols.h"
#include "platform/user_interface.h"
#include "scan/file_mask.h"

#include <string>

namespace twinsift {
namespace {

// Gives every row the mark `wanted` picks for it; then the totals in panel 1.
template <class Wanted> void markEveryRow(WindowModel& model, Wanted wanted) {
    MarkWriter writer(model);
    for (std::size_t r = 0; r < model.rows.size(); ++r)
        writer.set(r, wanted(model.rows[r]));
    writer.flush();
    ShowMarkedTotals(model, countMarked(model));
}

// Marks the rows that `picked` picks; the others keep their marks.
template <class Picked> void markPickedRows(WindowModel& model, bool marked, Picked picked) {
    markEveryRow(model, [&](const ResultRow& row) { return picked(row) ? marked : row.marked(); });
}

} // namespace

MarkedTotals countMarked(const WindowModel& model) {
    MarkedTotals totals;
    for (const ResultRow& row : model.rows) {
        if (row.marked()) {
            ++totals.count;
            totals.bytes += row.facts.size;
        }
    }
    return totals;
}

void ShowMarkedTotals(WindowModel& model, MarkedTotals totals) {
    model.statusPanels[PanelProgress].text =
        "Total Files Marked " + std::to_string(totals.count) + " Size " + SizeText(totals.bytes);
    model.notices().statusChanged();
}

void markNone(WindowModel& model) {
    markEveryRow(model, [](const ResultRow&) { return false; });
}

void invertMarks(WindowModel& model) {
    markEveryRow(model, [](const ResultRow& row) { return !row.marked(); });
}

void markAll(WindowModel& model) {
    markEveryRow(model, [](const ResultRow&) { return true; });
}

void MMarkingSelected_Click(WindowModel& model) {
    markPickedRows(model, true, [](const ResultRow& row) { return row.selected; });
}

void mnuUnMarkSelected_Click(WindowModel& model) {
    markPickedRows(model, false, [](const ResultRow& row) { return row.selected; });
}

void markFolder(WindowModel& model, bool withSubFolders) {
    if (!model.focusedRow || *model.focusedRow >= model.rows.size())
        return;
    // Folder texts end in "/", so a prefix is the folder itself or one below
    // it, never a sibling that merely starts with the same letters.
    const std::string folder = model.rows[*model.focusedRow].folder();
    markPickedRows(model, true, [&](const ResultRow& row) {
        return withSubFolders ? row.folder().starts_with(folder) : row.folder() == folder;
    });
}

void markAllDuplicates(WindowModel& model, UserInterface& ui) {
    SortCols(model, ui, 5, SortRequest::Ascending);
    // A sort the user abandoned in the error report leaves groups apart.
    if (model.sortKey != ColSortGrpno || model.sortDescending)
        return;
    const MarkedTotals totals =
        markAllButOnePerGroup(model, {KeepRule::Key::LastWrite, true}, FileMask("*.*"), 0);
    ShowMarkedTotals(model, totals);
}

void flipMark(WindowModel& model, std::size_t row) {
    if (row >= model.rows.size())
        return;
    markRows(model, {row, row}, !model.rows[row].marked());
    ShowMarkedTotals(model, countMarked(model));
}

void markSelectionLikeFocus(WindowModel& model) {
    if (!model.focusedRow || *model.focusedRow >= model.rows.size())
        return;
    if (model.rows[*model.focusedRow].marked())
        mnuUnMarkSelected_Click(model);
    else
        MMarkingSelected_Click(model);
}

void removeMarkedFromResult(WindowModel& model, UserInterface& ui) {
    const std::size_t before = model.rows.size();
    removeResultRows(model, [](const ResultRow& row) { return row.marked(); });
    if (model.rows.size() == before) {
        ui.messageBox({"No items marked/checked", "Error", MsgIcon::None, MsgButtons::OK});
        return;
    }
    RemoveRemainingOriginal(model, ui);
}

} // namespace twinsift
