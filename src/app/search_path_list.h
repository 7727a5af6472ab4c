#pragma once

#include <QTreeWidget>
#include <string>
#include <vector>

class QMimeData;

namespace twinsift {

class SettingsStore;
class UserInterface;
struct WindowModel;

// SearchList: the search paths, and where folders dragged from a file
// manager are dropped to be searched too.
class SearchPathList : public QTreeWidget {
    Q_OBJECT
public:
    explicit SearchPathList(QWidget* parent = nullptr);

signals:
    // The local folders of a drop, as the file system names them.
    void foldersDropped(const std::vector<std::string>& folders);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

// The local folders among the URLs of `data`; files, other schemes and
// other hosts are passed over.
std::vector<std::string> droppedFolders(const QMimeData& data);

// Each folder not yet listed as a search path becomes a row with the filters
// the Add dialog would offer it; a remembered filter that the dialog would
// refuse is told as the dialog tells it, and nothing is added. Guarded as
// "Add Folders".
void addDroppedFolders(WindowModel& model, const SettingsStore& settings, UserInterface& ui,
                       const std::vector<std::string>& folders);

} // namespace twinsift
