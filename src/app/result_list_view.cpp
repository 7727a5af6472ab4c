#include "app/result_list_view.h"

#include "app/desktop_services.h"
#include "app/result_list_model.h"
#include "core/guard.h"
#include "core/startup.h"
#include "marking/quick_marks.h"
#include "marking/sort_cols.h"
#include "platform/shell_services.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <algorithm>

namespace twinsift {
namespace {

// The mark box: 300 twips from the row's left end.
constexpr int kMarkBoxWidth = static_cast<int>(300 / kTwipsPerPixel);

} // namespace

ResultListView::ResultListView(WindowModel& model, UserInterface& ui, Launcher& launcher,
                               QMenu* contextMenu, QWidget* parent)
    : QTableView(parent), m_model(model), m_ui(ui), m_launcher(launcher),
      m_results(new ResultListModel(model, this)), m_contextMenu(contextMenu) {
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
    // The mark image fills the mark box.
    setIconSize(QSize(kMarkBoxWidth - 4, kMarkBoxWidth - 4));
    QHeaderView* header = horizontalHeader();
    header->setHighlightSections(false);
    header->setSectionsClickable(true);
    header->setSectionsMovable(true);
    connect(header, &QHeaderView::sectionClicked, this, &ResultListView::sortByHeader);
    connect(this, &QAbstractItemView::clicked, this, &ResultListView::rowClicked);
    // At the first start's window size every column fits beside the others.
    header->setStretchLastSection(false);
    connect(header, &QHeaderView::sectionResized, this, [this](int column, int, int width) {
        if (m_fittingColumns)
            return;
        if (column == ColInFolder)
            m_folderWidth = width;
        else
            fitFolderColumn();
    });
    const int widths[kResultColumnCount] = {170, 85, 125, 70, 50, 190, 0, 0, 0, 45};
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

void ResultListView::columnsRestored() {
    m_folderWidth = horizontalHeader()->sectionSize(ColInFolder);
    fitFolderColumn();
}

void ResultListView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    fitFolderColumn();
}

void ResultListView::fitFolderColumn() {
    QHeaderView* header = horizontalHeader();
    const int others = header->length() - header->sectionSize(ColInFolder);
    const QScopedValueRollback fitting(m_fittingColumns, true);
    header->resizeSection(ColInFolder, std::max(m_folderWidth, viewport()->width() - others));
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
    if (!m_model.rows.empty())
        m_contextMenu->popup(event->globalPos());
}

bool ResultListView::event(QEvent* event) {
    // Inside the list Ctrl+A selects every row, as in any list, rather than
    // opening the advanced marking: the marking commands then act on them.
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::SelectAll)) {
        event->accept();
        return true;
    }
    return QTableView::event(event);
}

void ResultListView::keyPressEvent(QKeyEvent* event) {
    // The list's own Space would make the focused row the only one selected.
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        if (!event->isAutoRepeat())
            markSelectionAsFocused("Key Up");
        return;
    }
    QTableView::keyPressEvent(event);
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)
        emit previewWanted();
}

void ResultListView::mousePressEvent(QMouseEvent* event) {
    m_pressedOnMarkBox =
        event->button() == Qt::LeftButton && onMarkBox(event->position().toPoint());
    QTableView::mousePressEvent(event);
}

void ResultListView::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    if (event->button() != Qt::RightButton)
        emit previewWanted();
}

void ResultListView::mouseDoubleClickEvent(QMouseEvent* event) {
    const bool onBox = onMarkBox(event->position().toPoint());
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton || m_model.rows.empty() || !m_model.focusedRow)
        return;
    if (onBox)
        markSelectionAsFocused("RLV Select");
    else
        openFocusedFile();
}

bool ResultListView::onMarkBox(QPoint pos) const {
    // The mark image is the name's: it goes where the name column is moved.
    const int rowStart = columnViewportPosition(ColFileName);
    return pos.x() >= rowStart && pos.x() - rowStart <= kMarkBoxWidth;
}

void ResultListView::rowClicked(const QModelIndex& index) {
    if (!m_pressedOnMarkBox || !index.isValid())
        return;
    Guard(m_ui, "RLV ItemClick").run({[&] {
        flipMark(m_model, static_cast<std::size_t>(index.row()));
    }});
}

void ResultListView::openFocusedFile() {
    if (!m_model.focusedRow)
        return;
    Guard(m_ui, "RLV Select").run({[this] {
        const std::size_t row = *m_model.focusedRow;
        if (row < m_model.rows.size() && !m_launcher.openDocument(m_model.rows[row].fullPath()))
            tellNoAssociatedProgram(m_ui);
    }});
}

void ResultListView::markSelectionAsFocused(const char* procedure) {
    Guard(m_ui, procedure).run({[this] { markSelectionLikeFocus(m_model); }});
}

void ResultListView::sortByHeader(int column) {
    SortCols(m_model, m_ui, column + 1, SortRequest::Toggle);
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
