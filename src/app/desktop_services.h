#pragma once

#include "platform/shell_services.h"
#include "platform/user_interface.h"

#include <QElapsedTimer>
#include <QUrl>
#include <memory>

class QLineEdit;
class QSoundEffect;
class QWidget;

namespace twinsift {

// The file: URL of an absolute path made of any bytes, each kept as it is on
// disk (a QString would lose the bytes that are not UTF-8).
QUrl fileUrl(const std::string& path);

// Tells the user that nothing could open a file.
void tellNoAssociatedProgram(UserInterface& ui);

// Refuses what `box` holds: gives the box the focus and a light-red
// background, so that the user sees which box it is, then tells `message`.
void refuseBoxText(UserInterface& ui, QLineEdit& box, const std::string& message);

// Files and addresses handed to the desktop's own programs.
class DesktopLauncher : public Launcher {
public:
    bool openDocument(const std::string& path) override;
    bool openUrl(const std::string& url) override;
    bool showInFileManager(const std::string& path) override;
};

// The file operations every front end shares, and the file manager's own
// properties sheet.
class DesktopShellServices : public FileShellServices {
public:
    // False when no file manager answered: the caller shows its own.
    bool ShowProperties(const std::string& path) override;
};

// "end.wav" and the like through Qt Multimedia; no file or no device is silence.
class DesktopSoundPlayer : public SoundPlayer {
public:
    DesktopSoundPlayer();
    ~DesktopSoundPlayer() override;
    void play(const std::string& path) override;

private:
    std::unique_ptr<QSoundEffect> m_effect;
};

// Lets the window repaint and take input during a long loop, at most about
// every 20 ms so that the loop itself is not slowed down.
class DesktopYield {
public:
    void operator()();

private:
    QElapsedTimer m_sinceLast;
};

// Centres a window on the primary screen's work area.
void CentreOnWorkArea(QWidget& window);

} // namespace twinsift
