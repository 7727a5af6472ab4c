#pragma once

#include "app/main_frm.h"
#include "platform/shell_services.h"
#include "support/memory_settings.h"
#include "support/scripted_answerer.h"
#include "support/temp_dir.h"

#include <QAction>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace twinsift::test {

// Records what would have been handed to the desktop's programs.
class RecordingLauncher : public Launcher {
public:
    bool openDocument(const std::string& path) override;
    bool openUrl(const std::string& url) override;
    bool showInFileManager(const std::string& path) override;

    std::vector<std::string> opened;
    bool opens = true; // what openDocument and showInFileManager answer
};

// The real file operations; the properties sheet is recorded, and answers
// as if no file manager took it.
class RecordingShell : public FileShellServices {
public:
    bool ShowProperties(const std::string& path) override {
        properties.push_back(path);
        return false;
    }
    std::vector<std::string> properties;
};

class SilentSoundPlayer : public SoundPlayer {
public:
    void play(const std::string& path) override { played.push_back(path); }
    std::vector<std::string> played;
};

// One main window over in-memory settings and a scripted user.
struct WindowHarness {
    MemorySettings settings;
    ScriptedAnswerer ui;
    RecordingLauncher launcher;
    RecordingShell shell;
    SilentSoundPlayer sound;
    std::unique_ptr<MainFrm> window;

    // Without `tips` the settings stay empty, as at the first start.
    explicit WindowHarness(std::optional<bool> tips = false);
    MainFrm& create(CommandLine commandLine = {});
    // Shows the window (created first if need be) and lets the first-show handler run.
    MainFrm& start(CommandLine commandLine = {});
    WindowModel& model() { return window->model(); }
    template <class T> T* child(const QString& name) { return window->findChild<T*>(name); }
    QAction* action(const QString& name) { return child<QAction>(name); }
    QString panel(int number);
    bool panelShown(int number);
};

// A main window created, not yet shown, over a tree of its own and as on a
// first run; `duringScan` runs at every yield of the window's long work.
struct TreeWindowHarness : WindowHarness {
    TempDir tree;
    std::function<void()> duringScan;

    TreeWindowHarness();
};

// Acts on the modal dialog named `objectName` as soon as it is shown, within
// 30 s and the same test function; a modal still open in its place then
// fails the test and is closed. The returned flag tells whether it was seen.
std::shared_ptr<bool> whenModalShown(const QString& objectName, std::function<void(QWidget&)> act);

// Clicks the child button `buttonName` of a dialog.
void clickButton(QWidget& dialog, const char* buttonName);

} // namespace twinsift::test
