#pragma once

#include "platform/shell_services.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace twinsift::test {

// Records what would have been handed to the desktop's programs.
class RecordingLauncher : public Launcher {
public:
    bool openDocument(const std::string& path) override;
    bool openUrl(const std::string& url) override;
    void showInFileManager(const std::string& path) override;

    std::vector<std::string> opened;
};

class SilentSoundPlayer : public SoundPlayer {
public:
    void play(const std::string& path) override { played.push_back(path); }
    std::vector<std::string> played;
};

// Acts on the modal dialog named `objectName` as soon as it is shown (within a
// few seconds). The returned flag tells whether it was seen.
std::shared_ptr<bool> whenModalShown(const QString& objectName, std::function<void(QWidget&)> act);

// Clicks the child button `buttonName` of a dialog.
void clickButton(QWidget& dialog, const char* buttonName);

} // namespace twinsift::test
