#include "marking/sort_cols.h"

#include "core/guard.h"
#include "core/window_model.h"
#include "engine/result_list.h"

#include <optional>
#include <string>

namespace twinsift {
namespace {

// The column whose contents order the list when the user sorts by the 1-based
// `column`: formatted values sort through their hidden key columns. Nothing
// for the hidden key columns themselves and for columns the list lacks.
std::optional<int> keyColumnOf(int column) {
    switch (column) {
    case 1:
        return ColFileName;
    case 2:
        return ColSortSize;
    case 3:
        return ColSortDate;
    case 4:
        return ColFileVersion;
    case 5:
        return ColSortGrpno;
    case 6:
        return ColInFolder;
    case 10:
        return ColExt;
    default:
        return std::nullopt;
    }
}

} // namespace

void SortCols(WindowModel& model, UserInterface& ui, int column, SortRequest request) {
    Guard(ui, "Sorting Column : " + std::to_string(column)).step(1, [&] {
        const std::optional<int> key = keyColumnOf(column);
        if (!key)
            return;
        const bool descending = request == SortRequest::Toggle && !model.sortDescending;
        model.sortIndicators.fill(SortIndicator::None);
        model.sortIndicators[static_cast<std::size_t>(column - 1)] =
            descending ? SortIndicator::Descending : SortIndicator::Ascending;
        sortResultRows(model, *key, descending);
        model.notices().statusChanged();
        // The rows of a group may have moved apart; the zero-size listing has none.
        if (model.engine != Engine::ZeroSize)
            RefreshColorShade(model, ui);
    });
}

} // namespace twinsift
