#pragma once

#include "core/window_model.h"

#include <QAbstractTableModel>

namespace twinsift {

// RLV's rows as Qt sees them: read straight from the window model, one model
// for any number of rows, no item objects. The window model's row notices
// become the matching item-model signals, so that views keep their
// selection, current row and scroll position.
class ResultListModel : public QAbstractTableModel, public ModelListener {
    Q_OBJECT
public:
    explicit ResultListModel(WindowModel& model, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void rowsChanged(RowRange rows) override;
    void rowsInserted(RowRange rows) override;
    void rowsRemoved(const std::vector<RowRange>& removed) override;
    void rowsReordered(const std::vector<std::size_t>& formerRow) override;
    void listReplaced() override;

    // True while a notice is being answered: the row numbers that the
    // views report meanwhile may be from before the change.
    bool answering() const { return m_answering; }

private:
    // One layout change: every persistent index moves to `newRow(its row)`,
    // or is dropped where that is negative; then `shown` rows are shown.
    template <class NewRow> void relayout(NewRow newRow, int shown);

    WindowModel& m_model;
    // The rows announced so far: rows appended but not yet announced stay
    // out of sight, so that the views' idea of the row count is never stale.
    int m_shown = 0;
    bool m_answering = false;
};

} // namespace twinsift
