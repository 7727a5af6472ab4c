#pragma once

#include "commands/scan_command.h"
#include "core/startup.h"
#include "core/window_model.h"
#include "fileops/file_operation.h"
#include "scan/exclusion_list.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <memory>
#include <optional>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QLabel;
class QMenu;
class QProgressBar;
class QRadioButton;
class QSplitter;
class QTimer;
class QTreeWidget;

namespace twinsift {

class AdvMarkFrm;
class FileInfoFrm;
class Launcher;
class NamedLock;
class ResultListView;
class SettingsStore;
class ShellServices;
class SkippedSign;
class SoundPlayer;
class UserInterface;

// What the main window talks to besides its own model.
struct MainFrmServices {
    SettingsStore& settings;
    UserInterface& ui;
    Launcher& launcher;
    ShellServices& shell;
    SoundPlayer& sound;
    std::string osDescription;
};

// The main window: renders what the window model announces, hands the
// user's commands to the core, and runs start-up and shut-down.
class MainFrm : public QMainWindow, private ModelListener {
    Q_OBJECT
public:
    MainFrm(MainFrmServices services, CommandLine commandLine, QWidget* parent = nullptr);
    ~MainFrm() override;

    WindowModel& model() { return m_model; }
    // The exclusion list that scans leave out and the Exclude dialog edits.
    KeptExclusionList& exclusions() { return m_exclusions; }

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
    // Panel 1's tooltip: the space that deleting the marked files would free.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void childEvent(QChildEvent* event) override;

private:
    struct ActionEntry;
    // Every menu, menu item and toolbar button, in the order shown.
    static const ActionEntry kActions[];

    // Status bar, caption, command states, engine option, switches, sort indicators.
    void statusChanged() override;
    void searchPathsChanged() override;
    void rowsChanged(RowRange rows) override;
    void rowsInserted(RowRange rows) override;
    void rowsRemoved(const std::vector<RowRange>& removed) override;
    void rowsReordered(const std::vector<std::size_t>& formerRow) override;
    void listReplaced() override;

    void buildActions();
    void buildCentralArea();
    void buildStatusBar();
    // Names for screen readers and the Tab key's path through the controls.
    void arrangeKeyboardAccess();

    void load();
    void loadDefaultParameters();
    void firstShow();
    void unload();
    void newSession();
    void saveSession();
    // Load Session, then the window as after a scan; the excluded folders the
    // session brought are written to the exclusion list's file.
    void loadSession();
    // SaveFrm in `mode` over the model; true when it saved or loaded.
    bool showSaveFrm(const std::string& mode, ExclusionList* exclusions);
    void showTips();
    void togglePictureViewer();
    void toggleRecycleBin();
    void openFaq();
    void openOnlineHelp();
    void openHelpPage(const char* page);
    void showAbout();
    // The single-file commands of the Action menu; each does nothing
    // without a focused row (Open Mark Files: without marked rows).
    void renameFile();
    void openFile();
    void openFolder();
    void openMarkFiles();
    void copyPath();
    void showFileProperties();
    void showHelpTopics();
    // The focused row's picture in the viewer, or the viewer hidden.
    void previewPicture();
    // What a scan started from the window needs, after saving the window's
    // geometry and closing the windows that show old results.
    ScanSettings prepareScan();
    void runScan();
    void scanEnded(std::optional<ScanOutcome> outcome);
    void cancelScan();
    void closeWindow();
    void renderActions();
    void renderRemoveButton();
    // The status bar's progress bar: shown while a scan or a session load
    // runs, with its fraction where panel 1 tells one, or while a dialog's
    // own bar is part-way; hidden otherwise.
    void renderProgress();
    const QProgressBar* runningDialogBar() const;
    void syncTimers();
    // Timer2: the end sound, half a second from now.
    void startEndSound();
    void playEndSound();
    void fuzzyToggled(bool checked);
    void protectToggled(bool checked);
    void searchPathChosen();
    void addSearchPath();
    void editSearchPath();
    void removeSearchPath();
    void showExclusions();
    void showAdvMarking();
    void showExportFrm();
    // Toolbar button 4: the Mark Quick menu under the button.
    void popUpMarkMenu();
    void showFreedSpace(QPoint where);
    void deleteMarked();
    void moveMarked();
    void copyMarked();
    // Delete and Move: the protection check, the dialog, then the list
    // without the files that are gone; Copy: the dialog only.
    void fileOperation(FileOpMode mode);
    // True when the dialog ran before it closed.
    bool showFileOpFrm(FileOpMode mode, const std::string& destination, std::int64_t count);

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
    ResultListView* m_rlv = nullptr;
    QSplitter* m_splitter = nullptr;
    QProgressBar* m_progressBar = nullptr;
    std::array<QLabel*, 5> m_panels{};
    SkippedSign* m_skippedSign = nullptr;
    std::vector<QAction*> m_actions; // by position in kActions
    QMenu* m_actionMenu = nullptr;
    QMenu* m_markMenu = nullptr;
    AdvMarkFrm* m_advMarkFrm = nullptr;  // made on first use, then shown and hidden
    QPointer<FileInfoFrm> m_fileInfoFrm; // made by a preview, gone when closed
    QTimer* m_timer1 = nullptr;          // elapsed time while scanning
    QTimer* m_timer2 = nullptr;          // end sound after a scan
    std::unique_ptr<NamedLock> m_tsMutex;
};

} // namespace twinsift
