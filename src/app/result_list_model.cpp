#include "app/result_list_model.h"

#include "app/image_list.h"
#include "app/visible_text.h"

#include <QBrush>
#include <QColor>
#include <QScopedValueRollback>
#include <QTextDocument>
#include <algorithm>

namespace twinsift {
namespace {

const char* const kHeaders[kResultColumnCount] = {
    "File Name", "Size(Bytes)", "Last Modified.", "File Version", "Group",
    "In Folder", "sortSize",    "sortDate",       "sortGrpno",    "Ext"};

const QColor kShade(213, 233, 249);

QString cellText(const ResultRow& row, int column) {
    return withVisibleControls(QString::fromStdString(row.text(static_cast<ResultColumn>(column))));
}

} // namespace

ResultListModel::ResultListModel(WindowModel& model, QObject* parent)
    : QAbstractTableModel(parent), m_model(model) {}

int ResultListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_shown;
}

int ResultListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kResultColumnCount;
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
    const auto row = static_cast<std::size_t>(index.row());
    if (!index.isValid() || row >= m_model.rows.size())
        return {};
    const ResultRow& r = m_model.rows[row];
    switch (role) {
    case Qt::DisplayRole:
        return cellText(r, index.column());
    case Qt::ToolTipRole: {
        // The name and folder cells may be too narrow for their text: their
        // tip tells where the file is, whole.
        const bool whereColumn = index.column() == ColFileName || index.column() == ColInFolder;
        const QString tip = whereColumn ? withVisibleControls(QString::fromStdString(r.fullPath()))
                                        : cellText(r, index.column());
        // A tooltip that looks like markup is read as markup, and a name such
        // as <img src="/dev/zero"> would make it load that file: escape it.
        return Qt::convertFromPlainText(tip, Qt::WhiteSpaceNoWrap);
    }
    case Qt::DecorationRole:
        return index.column() == ColFileName ? ImageList::icon(r.icon) : QVariant();
    case Qt::BackgroundRole:
        return rowIsShaded(m_model, row) ? QBrush(kShade) : QVariant();
    case Qt::TextAlignmentRole:
        return index.column() == ColSize || index.column() == ColGroup
                   ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                   : QVariant();
    default:
        return {};
    }
}

QVariant ResultListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kResultColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(kHeaders[section]);
    return {};
}

void ResultListModel::rowsChanged(RowRange rows) {
    const QScopedValueRollback answering(m_answering, true);
    const int first = static_cast<int>(rows.first);
    const int last = std::min(static_cast<int>(rows.last), m_shown - 1);
    if (first <= last)
        emit dataChanged(index(first, 0), index(last, kResultColumnCount - 1));
}

void ResultListModel::rowsInserted(RowRange rows) {
    const QScopedValueRollback answering(m_answering, true);
    beginInsertRows({}, static_cast<int>(rows.first), static_cast<int>(rows.last));
    m_shown += static_cast<int>(rows.last - rows.first + 1);
    endInsertRows();
}

void ResultListModel::rowsRemoved(const std::vector<RowRange>& removed) {
    const QScopedValueRollback answering(m_answering, true);
    // As a layout change: the notice comes once the rows are gone, too late
    // for beginRemoveRows, whose receivers may still read them; and one
    // signal per run would have each view shift its table of rows once per
    // run, where pruning a large list leaves thousands of runs.
    std::vector<std::size_t> goneBy(removed.size()); // rows gone up to the end of each run
    std::size_t gone = 0;
    for (std::size_t k = 0; k < removed.size(); ++k)
        goneBy[k] = gone += removed[k].last - removed[k].first + 1;
    relayout(
        [&](std::size_t row) -> int {
            const auto after =
                std::upper_bound(removed.begin(), removed.end(), row,
                                 [](std::size_t r, const RowRange& run) { return r < run.first; });
            if (after == removed.begin())
                return static_cast<int>(row);
            const auto run = static_cast<std::size_t>(after - removed.begin()) - 1;
            return row <= removed[run].last ? -1 : static_cast<int>(row - goneBy[run]);
        },
        m_shown - static_cast<int>(gone));
}

void ResultListModel::rowsReordered(const std::vector<std::size_t>& formerRow) {
    const QScopedValueRollback answering(m_answering, true);
    std::vector<int> newRow(formerRow.size());
    for (std::size_t r = 0; r < formerRow.size(); ++r)
        newRow[formerRow[r]] = static_cast<int>(r);
    relayout([&](std::size_t row) { return row < newRow.size() ? newRow[row] : -1; }, m_shown);
}

void ResultListModel::listReplaced() {
    const QScopedValueRollback answering(m_answering, true);
    beginResetModel();
    m_shown = static_cast<int>(m_model.rows.size());
    endResetModel();
}

template <class NewRow> void ResultListModel::relayout(NewRow newRow, int shown) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        const int row = newRow(static_cast<std::size_t>(index.row()));
        after.push_back(row < 0 ? QModelIndex() : createIndex(row, index.column()));
    }
    changePersistentIndexList(before, after);
    m_shown = shown;
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace twinsift
