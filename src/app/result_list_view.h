#pragma once

#include "core/window_model.h"

#include <QTableView>

class QMenu;

namespace twinsift {

class Launcher;
class ResultListModel;
class UserInterface;

// The result list RLV: its columns and header, its context menu, the
// user's selection and current row, which it keeps in step with the window
// model's so that commands read them there, and the marking done with the
// mouse and the keyboard: a click on a row's mark box flips its mark, Space
// marks or unmarks the selection, a header click sorts by that column.
class ResultListView : public QTableView {
    Q_OBJECT
public:
    // Right clicks pop up `contextMenu` (not owned); double clicks open files
    // through `launcher`.
    ResultListView(WindowModel& model, UserInterface& ui, Launcher& launcher, QMenu* contextMenu,
                   QWidget* parent = nullptr);

    // Where the window model's row notices go.
    ResultListModel& results() { return *m_results; }

    // The extension and the folder beside the name.
    void arrangeColumns();
    // After the columns' widths were set from outside, as by a remembered
    // layout: "In Folder"'s width is its own from then on.
    void columnsRestored();
    void renderSortIndicators();
    // The double click's command: the focused row's file in its program.
    void openFocusedFile();

signals:
    // The user moved to a row with the arrow keys or the mouse: the
    // picture viewer may show it.
    void previewWanted();

protected:
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Gives the list's spare width to "In Folder", whose paths are the
    // longest texts; back down to its own width when the room goes.
    void fitFolderColumn();
    void showChosenRows();
    void showFocusedRow();
    // Whether `pos` (viewport coordinates) is on the mark box at the name's left end.
    bool onMarkBox(QPoint pos) const;
    void rowClicked(const QModelIndex& index);
    void markSelectionAsFocused(const char* procedure);
    void sortByHeader(int column);

    WindowModel& m_model;
    UserInterface& m_ui;
    Launcher& m_launcher;
    ResultListModel* m_results;
    QMenu* m_contextMenu;
    bool m_pressedOnMarkBox = false;
    // "In Folder"'s width of its own, as built, restored or dragged.
    int m_folderWidth = 0;
    bool m_fittingColumns = false;
};

} // namespace twinsift
