#include "app/main_frm.h"
#include "gui_support.h"
#include "support/memory_settings.h"
#include "support/scripted_answerer.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

namespace twinsift {

using test::MemorySettings;
using test::Question;
using test::RecordingLauncher;
using test::ScriptedAnswerer;

// One main window over in-memory settings and a scripted user.
struct Harness {
    MemorySettings settings;
    ScriptedAnswerer ui;
    RecordingLauncher launcher;
    test::SilentSoundPlayer sound;
    std::unique_ptr<MainFrm> window;

    explicit Harness(bool tips = false) {
        settings.saveSetting("Options", "Show Tips at Startup", tips ? "1" : "0");
    }
    MainFrm& create(CommandLine commandLine = {}) {
        window = std::make_unique<MainFrm>(
            MainFrmServices{settings, ui, launcher, sound, "OS : Linux 6.1"},
            std::move(commandLine));
        return *window;
    }
    // Shows the window and lets the first-show handler run.
    MainFrm& start(CommandLine commandLine = {}) {
        if (!window)
            create(std::move(commandLine));
        window->show();
        QTest::qWait(50);
        return *window;
    }
    template <class T> T* child(const QString& name) { return window->findChild<T*>(name); }
    QLabel* statusPanel(int number) {
        return child<QLabel>(QStringLiteral("StatusBar1Panel%1").arg(number));
    }
    QString panel(int number) { return statusPanel(number)->text(); }
    bool panelShown(int number) { return !statusPanel(number)->isHidden(); }
};

class MainFrmTest : public QObject {
    Q_OBJECT
private slots:
    void firstStartWithEmptySettingsOpensDefaultWindowAndTips() {
        MemorySettings settings;
        ScriptedAnswerer ui;
        RecordingLauncher launcher;
        test::SilentSoundPlayer sound;
        MainFrm window({settings, ui, launcher, sound, "OS : Linux 6.1"}, {});
        const auto tipsSeen =
            test::whenModalShown("frmTip", [](QWidget& tip) { test::clickButton(tip, "cmdOK"); });
        window.show();
        QTRY_VERIFY(*tipsSeen);

        QCOMPARE(window.pos(), QPoint(0, 0));
        QCOMPARE(window.size(), QSize(800, 533)); // 12000 x 8000 twips
        QCOMPARE(window.windowTitle(), QStringLiteral("Twinsift v3.5.3"));
        QVERIFY(window.findChild<QAction*>("MPicViewer")->isChecked());
        QVERIFY(window.findChild<QAction*>("MSendToRecycleBin")->isChecked());
        QCOMPARE(window.findChild<QLabel*>("StatusBar1Panel2")->text(), "Duplicates : 0");
        QCOMPARE(window.findChild<QLabel*>("StatusBar1Panel3")->text(), "Files : 0");
        QCOMPARE(window.findChild<QLabel*>("StatusBar1Panel4")->text(), "Folders : 0");
        QVERIFY(ui.asked().empty());

        // The extension and the folder stand beside the name; the sort keys are hidden.
        QHeaderView* header = window.findChild<QTableView*>("RLV")->horizontalHeader();
        QStringList shown;
        for (int visual = 0; visual < header->count(); ++visual) {
            const int logical = header->logicalIndex(visual);
            if (!header->isSectionHidden(logical))
                shown << header->model()->headerData(logical, Qt::Horizontal).toString();
        }
        QCOMPARE(shown, QStringList({"File Name", "Ext", "In Folder", "Size(Bytes)",
                                     "Last Modified.", "File Version", "Group"}));
    }

    void windowClosedWhileMinimisedComesBackOnScreen() {
        Harness h;
        h.settings.saveSetting("WindowSize", "T", "-1000");
        h.settings.saveSetting("WindowSize", "L", "-32000");
        QCOMPARE(h.start().pos(), QPoint(6, 6)); // 100 twips
    }

    void storedSizeThatIsNoNumberIsReportedAndRetried() {
        // Retry after the store was mended applies the geometry and goes on loading.
        struct MendingUser : ScriptedAnswerer {
            MemorySettings* settings = nullptr;
            std::vector<ErrorRecord> reports;
            ErrorReportAnswer errorReport(const ErrorRecord& error) override {
                reports.push_back(error);
                settings->saveSetting("WindowSize", "W", "10800");
                return ErrorReportAnswer::Retry;
            }
        };
        MemorySettings settings;
        settings.saveSetting("Options", "Show Tips at Startup", "0");
        settings.saveSetting("WindowSize", "W", "wide");
        MendingUser user;
        user.settings = &settings;
        RecordingLauncher launcher;
        test::SilentSoundPlayer sound;
        MainFrm window({settings, user, launcher, sound, ""}, {});
        window.show();
        QTest::qWait(50);
        QCOMPARE(user.reports.size(), std::size_t{1});
        QCOMPARE(user.reports[0].number, 13L);
        QCOMPARE(user.reports[0].procedure, std::string("Loading"));
        QCOMPARE(window.width(), 720);
        QVERIFY(!window.model().helpFile.empty()); // the steps after it ran
    }

