#pragma once

#include <QDialog>
#include <string>

namespace twinsift {

// Twinsift's own "File Properties" window, for a desktop whose file manager
// shows none: what the file is, as plain text.
class FilePropertiesFrm : public QDialog {
    Q_OBJECT
public:
    FilePropertiesFrm(const std::string& path, QWidget* parent);
};

} // namespace twinsift
