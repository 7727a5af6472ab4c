#pragma once

#include "core/window_model.h"

#include <QTableView>

class QMenu;

namespace twinsift {

class ResultListModel;

// The result list RLV: its columns and header, its context menu, and the
// user's selection and current row, which it keeps in step with the window
// model's so that commands read them there.
class ResultListView : public QTableView {
    Q_OBJECT
public:
    // Right clicks pop up `contextMenu` (not owned).
    ResultListView(WindowModel& model, QMenu* contextMenu, QWidget* parent = nullptr);

    // Where the window model's row notices go.
    ResultListModel& results() { return *m_results; }

    // The extension and the folder beside the name.
    void arrangeColumns();
    void renderSortIndicators();

protected:
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void showChosenRows();
    void showFocusedRow();

    WindowModel& m_model;
    ResultListModel* m_results;
    QMenu* m_contextMenu;
};

} // namespace twinsift
