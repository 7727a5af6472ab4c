#pragma once

#include <QIcon>

namespace twinsift {

// The main window's image list: the numbered images the system refers to
// (toolbar images, the option states 9 to 12, search-path kinds 15/16, row
// marks 17/18). Each is the desktop theme's icon where the image is a plain
// action, and the bundled picture where it shows a state that must look the
// same on every desktop.
class ImageList {
public:
    enum Index {
        Scan = 1,
        Cancel = 2,
        Mark = 3,
        Copy = 4,
        Move = 5,
        Delete = 6,
        Rename = 7,
        Export = 8,
        AddPath = 13,
        RemovePath = 14,
        ExcludeList = 19,
    };
    // An empty icon for a number the list does not hold.
    static QIcon icon(int index);
};

} // namespace twinsift
