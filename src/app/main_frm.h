#pragma once

#include "commands/scan_command.h"
#include "core/startup.h"
#include "core/window_model.h"
#include "scan/exclusion_list.h"

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QLabel;
class QMenu;
class QRadioButton;
class QTableView;
class QTimer;
class QTreeWidget;

namespace twinsift {

class Launcher;
class NamedLock;
class ResultListModel;
class SettingsStore;
class SkippedSign;
class SoundPlayer;
class UserInterface;

// What the main window talks to besides its own model.
struct MainFrmServices {
    SettingsStore& settings;
    UserInterface& ui;
    Launcher& launcher;
    SoundPlayer& sound;
    std::string osDescription;
};

// The main window: renders the window model, hands the user's commands to
// the core, and runs start-up and shut-down.
class MainFrm : public QMainWindow {
    Q_OBJECT
public:
    MainFrm(MainFrmServices services, CommandLine commandLine, QWidget* parent = nullptr);
    ~MainFrm() override;

    WindowModel& model() { return m_model; }
    // The exclusion list that scans leave out and the Exclude dialog edits.
    KeptExclusionList& exclusions() { return m_exclusions; }
    // Shows the model's current state: status bar, search paths, switches, toggles.
    void render();
    // Re-reads the result rows and the sort indicators.
    void renderResults();

    // The outer geometry in twips, as stored under "WindowSize".
    WindowGeometry geometryInTwips() const;
    // Kept inside the screen's work area, whatever the geometry holds.
    void setGeometryInTwips(const WindowGeometry& geometry);

    // Where Scan and Close write the default search paths; empty while a
    // damaged default.tsf could not be set aside.
    std::string defaultParametersPath() const;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    void buildCentralArea();
    void buildStatusBar();

    void load();
    void loadDefaultParameters();
    void firstShow();
    void unload();
    void newSession();
    void showTips();
    void togglePictureViewer();
    void toggleRecycleBin();
    void openHelpPage(const char* page);
    // What a scan started from the window needs, after saving the window's
    // geometry and closing the windows that show old results.
    ScanSettings prepareScan();
    void runScan();
    void scanEnded(std::optional<ScanOutcome> outcome);
    void cancelScan();
    void renderCommandStates();
    void syncTimers();
    void playEndSound();
    void fuzzyToggled(bool checked);
    void protectToggled(bool checked);
    void searchPathChosen();
    void addSearchPath();
    void editSearchPath();
    void removeSearchPath();
    void showExclusions();

    QAction* addAction(QMenu* menu, const char* name, const char* caption,
                       const QKeySequence& shortcut = {});

    MainFrmServices m_services;
    CommandLine m_commandLine;
    WindowModel m_model;
    KeptExclusionList m_exclusions;
    bool m_activated = false;
    bool m_closeAfterScan = false;
    // False until default.tsf was read whole, set aside or found absent.
    bool m_defaultsWritable = false;

    QTreeWidget* m_searchList = nullptr;
    std::array<QRadioButton*, 4> m_options{};
    QCheckBox* m_chkFuzzy = nullptr;
    QCheckBox* m_chkProtect = nullptr;
    QCheckBox* m_chkIncludeHidden = nullptr;
    QAbstractButton* m_cmdRemove = nullptr;
    std::vector<QWidget*> m_searchControls; // what the scanning state disables
    QTableView* m_rlv = nullptr;
    ResultListModel* m_results = nullptr;
    std::array<QLabel*, 5> m_panels{};
    SkippedSign* m_skippedSign = nullptr;
    std::array<QAction*, 13> m_toolbarButtons{}; // by button index 1 to 12
    QMenu* m_actionMenu = nullptr;
    QTimer* m_timer1 = nullptr; // elapsed time while scanning
    QTimer* m_timer2 = nullptr; // end sound after a scan
    std::unique_ptr<NamedLock> m_tsMutex;
};

} // namespace twinsift