    void abortLeavesTheLoadHandler() {
        Harness h;
        h.settings.saveSetting("WindowSize", "H", "tall");
        h.ui.expectErrorReport(ErrorReportAnswer::Abort)
            .expectErrorReport(ErrorReportAnswer::Abort);
        h.start();
        // Load and first show each report once; nothing after the failing step ran.
        QCOMPARE(h.ui.asked().size(), std::size_t{2});
        QCOMPARE(h.ui.asked()[0].error.procedure, std::string("Loading"));
        QVERIFY(h.window->model().helpFile.empty());
        QVERIFY(h.window->isVisible());
    }

    void missingCommandLineSessionIsReportedWithItsQuotedPath() {
        Harness h(true); // tips are not shown when a session was given
        h.ui.expectMessage({"\"/no/such/dir/my session.tsf\"", "File Not Found", MsgIcon::Critical,
                            MsgButtons::OK, 1},
                           MsgAnswer::OK);
        int scans = 0;
        MainFrm& window = h.create(parseCommandLine({"\"/no/such/dir/my session.tsf\""}));
        window.model().OpenParametersFile = [](WindowModel&, const std::string&) { return false; };
        window.model().Scan = [&](WindowModel&) { ++scans; };
        h.start();
        QCOMPARE(h.ui.asked().size(), std::size_t{1});
        QCOMPARE(scans, 0);
        QVERIFY(window.isVisible());
    }

    void commandLineSessionIsOpenedAndScanned() {
        Harness h(true);
        std::string opened;
        int scans = 0;
        MainFrm& window = h.create(parseCommandLine({"/data/run-unsorted.tsf"}));
        window.model().OpenParametersFile = [&](WindowModel&, const std::string& path) {
            opened = path;
            return true;
        };
        window.model().Scan = [&](WindowModel&) { ++scans; };
        h.start();
        QCOMPARE(opened, std::string("/data/run-unsorted.tsf"));
        QCOMPARE(scans, 1);
        QVERIFY(h.ui.asked().empty());
    }

    void resizeBelowTheMinimumSnapsBackAndRestoresTheCaption() {
        Harness h;
        MainFrm& window = h.start();
        window.setWindowTitle("Scanning... /ho...\\x");
        window.resize(300, 200);
        QTest::qWait(20);
        QCOMPARE(window.size(), QSize(690, 333)); // 10350 x 5000 twips
        QCOMPARE(window.windowTitle(), QStringLiteral("Twinsift v3.5.3"));
    }

    void closingSavesGeometryAndDefaultFileAndReopeningRestoresThem() {
        Harness h;
        std::string savedTo;
        h.create().model().SaveSearchParameters = [&](WindowModel&, const std::string& path) {
            savedTo = path;
        };
        MainFrm& window = h.start();
        window.move(30, 45);
        window.resize(900, 600);
        QTest::qWait(20);
        window.close();
        QCOMPARE(h.settings.getSetting("WindowSize", "W", ""), std::string("13500"));
        QCOMPARE(h.settings.getSetting("WindowSize", "H", ""), std::string("9000"));
        QCOMPARE(h.settings.getSetting("WindowSize", "L", ""), std::string("450"));
        QCOMPARE(h.settings.getSetting("WindowSize", "T", ""), std::string("675"));
        QVERIFY(savedTo.ends_with("/Twinsift/default.tsf"));

        h.window.reset();
        MainFrm& again = h.start();
        QCOMPARE(again.pos(), QPoint(30, 45));
        QCOMPARE(again.size(), QSize(900, 600));
    }

    void closingDuringAScanStopsTheScanBeforeShuttingDown() {
        Harness h;
        int saves = 0;
        bool closedWhileScanning = true;
        MainFrm& window = h.create();
        window.model().SaveSearchParameters = [&](WindowModel&, const std::string&) { ++saves; };
        window.model().Scan = [&](WindowModel& model) {
            model.scanning = true;
            window.close(); // the user's close box, reached through a yield
            closedWhileScanning = !window.isVisible();
            QVERIFY(model.SearchCancelled);
            model.scanning = false;
        };
        h.start();
        window.findChild<QAction*>("MScan")->trigger();
        QVERIFY(!closedWhileScanning);
        QCOMPARE(saves, 0);
        QTRY_VERIFY(!window.isVisible());
        QCOMPARE(saves, 1);
    }

