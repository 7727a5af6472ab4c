#include "app/result_list_view.h"

#include "app/result_list_model.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>

namespace twinsift {

ResultListView::ResultListView(WindowModel& model, QMenu* contextMenu, QWidget* parent)
    : QTableView(parent), m_model(model), m_results(new ResultListModel(model, this)),
      m_contextMenu(contextMenu) {
    setObjectName(QStringLiteral("RLV"));
    setModel(m_results);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setShowGrid(false);
    setWordWrap(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->hide();
    // Fixed row heights keep a million rows as cheap as a hundred.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    QHeaderView* header = horizontalHeader();
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    const int widths[kResultColumnCount] = {220, 95, 125, 95, 55, 300, 0, 0, 0, 55};
    for (int column = 0; column < kResultColumnCount; ++column)
        header->resizeSection(column, widths[column]);
    for (int key : {ColSortSize, ColSortDate, ColSortGrpno})
        header->setSectionHidden(key, true);

    // Qt drops the current row when its row goes, or may keep the
    // position, and keeps a whole-table selection as one range that a
    // shorter list leaves invalid; the window model's choice and focus are
    // the ones that count.
    connect(m_results, &QAbstractItemModel::layoutChanged, this, &ResultListView::showChosenRows);
    // A reset drops Qt's selection, not the model's.
    connect(m_results, &QAbstractItemModel::modelReset, this, &ResultListView::showChosenRows);
}

void ResultListView::arrangeColumns() {
    QHeaderView* header = horizontalHeader();
    header->moveSection(header->visualIndex(ColExt), 1);
    header->moveSection(header->visualIndex(ColInFolder), 2);
}

void ResultListView::renderSortIndicators() {
    QHeaderView* header = horizontalHeader();
    header->setSortIndicatorShown(false);
    for (int column = 0; column < kResultColumnCount; ++column) {
        const SortIndicator indicator = m_model.sortIndicators[static_cast<std::size_t>(column)];
        if (indicator != SortIndicator::None) {
            header->setSortIndicator(column, indicator == SortIndicator::Ascending
                                                 ? Qt::AscendingOrder
                                                 : Qt::DescendingOrder);
            header->setSortIndicatorShown(true);
        }
    }
}

void ResultListView::selectionChanged(const QItemSelection& selected,
                                      const QItemSelection& deselected) {
    QTableView::selectionChanged(selected, deselected);
    if (m_results->answering())
        return;
    for (const auto& [ranges, chosen] : {std::pair{&deselected, false}, {&selected, true}})
        for (const QItemSelectionRange& range : *ranges)
            for (int row = range.top(); row <= range.bottom(); ++row)
                if (static_cast<std::size_t>(row) < m_model.rows.size())
                    m_model.rows[static_cast<std::size_t>(row)].selected = chosen;
}

void ResultListView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (m_results->answering())
        return;
    m_model.focusedRow =
        current.isValid() ? std::optional(static_cast<std::size_t>(current.row())) : std::nullopt;
}

void ResultListView::contextMenuEvent(QContextMenuEvent* event) {
    m_contextMenu->popup(event->globalPos());
}

void ResultListView::showChosenRows() {
    QItemSelection chosen;
    const int shown = m_results->rowCount();
    for (int row = 0; row < shown; ++row) {
        if (!m_model.rows[static_cast<std::size_t>(row)].selected)
            continue;
        const int first = row;
        while (row + 1 < shown && m_model.rows[static_cast<std::size_t>(row) + 1].selected)
            ++row;
        chosen.select(m_results->index(first, 0), m_results->index(row, 0));
    }
    selectionModel()->select(chosen,
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    showFocusedRow();
}

void ResultListView::showFocusedRow() {
    const QModelIndex current = currentIndex();
    const std::optional<std::size_t> shown =
        current.isValid() ? std::optional(static_cast<std::size_t>(current.row())) : std::nullopt;
    if (shown == m_model.focusedRow)
        return;
    selectionModel()->setCurrentIndex(
        m_model.focusedRow
            ? m_results->index(static_cast<int>(*m_model.focusedRow), std::max(current.column(), 0))
            : QModelIndex(),
        QItemSelectionModel::NoUpdate);
}

} // namespace twinsift
