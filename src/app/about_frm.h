#pragma once

#include <QDialog>
#include <string>

namespace twinsift {

// Help > About: which Twinsift this is, under what licence, on which Qt, and
// where it keeps the user's files and settings.
class AboutFrm : public QDialog {
    Q_OBJECT
public:
    AboutFrm(const std::string& dataFolder, const QString& settingsFile, QWidget* parent);
};

} // namespace twinsift