    void newSessionResetsListsOptionsAndStatusBar() {
        Harness h;
        MainFrm& window = h.start();
        WindowModel& model = window.model();
        model.SearchList.push_back({"/home/me/", {"Yes", "All(*.*)", "0", "", "", ""}});
        model.cmdRemoveEnabled = true;
        model.rows.resize(3);
        model.sortIndicators[ColGroup] = SortIndicator::Descending;
        model.chkProtect.tag = "Direct";
        model.notifyChanged();
        h.child<QRadioButton>("Option2")->click();
        // Unchecking by hand asks first; No keeps it unchecked.
        h.ui.expectMessage(
            "It is highly recommended to leave this option checked to prevent loss of data.\r\n"
            "Do you want to leave this option",
            MsgAnswer::No);
        h.child<QCheckBox>("chkProtect")->setChecked(false);
        h.child<QCheckBox>("chkIncludeHidden")->setChecked(true);
        QCOMPARE(h.child<QTreeWidget>("SearchList")->topLevelItemCount(), 1);

        window.findChild<QAction*>("MNewSession")->trigger();

        QCOMPARE(h.child<QTreeWidget>("SearchList")->topLevelItemCount(), 0);
        QCOMPARE(h.child<QTableView>("RLV")->model()->rowCount(), 0);
        QVERIFY(h.child<QRadioButton>("Option1")->isChecked());
        QVERIFY(h.child<QCheckBox>("chkFuzzy")->isEnabled());
        QVERIFY(!h.child<QCheckBox>("chkFuzzy")->isChecked());
        QVERIFY(h.child<QCheckBox>("chkProtect")->isChecked());
        QVERIFY(!h.child<QCheckBox>("chkIncludeHidden")->isChecked());
        QVERIFY(!h.child<QPushButton>("cmdRemove")->isEnabled());
        QCOMPARE(h.panel(1), "Add search path and click on the scan button to start search.");
        QVERIFY(!h.panelShown(2) && !h.panelShown(3) && !h.panelShown(4));
        QCOMPARE(h.panel(5), "00:00:00");
        QVERIFY(!h.child<QTableView>("RLV")->horizontalHeader()->isSortIndicatorShown());
        QCOMPARE(h.ui.asked().size(), std::size_t{1}); // the programmatic changes ask nothing
    }

    void recycleBinToggleAsksBeforeDeletingPermanently() {
        Harness h;
        const MessageBoxRequest confirm{
            "This will delete the files permanently i.e., they are not sent to the recycle "
            "bin.\r\nDo you want to proceed? (not recommended)",
            "Confirm", MsgIcon::None, MsgButtons::YesNo, 2};
        h.ui.expectMessage(confirm, MsgAnswer::No).expectMessage(confirm, MsgAnswer::Yes);
        MainFrm& window = h.start();
        QAction* button = window.findChild<QAction*>("Toolbar1Button12");
        QAction* menu = window.findChild<QAction*>("MSendToRecycleBin");

        button->trigger(); // No: stays with the recycle bin
        QVERIFY(menu->isChecked());
        QCOMPARE(h.settings.getSetting("Options", "RecycleBin", ""), std::string("12"));
        menu->trigger(); // Yes
        QVERIFY(!menu->isChecked());
        QCOMPARE(h.settings.getSetting("Options", "RecycleBin", ""), std::string("11"));
        button->trigger(); // back to the recycle bin without a question
        QVERIFY(menu->isChecked());
        QCOMPARE(h.settings.getSetting("Options", "RecycleBin", ""), std::string("12"));
        QCOMPARE(h.ui.asked().size(), std::size_t{2});
    }

    void pictureViewerToggleIsStoredAndRestored() {
        Harness h;
        MainFrm& window = h.start();
        window.findChild<QAction*>("Toolbar1Button11")->trigger();
        QVERIFY(!window.findChild<QAction*>("MPicViewer")->isChecked());
        QCOMPARE(h.settings.getSetting("Options", "Display", ""), std::string("9"));
        window.close();

        h.window.reset();
        MainFrm& again = h.start();
        QVERIFY(!again.findChild<QAction*>("MPicViewer")->isChecked());
        again.findChild<QAction*>("MPicViewer")->trigger();
        QVERIFY(again.findChild<QAction*>("MPicViewer")->isChecked());
        QCOMPARE(h.settings.getSetting("Options", "Display", ""), std::string("10"));
    }

    void helpMenuOpensTheShippedPages() {
        Harness h;
        MainFrm& window = h.start();
        window.findChild<QAction*>("mnuFaq")->trigger();
        window.findChild<QAction*>("mnuHelponline")->trigger();
        QCOMPARE(h.launcher.opened.size(), std::size_t{2});
        QVERIFY(h.launcher.opened[0].ends_with("share/twinsift/help/faq.html"));
        QVERIFY(h.launcher.opened[1].ends_with("share/twinsift/help/index.html"));
    }
};

} // namespace twinsift

QTEST_MAIN(twinsift::MainFrmTest)
#include "main_frm_test.moc"
