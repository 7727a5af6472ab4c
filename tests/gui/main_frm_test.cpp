#include "app/desktop_app.h"
#include "app/main_frm.h"
#include "gui_support.h"
#include "persist/parameters_file.h"
#include "support/temp_dir.h"

#include <QAction>
#include <QCheckBox>
#include <QDebug>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <optional>

namespace twinsift {

using Harness = test::WindowHarness;

class MainFrmTest : public QObject {
    Q_OBJECT

    // A data folder of this program's own, so that other tests' files are not read.
    test::TempDir m_dataHome;

    std::string defaultsPath() const { return m_dataHome.path() + "Twinsift/default.tsf"; }
    static std::string sessionText(const std::vector<std::string>& paths) {
        WindowModel model;
        for (const std::string& path : paths)
            model.SearchList.push_back({path, {"Yes", "All files(*.*)", "0", "", "", ""}});
        return searchParametersText(model) + "\r\n";
    }
    // A default.tsf with these search paths and `tail` after them; returns its text.
    std::string writeDefaults(const std::vector<std::string>& paths, const std::string& tail = "") {
        std::string text = sessionText(paths);
        text.insert(text.find("\r\n", text.find("\r\n") + 2) + 2, tail);
        m_dataHome.write("Twinsift/default.tsf", text);
        return text;
    }
    // A session file elsewhere in the data home holding these search paths.
    std::string writeSession(const std::string& name, const std::vector<std::string>& paths) {
        return m_dataHome.write(name, sessionText(paths));
    }
    bool m_closeAsked = false;

private slots:
    void initTestCase() { qputenv("XDG_DATA_HOME", QByteArray::fromStdString(m_dataHome.path())); }
    void init() {
        std::filesystem::remove_all(m_dataHome.path() + "Twinsift");
        m_closeAsked = false;
    }

    void firstStartWithEmptySettingsOpensDefaultWindowAndTips() {
        Harness h(std::nullopt);
        MainFrm& window = h.create();
        const auto tipsSeen =
            test::whenModalShown("frmTip", [](QWidget& tip) { test::clickButton(tip, "cmdOK"); });
        window.show();
        QTRY_VERIFY(*tipsSeen);

        QCOMPARE(window.pos(), QPoint(0, 0));
        QCOMPARE(window.size(), QSize(800, 533)); // 12000 x 8000 twips
        QCOMPARE(window.windowTitle(), QStringLiteral("Twinsift v3.5.3"));
        QVERIFY(window.findChild<QAction*>("MPicViewer")->isChecked());
        QCOMPARE(h.panel(2), "Duplicates : 0");
        QCOMPARE(h.panel(3), "Files : 0");
        QCOMPARE(h.panel(4), "Folders : 0");
        QVERIFY(h.ui.asked().empty());

        // The extension and the folder stand beside the name; the sort keys are hidden.
        QHeaderView* header = h.child<QTableView>("RLV")->horizontalHeader();
        QStringList shown;
        for (int visual = 0; visual < header->count(); ++visual) {
            const int logical = header->logicalIndex(visual);
            if (!header->isSectionHidden(logical))
                shown << header->model()->headerData(logical, Qt::Horizontal).toString();
        }
        QCOMPARE(shown, QStringList({"File Name", "Ext", "In Folder", "Size(Bytes)",
                                     "Last Modified.", "File Version", "Group"}));
    }

    void damagedSettingsAreToldOnceAndTheSearchPathsStillRead() {
        Harness h;
        h.settings.saveSetting("WindowSize", "W", "wide");
        h.settings.saveSetting("Options", "Display", "on");
        writeDefaults({"/data/one/", "/data/two/"});
        h.ui.expectMessage({"These saved settings could not be read; their defaults are used:\r\n"
                            "Options/Display = \"on\" (default 10)\r\n"
                            "WindowSize/W = \"wide\" (default 12000)",
                            "Settings", MsgIcon::Exclamation, MsgButtons::OK, 1},
                           MsgAnswer::OK);
        h.create();
        MainFrm& window = h.start();
        QCOMPARE(h.ui.asked().size(), std::size_t{1}); // at load, not again at first show
        QCOMPARE(window.width(), 800);                 // 12000 twips
        QVERIFY(window.findChild<QAction*>("MPicViewer")->isChecked());
        window.close();
        QVERIFY(test::readFile(defaultsPath()).find("/data/two/") != std::string::npos);
    }

