#include "app/search_path_list.h"

#include "core/guard.h"
#include "platform/user_interface.h"
#include "scan/search_paths.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <variant>

namespace twinsift {

SearchPathList::SearchPathList(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("SearchList"));
    // Drops land on the viewport, not on the list around it.
    viewport()->setAcceptDrops(true);
}

void SearchPathList::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFolders(*event->mimeData()).empty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void SearchPathList::dragMoveEvent(QDragMoveEvent* event) {
    // The whole list takes the drop, whichever row is under the pointer.
    event->acceptProposedAction();
}

void SearchPathList::dropEvent(QDropEvent* event) {
    const std::vector<std::string> folders = droppedFolders(*event->mimeData());
    if (folders.empty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit foldersDropped(folders);
}

std::vector<std::string> droppedFolders(const QMimeData& data) {
    std::vector<std::string> folders;
    for (const QUrl& url : data.urls()) {
        if (!url.isLocalFile() ||
            !(url.host().isEmpty() || url.host() == QLatin1String("localhost")))
            continue;
        // From the URL's bytes rather than its text: a folder whose name is
        // not UTF-8 keeps the name it has.
        std::string path =
            QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
        // As the folder chooser writes it: no slash at the end.
        while (path.size() > 1 && path.back() == '/')
            path.pop_back();
        std::error_code error;
        if (std::filesystem::is_directory(path, error))
            folders.push_back(std::move(path));
    }
    return folders;
}

void addDroppedFolders(WindowModel& model, const SettingsStore& settings, UserInterface& ui,
                       const std::vector<std::string>& folders) {
    Guard(ui, "Add Folders").step(1, [&] {
        std::vector<SearchPathRow> rows;
        for (const std::string& folder : folders) {
            const bool listed =
                std::any_of(model.SearchList.begin(), model.SearchList.end(),
                            [&](const SearchPathRow& r) { return r.text == folder; });
            if (listed)
                continue;
            FolderForm form = newFolderDefaults(settings);
            form.folder = folder;
            auto made = makeSearchPathRow(std::move(form));
            if (const auto* refused = std::get_if<FolderFormError>(&made)) {
                ui.messageBox({refused->message, "Error", MsgIcon::None, MsgButtons::OK, 1});
                return;
            }
            rows.push_back(std::get<SearchPathRow>(std::move(made)));
        }
        for (SearchPathRow& row : rows)
            addSearchPath(model, std::move(row));
        model.notices().searchPathsChanged();
    });
}

} // namespace twinsift
