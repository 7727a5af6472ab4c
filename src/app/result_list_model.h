#pragma once

#include "core/window_model.h"

#include <QAbstractTableModel>

namespace twinsift {

// RLV's rows as Qt sees them: read straight from the window model, one model
// for any number of rows, no item objects.
class ResultListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ResultListModel(WindowModel& model, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Re-reads everything after the rows were replaced, sorted or removed.
    void reload();

private:
    WindowModel& m_model;
};

} // namespace twinsift
