#include "app/image_list.h"

#include "core/window_model.h"
#include "platform/app_paths.h"

#include <QHash>

namespace twinsift {
namespace {

struct ImageSource {
    const char* themeName; // empty: always the bundled picture
    const char* file;      // below the resource folder's icons/
};

ImageSource sourceOf(int index) {
    switch (index) {
    case ImageList::Scan:
        return {"system-search", "scan.png"};
    case ImageList::Cancel:
        return {"process-stop", "cancel.png"};
    case ImageList::Mark:
        return {"", "marked.png"};
    case ImageList::Copy:
        return {"edit-copy", "copy.png"};
    case ImageList::Move:
        return {"go-jump", "move.png"};
    case ImageList::Delete:
        return {"edit-delete", "delete.png"};
    case ImageList::Rename:
        return {"insert-text", "rename.png"};
    case ImageList::Export:
        return {"document-save-as", "export.png"};
    case image::PreviewOff:
        return {"", "viewer-off.png"};
    case image::PreviewOn:
        return {"", "viewer-on.png"};
    case image::DeletePermanent:
        return {"", "recycle-off.png"};
    case image::DeleteToTrash:
        return {"", "recycle-on.png"};
    case ImageList::AddPath:
        return {"list-add", "add.png"};
    case ImageList::RemovePath:
        return {"list-remove", "remove.png"};
    case image::SearchPath:
        return {"", "folder.png"};
    case image::ExcludedPath:
        return {"", "folder-excluded.png"};
    case image::Marked:
        return {"", "marked.png"};
    case image::Unmarked:
        return {"", "unmarked.png"};
    case ImageList::ExcludeList:
        return {"", "exclude.png"};
    default:
        return {"", ""};
    }
}

QIcon load(int index) {
    const ImageSource source = sourceOf(index);
    if (!*source.file)
        return {};
    const QIcon bundled(QString::fromStdString(findResource(std::string("icons/") + source.file)));
    return *source.themeName ? QIcon::fromTheme(QString::fromLatin1(source.themeName), bundled)
                             : bundled;
}

} // namespace

QIcon ImageList::icon(int index) {
    // The result list asks for a mark image per painted row: load each once.
    static QHash<int, QIcon> cache;
    auto it = cache.find(index);
    if (it == cache.end())
        it = cache.insert(index, load(index));
    return *it;
}

} // namespace twinsift
