#include "app/result_list_model.h"

#include "app/image_list.h"

#include <QBrush>
#include <QColor>
#include <QTextDocument>

namespace twinsift {
namespace {

const char* const kHeaders[kResultColumnCount] = {
    "File Name", "Size(Bytes)", "Last Modified.", "File Version", "Group",
    "In Folder", "sortSize",    "sortDate",       "sortGrpno",    "Ext"};

const QColor kShade(213, 233, 249);

} // namespace

ResultListModel::ResultListModel(WindowModel& model, QObject* parent)
    : QAbstractTableModel(parent), m_model(model) {}

int ResultListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_model.rows.size());
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
        return QString::fromStdString(r.columns[static_cast<std::size_t>(index.column())]);
    case Qt::ToolTipRole:
        // A tooltip that looks like markup is read as markup, and a name such
        // as <img src="/dev/zero"> would make it load that file: escape it.
        return Qt::convertFromPlainText(
            QString::fromStdString(r.columns[static_cast<std::size_t>(index.column())]),
            Qt::WhiteSpaceNoWrap);
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

void ResultListModel::reload() {
    beginResetModel();
    endResetModel();
}

} // namespace twinsift