    // A second damage takes the next free name: the first damaged copy may
    // hold the only full list.
    void damagedDefaultFileIsKeptAsideAndTheUserTold() {
        const std::string damaged = writeDefaults({"/data/one/", "/data/two/"}, "short\r\n");
        for (const std::string kept : {".damaged", ".damaged-2"}) {
            Harness h;
            h.ui.expectMessage({"The search paths in \"" + defaultsPath() +
                                    "\" could not all be read (line 3). The file is kept as \"" +
                                    defaultsPath() + kept +
                                    "\"; the search paths shown are those read before the damage.",
                                "Default Search Paths", MsgIcon::Exclamation, MsgButtons::OK, 1},
                               MsgAnswer::OK);
            h.create();
            MainFrm& window = h.start();
            QCOMPARE(h.child<QTreeWidget>("SearchList")->topLevelItemCount(), 1);
            QCOMPARE(test::readFile(defaultsPath() + kept), damaged);

            window.close(); // writes what is shown; the damaged file stays as it was
            QVERIFY(test::readFile(defaultsPath()).find("/data/one/") != std::string::npos);
            QCOMPARE(test::readFile(defaultsPath() + ".damaged"), damaged);
            writeDefaults({"/data/one/", "/data/two/"}, "short\r\n");
        }
    }

    void damagedDefaultFileThatCannotBeSetAsideIsNeverOverwritten() {
        Harness h;
        const std::string damaged = writeDefaults({"/data/one/", "/data/two/"}, "short\r\n");
        m_dataHome.write("Twinsift/default.tsf.damaged/earlier", "in the way");
        for (int taken = 2; taken <= 9; ++taken)
            m_dataHome.write("Twinsift/default.tsf.damaged-" + std::to_string(taken), "taken");
        h.ui.expectMessage(
            "The search paths in \"" + defaultsPath() +
                "\" could not all be read (line 3), and "
                "it could not be set aside: File exists. Twinsift will not write it this time.",
            MsgAnswer::OK);
        h.create();
        MainFrm& window = h.start();
        QVERIFY(window.defaultParametersPath().empty());
        window.close();
        QCOMPARE(test::readFile(defaultsPath()), damaged);
    }

    // A window closed while minimised was stored far off; absurd numbers lie beyond any screen.
    void storedGeometryIsKeptOnTheScreen() {
        const std::vector<std::pair<std::vector<const char*>, std::optional<QPoint>>> cases{
            {{"-1000", "-32000", "10350", "5000"}, QPoint(6, 6)}, // 100 twips
            {{"30000000", "-1e300", "1e300", "1e300"}, std::nullopt}};
        for (const auto& [stored, expected] : cases) {
            Harness h;
            for (int i = 0; i < 4; ++i)
                h.settings.saveSetting("WindowSize", std::string(1, "TLWH"[i]), stored[i]);
            MainFrm& window = h.start();
            const QRect area = window.screen()->availableGeometry();
            // Stored like the window, as the corner of its frame and the size inside it.
            QString shown;
            QDebug(&shown) << stored[0] << window.frameGeometry() << window.size() << "in" << area;
            QVERIFY2(area.contains(window.frameGeometry().topLeft()) &&
                         window.width() <= area.width() && window.height() <= area.height(),
                     qPrintable(shown));
            if (expected)
                QCOMPARE(window.pos(), *expected);
            QVERIFY(h.ui.asked().empty());
        }
    }

