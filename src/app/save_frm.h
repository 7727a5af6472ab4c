#pragma once

#include "persist/session_file.h"

#include <QDialog>
#include <QElapsedTimer>
#include <functional>
#include <string>

class QCheckBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace twinsift {

class ExclusionList;
class SettingsStore;
class UserInterface;
struct WindowModel;

// What the session dialog acts through.
struct SaveFrmServices {
    SettingsStore& settings;
    UserInterface& ui;
    // The main window's end sound, as after a scan.
    std::function<void()> endSound;
    // Where a loaded session's excluded folders go (open mode only).
    ExclusionList* exclusions = nullptr;
    // Told as a load begins, before the list changes.
    std::function<void()> loadStarts;
};

// "Save Dialog" / "Open Dialog": writes the current search to a session file,
// with or without its result rows, or loads one back into the window.
class SaveFrm : public QDialog {
    Q_OBJECT
public:
    // `mode` "Save" (exactly) saves; any other text opens.
    SaveFrm(const std::string& mode, WindowModel& model, SaveFrmServices services,
            QWidget* parent = nullptr);

    // True once Save or Open was pressed with a path: the window may have changed.
    bool ran() const { return m_ran; }

    void done(int result) override;

protected:
    // Cancel, Escape and the close box. While a load runs they ask the
    // scan's Cancel question; while a save runs they do nothing.
    void reject() override;

private:
    void cmdAdd_Click();
    void Command1_Click();
    void saveSession(const std::string& path);
    void openSession(const std::string& path);
    // What the writer and the loader report their rows to: `pr`.
    SessionProgress progress();

    WindowModel& m_model;
    SaveFrmServices m_services;
    const bool m_saving;
    QLineEdit* m_txtPath;
    QRadioButton* m_opt2;
    QCheckBox* m_ReScanc;
    QCheckBox* m_ReCheckc;
    QCheckBox* m_chkClose;
    QProgressBar* m_pr;
    QPushButton* m_Command1;
    QPushButton* m_Command2;
    QElapsedTimer m_sinceProgress;
    bool m_ran = false;
    bool m_busy = false;
};

} // namespace twinsift
