#pragma once

#include "fileops/file_operation.h"

#include <QDialog>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QBoxLayout;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace twinsift {

class Launcher;
class ShellServices;
class UserInterface;
struct WindowModel;

// What the file-operation dialogs act through.
struct FileOpServices {
    ShellServices& shell;
    UserInterface& ui;
    Launcher& launcher;
    // The main window's end sound, as after a scan.
    std::function<void()> endSound;
};

// What fileDelFrm and FileCMFrm share: the progress, the error list, OK and
// Close in their three states (ready, running, ended) and the run over the
// marked rows that OK starts. Closing the dialog while the run goes (close
// box, Escape) asks for Cancel and keeps the dialog until the run has ended.
class FileOpFrm : public QDialog, private FileOpProgress {
    Q_OBJECT
public:
    // True until a run has ended: the caller then leaves the list alone.
    bool NothingDone() const { return m_state != State::Ended; }
    // PBar's range for the marked files the run will go through.
    void setMarkedCount(std::int64_t count);

protected:
    FileOpFrm(const WindowModel& model, FileOpServices services, QWidget* parent);

    // The choices as they stand now, or nothing when OK must not start a run.
    virtual std::optional<FileOpSettings> runSettings() = 0;
    // After the run and its sweep, before Close offers "&OK".
    virtual void runEnded(const FileOpSettings& /*settings*/) {}
    virtual void failureAdded() {}

    void reject() override;

    // lblFileName, PBar and ErrList, one under the other.
    void addProgress(QBoxLayout& layout);
    // cmdOK and cmdClose on the right of `extra` (may be null).
    void addButtons(QBoxLayout& layout, QPushButton* extra);
    // The controls the run disables and its end enables again.
    void setOptions(std::vector<QWidget*> options) { m_options = std::move(options); }

    static QCheckBox* tickBox(const char* caption, const char* name, bool ticked, QWidget* parent);

    const WindowModel& m_model;
    FileOpServices m_services;
    std::vector<FileOpFailure> m_failures;

private:
    enum class State { Ready, Running, Ended };

    void showLabel(const std::string& text) override;
    void showProgress(std::int64_t value, std::int64_t maximum) override;
    void addFailure(const FileOpFailure& failure) override;
    bool cancelRequested() override { return m_cancelRequested; }

    void cmdOK_Click();
    void run(const FileOpSettings& settings);
    void enterState(State state);

    QLabel* m_lblFileName;
    QProgressBar* m_pBar;
    QTreeWidget* m_errList;
    QPushButton* m_cmdOK;
    QPushButton* m_cmdClose;
    std::vector<QWidget*> m_options;
    State m_state = State::Ready;
    bool m_cancelRequested = false;
};

} // namespace twinsift