    // Tips are not shown when a session was given.
    void commandLineSessionIsScannedOrReportedMissing() {
        const std::string folder = m_dataHome.mkdir("searched");
        m_dataHome.write("searched/one.txt", "1");
        Harness h(true);
        h.start(parseCommandLine({writeSession("run-unsorted.tsf", {folder})}));
        QCOMPARE(h.model().SearchList.size(), std::size_t{1});
        QCOMPARE(h.model().SearchList.front().text, folder);
        QCOMPARE(h.panel(1), QStringLiteral("Search Completed."));
        QCOMPARE(h.panel(3), QStringLiteral("Files : 1"));
        QVERIFY(h.ui.asked().empty());

        Harness missing(true);
        missing.ui.expectMessage({"\"/no/such/dir/my session.tsf\"", "File Not Found",
                                  MsgIcon::Critical, MsgButtons::OK, 1},
                                 MsgAnswer::OK);
        MainFrm& window = missing.start(parseCommandLine({"\"/no/such/dir/my session.tsf\""}));
        QVERIFY(!window.model().Timer2Enabled); // no scan ran
        QVERIFY(window.isVisible());
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

    void closingSavesGeometryOptionsAndDefaultFileAndReopeningRestoresThem() {
        Harness h;
        MainFrm& window = h.start();
        window.move(30, 45);
        window.resize(700, 500);
        window.findChild<QAction*>("Toolbar1Button11")->trigger();
        QCOMPARE(h.settings.getSetting("Options", "Display", ""), std::string("9"));
        QTest::qWait(20);
        QVERIFY(!std::filesystem::exists(defaultsPath()));
        window.close();
        QCOMPARE(h.settings.getSetting("WindowSize", "W", ""), std::string("10500"));
        QCOMPARE(h.settings.getSetting("WindowSize", "T", ""), std::string("675"));
        QVERIFY(std::filesystem::exists(defaultsPath()));

        h.window.reset();
        MainFrm& again = h.start();
        QCOMPARE(QRect(again.pos(), again.size()), QRect(30, 45, 700, 500));
        QAction* viewer = again.findChild<QAction*>("MPicViewer");
        QVERIFY(!viewer->isChecked());
        viewer->trigger();
        QCOMPARE(h.settings.getSetting("Options", "Display", ""), std::string("10"));
    }

    // The scan saves the defaults as it starts; a close asked for during it
    // stops the scan and saves them again only once the scan has stopped.
    void closingDuringAScanClosesOnceItHasStopped() {
        for (const bool fromCommandLine : {true, false}) {
            init();
            Harness h;
            const std::string folder = m_dataHome.mkdir("searched");
            m_dataHome.write("searched/one.txt", "1");
            const std::string session = writeSession("run.tsf", {folder});
            if (!fromCommandLine)
                writeDefaults({folder});
            MainFrm& window =
                h.create(fromCommandLine ? parseCommandLine({session}) : CommandLine{});
            bool closedOrSavedWhileScanning = true;
            window.model().yield = [&] {
                if (window.model().scanning && !std::exchange(m_closeAsked, true)) {
                    std::filesystem::remove(defaultsPath());
                    window.close(); // the user's close box, reached through a yield
                    closedOrSavedWhileScanning =
                        !window.isVisible() || std::filesystem::exists(defaultsPath());
                }
            };
            h.start();
            if (!fromCommandLine)
                window.findChild<QAction*>("MScan")->trigger();
            QVERIFY(m_closeAsked);
            QVERIFY(!closedOrSavedWhileScanning);
            QCOMPARE(h.panel(1), QStringLiteral("Search Terminated."));
            QTRY_VERIFY(!window.isVisible());
            QVERIFY(test::readFile(defaultsPath()).find(folder) != std::string::npos);
        }
    }

    void removeNeedsARowTheUserSelected() {
        Harness h;
        writeDefaults({"/data/one/", "/data/two/"});
        h.create();
        MainFrm& window = h.start();
        auto* list = h.child<QTreeWidget>("SearchList");
        auto* remove = h.child<QPushButton>("cmdRemove");
        QCOMPARE(list->topLevelItemCount(), 2);
        QVERIFY(!remove->isEnabled());

        // Taking the focus makes a row current without selecting it.
        window.activateWindow();
        list->setFocus(Qt::TabFocusReason);
        QTest::qWait(20);
        QVERIFY(list->currentItem());
        QVERIFY(!remove->isEnabled());
        remove->click();
        QCOMPARE(list->topLevelItemCount(), 2);

        list->topLevelItem(1)->setSelected(true);
        QVERIFY(remove->isEnabled());
        remove->click();
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(window.model().SearchList.front().text, std::string("/data/one/"));
    }

    void newSessionResetsListsOptionsAndStatusBar() {
        Harness h;
        MainFrm& window = h.start();
        WindowModel& model = window.model();
        model.SearchList.push_back({"/home/me/", {"Yes", "All(*.*)", "0", "", "", ""}});
        model.cmdRemoveEnabled = true;
        model.rows.resize(3);
        model.skipped.add("/home/me/locked/", "Permission denied");
        model.sortIndicators[ColGroup] = SortIndicator::Descending;
        model.chkProtect.tag = "Direct";
        model.notices().listReplaced();
        model.notices().searchPathsChanged();
        model.notices().statusChanged();
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
        QVERIFY(h.child<QCheckBox>("chkProtect")->isChecked());
        QVERIFY(!h.child<QCheckBox>("chkIncludeHidden")->isChecked());
        QVERIFY(!h.child<QPushButton>("cmdRemove")->isEnabled());
        QCOMPARE(h.panel(1), "Add search path and click on the scan button to start search.");
        QVERIFY(!h.panelShown(2) && !h.panelShown(3) && !h.panelShown(4));
        // The account of the last scan's skipped items went with its results.
        QVERIFY(!h.child<QWidget>("SkippedSign")->isVisibleTo(&window));
        QCOMPARE(h.panel(5), "00:00:00");
        QVERIFY(!h.child<QTableView>("RLV")->horizontalHeader()->isSortIndicatorShown());
    }

    // Marks, removals of other rows and re-sorts keep what the user chose on
    // the same files, in the view and in the window model alike.
    void selectionAndCurrentRowStayWithTheirFiles() {
        Harness h;
        MainFrm& window = h.start();
        WindowModel& model = window.model();
        for (int i = 0; i < 300; ++i) {
            RowFacts facts;
            facts.group = i / 3 + 1;
            model.rows.push_back(makeResultRow(
                QStringLiteral("f%1").arg(i, 3, 10, QChar('0')).toStdString(), "", "", "", facts));
        }
        announceAppendedRows(model, 0);
        auto* rlv = h.child<QTableView>("RLV");
        const auto click = [&](int row, Qt::KeyboardModifiers modifiers) {
            rlv->scrollTo(rlv->model()->index(row, ColFileName));
            const QRect cell = rlv->visualRect(rlv->model()->index(row, ColFileName));
            QTest::mouseClick(rlv->viewport(), Qt::LeftButton, modifiers, cell.center());
        };
        click(150, Qt::NoModifier);
        click(152, Qt::ControlModifier);
        click(155, Qt::ControlModifier);
        const int scrolled = rlv->verticalScrollBar()->value();
        QVERIFY(scrolled > 0);

        const auto nameAt = [&](std::size_t row) {
            return QString::fromStdString(model.rows[row].name());
        };
        const QStringList chosen{"f150", "f152", "f155"};
        const auto stillChosen = [&] {
            QStringList shown;
            for (const QModelIndex& index : rlv->selectionModel()->selectedRows(ColFileName))
                shown << index.data().toString();
            QStringList held;
            for (std::size_t r = 0; r < model.rows.size(); ++r)
                if (model.rows[r].selected)
                    held << nameAt(r);
            shown.sort();
            held.sort();
            QCOMPARE(shown, chosen);
            QCOMPARE(held, chosen);
            QCOMPARE(rlv->currentIndex().siblingAtColumn(ColFileName).data().toString(), "f155");
            QVERIFY(model.focusedRow);
            QCOMPARE(nameAt(*model.focusedRow), "f155");
        };
        stillChosen();

        markRows(model, {152, 152}, true);
        markRows(model, {140, 160}, true);
        markRows(model, {152, 152}, false);
        QTest::qWait(10);
        stillChosen();
        QCOMPARE(rlv->verticalScrollBar()->value(), scrolled);
        QVERIFY(!model.rows[152].marked() && model.rows[153].marked());

        removeResultRows(model, [](const ResultRow& row) {
            const std::string& name = row.name();
            return name < "f100" || name.ends_with('1') || name == "f154";
        });
        QTest::qWait(10);
        QCOMPARE(rlv->model()->rowCount(), 179);
        stillChosen();
        QCOMPARE(rlv->verticalScrollBar()->value(), scrolled);

        sortResultRows(model, ColFileName, true);
        QTest::qWait(10);
        stillChosen();
        QCOMPARE(rlv->model()->index(0, ColFileName).data().toString(), "f299");
        // A list given anew shows what the model holds.
        model.notices().listReplaced();
        stillChosen();

        // The user's next choice reaches the model as well.
        click(0, Qt::NoModifier);
        QVERIFY(model.rows[0].selected && !model.rows[*model.focusedRow].name().empty());
        QCOMPARE(model.focusedRow, 0u);
        QCOMPARE(std::count_if(model.rows.begin(), model.rows.end(),
                               [](const ResultRow& row) { return row.selected; }),
                 1);

        // Everything chosen, then an end row goes: Qt keeps a whole-table
        // selection as one range, which a shorter list must not leave invalid.
        rlv->selectAll();
        removeResultRows(model, [&](const ResultRow& row) { return &row == &model.rows.front(); });
        QTest::qWait(10);
        QCOMPARE(rlv->selectionModel()->selectedRows().size(), 178);
        QVERIFY(std::all_of(model.rows.begin(), model.rows.end(),
                            [](const ResultRow& row) { return row.selected; }));
    }

    void recycleBinToggleAsksBeforeDeletingPermanently() {
        Harness h;
        const MessageBoxRequest confirm{
            "This will delete the files permanently i.e., they are not moved to the "
            "Trash.\r\nDo you want to proceed? (not recommended)",
            "Confirm", MsgIcon::None, MsgButtons::YesNo, 2};
        h.ui.expectMessage(confirm, MsgAnswer::No).expectMessage(confirm, MsgAnswer::Yes);
        h.start();
        QAction* menu = h.action("MSendToRecycleBin");
        QCOMPARE(menu->text(), "Move to Trash");
        QCOMPARE(h.action("Toolbar1Button12")->text(), "Trash");
        // No keeps the recycle bin, Yes leaves it, and the way back asks nothing.
        for (const auto& [act, stored] : {std::pair{"Toolbar1Button12", "12"},
                                          {"MSendToRecycleBin", "11"},
                                          {"Toolbar1Button12", "12"}}) {
            h.action(act)->trigger();
            QCOMPARE(menu->isChecked(), stored == std::string("12"));
            QCOMPARE(h.settings.getSetting("Options", "RecycleBin", ""), std::string(stored));
        }
    }
};

} // namespace twinsift

QTEST_MAIN(twinsift::MainFrmTest)
#include "main_frm_test.moc"
