#include "app/adv_mark_frm.h"
#include "app/desktop_user_interface.h"
#include "app/main_frm.h"
#include "app/warning_frm.h"
#include "core/format.h"
#include "gui_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>

namespace twinsift {

using Harness = test::WindowHarness;

namespace {

// `count` files in groups of two, the first of each in "/data/a/", the
// second in "/data/b/"; file i holds 1000 + i bytes.
void listFiles(WindowModel& model, int count) {
    for (int i = 0; i < count; ++i) {
        RowFacts facts;
        facts.size = 1000 + i;
        facts.group = i / 2 + 1;
        model.rows.push_back(
            makeResultRow(QStringLiteral("f%1.txt").arg(i, 3, 10, QChar('0')).toStdString(),
                          i % 2 ? "/data/b/" : "/data/a/", "", "2024-01-01 10:00", facts));
    }
    model.GroupCount = count / 2;
    model.GroupSizes.assign(static_cast<std::size_t>(count / 2 + 1), 2);
    model.GroupSizes[0] = 0;
    model.lvFolders = {"/data/a/", "/data/b/"};
    announceAppendedRows(model, 0);
}

// A point `x` pixels from the left end of the row.
QPoint rowPoint(QTableView& rlv, int row, int x) {
    rlv.scrollTo(rlv.model()->index(row, ColFileName));
    const QRect cell = rlv.visualRect(rlv.model()->index(row, ColFileName));
    return {cell.left() + x, cell.center().y()};
}

std::vector<std::size_t> markedRows(const WindowModel& model) {
    std::vector<std::size_t> marked;
    for (std::size_t row = 0; row < model.rows.size(); ++row)
        if (model.rows[row].marked())
            marked.push_back(row);
    return marked;
}

template <class T> T* child(QWidget& parent, const char* name) {
    return parent.findChild<T*>(QString::fromLatin1(name));
}

} // namespace

class MarkingTest : public QObject {
    Q_OBJECT

private slots:
    void markBoxClickFlipsTheMarkAndElsewhereOnlySelects() {
        Harness h;
        h.start();
        WindowModel& model = h.model();
        listFiles(model, 6);
        auto& rlv = *h.child<QTableView>("RLV");
        const auto click = [&](int row, int x, Qt::KeyboardModifiers modifiers = {}) {
            QTest::mouseClick(rlv.viewport(), Qt::LeftButton, modifiers, rowPoint(rlv, row, x));
        };

        click(2, 8);
        QCOMPARE(markedRows(model), std::vector<std::size_t>{2});
        QCOMPARE(h.panel(1), QString::fromStdString("Total Files Marked 1 Size " + SizeText(1002)));
        click(3, 60);
        click(4, 60, Qt::ControlModifier);
        QCOMPARE(markedRows(model), std::vector<std::size_t>{2});
        QVERIFY(model.rows[3].selected && model.rows[4].selected && !model.rows[2].selected);

        // Space follows the focused row's mark, for every selected row.
        QTest::keyClick(&rlv, Qt::Key_Space);
        QCOMPARE(markedRows(model), (std::vector<std::size_t>{2, 3, 4}));
        QVERIFY(model.rows[3].selected && model.rows[4].selected);
        QTest::keyClick(&rlv, Qt::Key_Space);
        QCOMPARE(markedRows(model), std::vector<std::size_t>{2});

        // Ctrl+A in the list selects every row rather than opening the dialog
        // (made on first use; closed at once should it open).
        QTimer::singleShot(0, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        QTest::keyClick(&rlv, Qt::Key_A, Qt::ControlModifier);
        QCoreApplication::processEvents();
        QVERIFY(!h.child<AdvMarkFrm>("AdvMarkFrm"));
        QVERIFY(std::all_of(model.rows.begin(), model.rows.end(),
                            [](const ResultRow& row) { return row.selected; }));

        // A double click beyond the box opens the file with its program.
        QTest::mouseDClick(rlv.viewport(), Qt::LeftButton, {}, rowPoint(rlv, 5, 60));
        QCOMPARE(h.launcher.opened, std::vector<std::string>{"/data/b/f005.txt"});
        h.launcher.opens = false;
        h.ui.expectMessage({"There is no program associated with the specified type of file.",
                            "Error", MsgIcon::None, MsgButtons::OK, 1},
                           MsgAnswer::OK);
        QTest::mouseDClick(rlv.viewport(), Qt::LeftButton, {}, rowPoint(rlv, 5, 60));
        h.ui.verify();

        // The right button pops up the Action menu.
        const QPoint at = rowPoint(rlv, 1, 60);
        QContextMenuEvent menuClick(QContextMenuEvent::Mouse, at, rlv.viewport()->mapToGlobal(at));
        QApplication::sendEvent(rlv.viewport(), &menuClick);
        auto* actionMenu = h.child<QMenu>("MAction");
        QTRY_VERIFY(actionMenu->isVisible());
        actionMenu->hide();
    }

    // Marks by click and by command, removals of other rows and header
    // sorts keep what the user chose on the same files.
    void chosenFilesStayChosenThroughMarkingRemovalAndSorting() {
        Harness h;
        h.start();
        WindowModel& model = h.model();
        listFiles(model, 300);
        auto& rlv = *h.child<QTableView>("RLV");
        const auto click = [&](int row, int x, Qt::KeyboardModifiers modifiers = {}) {
            QTest::mouseClick(rlv.viewport(), Qt::LeftButton, modifiers, rowPoint(rlv, row, x));
        };
        click(160, 8);
        click(161, 8);
        click(150, 60);
        click(152, 60, Qt::ControlModifier);
        click(155, 60, Qt::ControlModifier);
        const int scrolled = rlv.verticalScrollBar()->value();
        const auto stillChosen = [&] {
            QStringList shown;
            for (const QModelIndex& index : rlv.selectionModel()->selectedRows(ColFileName))
                shown << index.data().toString();
            shown.sort();
            QCOMPARE(shown, QStringList({"f150.txt", "f152.txt", "f155.txt"}));
            QVERIFY(model.focusedRow);
            QCOMPARE(model.rows[*model.focusedRow].name(), "f155.txt");
            QCOMPARE(rlv.currentIndex().siblingAtColumn(ColFileName).data().toString(), "f155.txt");
        };
        stillChosen();

        h.action("MMarkingSelected")->trigger();
        QCOMPARE(markedRows(model), (std::vector<std::size_t>{150, 152, 155, 160, 161}));
        h.action("mnuUnMarkSelected")->trigger();
        QCOMPARE(markedRows(model), (std::vector<std::size_t>{160, 161}));
        stillChosen();
        h.action("mnuRemoveFromResult")->trigger();
        QCOMPARE(rlv.model()->rowCount(), 298);
        QCOMPARE(rlv.verticalScrollBar()->value(), scrolled);
        stillChosen();

        // Size(Bytes): descending first, then ascending, the arrow on that header only.
        QHeaderView& header = *rlv.horizontalHeader();
        for (const auto& [order, first] :
             {std::pair{Qt::DescendingOrder, "f299.txt"}, {Qt::AscendingOrder, "f000.txt"}}) {
            const QPoint sizeHeader(header.sectionViewportPosition(ColSize) + 10,
                                    header.height() / 2);
            QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, sizeHeader);
            QCOMPARE(rlv.model()->index(0, ColFileName).data().toString(), first);
            QVERIFY(header.isSortIndicatorShown());
            QCOMPARE(header.sortIndicatorSection(), int{ColSize});
            QCOMPARE(header.sortIndicatorOrder(), order);
            QCOMPARE(std::count(model.sortIndicators.begin(), model.sortIndicators.end(),
                                SortIndicator::None),
                     kResultColumnCount - 1);
            stillChosen();
        }
        for (int key : {ColSortSize, ColSortDate, ColSortGrpno})
            QVERIFY(header.isSectionHidden(key));
    }

    void toolbarMarkButtonAndMenusFollowTheListAndTheEngine() {
        Harness h;
        MainFrm& window = h.start();
        h.ui.expectMessage({"No items marked/checked", "Error", MsgIcon::None, MsgButtons::OK, 1},
                           MsgAnswer::OK);
        h.action("Toolbar1Button4")->trigger();
        h.ui.verify();

        listFiles(h.model(), 4);
        h.action("Toolbar1Button4")->trigger();
        auto* markQuick = h.child<QMenu>("MMark");
        QTRY_VERIFY(markQuick->isVisible());
        markQuick->hide();

        const auto shown = [&](const char* name) { return h.action(name)->isVisible(); };
        QVERIFY(!shown("MMarkAll") && shown("MMarkAllDuplicates") && shown("mnuAdvMarkForm"));
        h.child<QRadioButton>("Option4")->click();
        QVERIFY(shown("MMarkAll") && !shown("MMarkAllDuplicates") && !shown("mnuAdvMarkForm"));
        h.child<QRadioButton>("Option1")->click();

        // Panel 1 keeps its text; its tooltip tells what deleting would free.
        h.action("MMarkAllDuplicates")->trigger();
        QCOMPARE(h.panel(1),
                 QString::fromStdString("Total Files Marked 2 Size " + SizeText(1000 + 1002)));
        auto* panel = h.child<QLabel>("StatusBar1Panel1");
        QHelpEvent hover(QEvent::ToolTip, {5, 5}, panel->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(panel, &hover);
        QCOMPARE(QToolTip::text(),
                 QString::fromStdString("Deleting the marked files would free up "
                                        "to " +
                                        SizeText(2002) + " once the Trash is emptied."));
        QToolTip::hideText();
        window.close();
    }

    void warningTicksMarkAtOnceAndContinueWithoutChangesAsks() {
        WindowModel model;
        listFiles(model, 4);
        markRows(model, {0, 1}, true);
        test::ScriptedAnswerer ui;
        const MessageBoxRequest confirm{
            "You have not made any changes, are you sure you want to continue?\r\n\r\nIt is "
            "highly recommended to keep at least one original file",
            "Confirm", MsgIcon::Exclamation, MsgButtons::YesNo, 2};
        WarningFrm dialog(model, {0, 1}, ui);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), "Warning!");
        QCOMPARE(child<QPushButton>(dialog, "Command1")->toolTip(),
                 "It will automatically keep one file in each group.");
        auto& wList = *child<QTreeWidget>(dialog, "WList");
        QCOMPARE(wList.topLevelItemCount(), 2);
        QCOMPARE(wList.topLevelItem(1)->text(5), "/data/b/");

        wList.topLevelItem(0)->setCheckState(0, Qt::Unchecked);
        QCOMPARE(markedRows(model), std::vector<std::size_t>{1});
        wList.topLevelItem(0)->setCheckState(0, Qt::Checked);
        QCOMPARE(markedRows(model), (std::vector<std::size_t>{0, 1}));

        ui.expectMessage(confirm, MsgAnswer::No).expectMessage(confirm, MsgAnswer::Yes);
        test::clickButton(dialog, "Command3");
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.answer(), OriginalsAnswer::Closed);
        test::clickButton(dialog, "Command3");
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.answer(), OriginalsAnswer::Continue);

        // Something unticked: no question. The close box answers Closed.
        WarningFrm unticked(model, {0, 1}, ui);
        unticked.show();
        child<QTreeWidget>(unticked, "WList")->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
        test::clickButton(unticked, "Command3");
        QCOMPARE(unticked.answer(), OriginalsAnswer::Continue);
        WarningFrm closed(model, {0}, ui);
        closed.show();
        closed.close();
        QCOMPARE(closed.answer(), OriginalsAnswer::Closed);

        // The desktop asks through the dialog.
        DesktopUserInterface desktop;
        const auto seen = test::whenModalShown(
            "WarningFrm", [](QWidget& shown) { test::clickButton(shown, "Command2"); });
        QCOMPARE(desktop.originalsWarning(model, {0}), OriginalsAnswer::IgnoreWarnings);
        QVERIFY(*seen);
    }

    void advancedMarkingRuleFramesLimitAndMasks() {
        WindowModel model;
        test::MemorySettings settings;
        test::ScriptedAnswerer ui;
        AdvMarkFrm dialog(model, settings, ui);
        dialog.show();
        const auto option = [&](const char* name) { return child<QRadioButton>(dialog, name); };
        QVERIFY(option("optDateNewer")->isChecked() && option("optSizeLimitNone")->isChecked());
        QVERIFY(!child<QGroupBox>(dialog, "SizeRangeFrame")->isEnabled());

        option("optVersionOlder")->click();
        QVERIFY(option("optDateNone")->isChecked() && option("optSizeNone")->isChecked());
        option("optVersionNone")->click();
        QVERIFY(option("optDateNewer")->isChecked());

        auto* size = child<QLineEdit>(dialog, "txtSizeLimitSize");
        auto* unit = child<QComboBox>(dialog, "cmbSizeLimitOptions");
        QVERIFY(!size->isEnabled() && !unit->isEnabled());
        option("optSizeLimitSpecify")->click();
        QVERIFY(size->isEnabled() && unit->isEnabled());
        size->setText("abc");
        unit->setCurrentText("MB");

        auto* mask = child<QComboBox>(dialog, "cmbFileMask1");
        QCOMPARE(mask->count(), 10);
        mask->setEditText("  ");
        emit mask->lineEdit()->editingFinished();
        QCOMPARE(mask->currentText(), "All files(*.*)");
        mask->setEditText("Text files  (*.txt *.bak)");

        // Not a number: nothing is marked, the dialog stays, the focus goes to the size.
        listFiles(model, 4);
        ui.expectMessage("Type only integer values", MsgAnswer::OK);
        test::clickButton(dialog, "cmdOK");
        ui.verify();
        QVERIFY(dialog.isVisible() && markedRows(model).empty());
        QCOMPARE(dialog.focusWidget(), size);

        // Put away and shown again, with the same-name engine: as left.
        dialog.hide();
        QCOMPARE(settings.getSetting("AdvMarking", "SizeLimit", ""), "3");
        QCOMPARE(settings.getSetting("AdvMarking", "cmbSizeOptions", ""), "MB");
        model.engine = Engine::SameNames;
        AdvMarkFrm again(model, settings, ui);
        again.show();
        QVERIFY(child<QGroupBox>(again, "SizeRangeFrame")->isEnabled());
        QVERIFY(child<QRadioButton>(again, "optSizeLimitSpecify")->isChecked());
        QCOMPARE(child<QLineEdit>(again, "txtSizeLimitSize")->text(), "abc");
        QCOMPARE(child<QComboBox>(again, "cmbFileMask1")->currentText(),
                 "Text files  (*.txt *.bak)");
        child<QRadioButton>(again, "optSizeLarger")->click();
        QVERIFY(child<QRadioButton>(again, "optDateNone")->isChecked());

        // A stored size rule the engine does not offer gives way to the date rule.
        again.hide();
        model.engine = Engine::ByteByByte;
        AdvMarkFrm third(model, settings, ui);
        third.show();
        QVERIFY(child<QRadioButton>(third, "optSizeNone")->isChecked());
        QVERIFY(child<QRadioButton>(third, "optDateNewer")->isChecked());
    }

    void advancedMarkingByFoldersTicksSubFoldersAndHides() {
        Harness h;
        h.start();
        WindowModel& model = h.model();
        for (const char* folder : {"/C/A/", "/C/A/B/", "/C/AB/"}) {
            RowFacts facts;
            facts.size = 10;
            facts.group = 1;
            model.rows.push_back(makeResultRow("x.txt", folder, "", "2024-01-01 10:00", facts));
        }
        model.lvFolders = {"/C/A/", "/C/A/B/", "/C/AB/"};
        announceAppendedRows(model, 0);

        // Ctrl+A outside the list opens the dialog, as the menu says.
        h.child<QWidget>("SearchList")->setFocus();
        const auto seen = test::whenModalShown("AdvMarkFrm", [](QWidget& dialog) {
            child<QTabWidget>(dialog, "TabStrip1")->setCurrentIndex(1);
            auto& folders = *child<QTreeWidget>(dialog, "lvFolders");
            QCOMPARE(folders.topLevelItemCount(), 3);
            folders.topLevelItem(0)->setCheckState(0, Qt::Checked);
            QVERIFY(child<QCheckBox>(dialog, "chkIncSubFolders")->isChecked());
            test::clickButton(dialog, "cmdOK");
            QCOMPARE(folders.topLevelItem(1)->checkState(0), Qt::Checked);
            QCOMPARE(folders.topLevelItem(2)->checkState(0), Qt::Unchecked);
        });
        QTest::keyClick(h.child<QWidget>("SearchList"), Qt::Key_A, Qt::ControlModifier);
        QTRY_VERIFY(*seen);
        QCOMPARE(markedRows(h.model()), (std::vector<std::size_t>{0, 1}));
        QVERIFY(!h.child<AdvMarkFrm>("AdvMarkFrm")->isVisible());
        QCOMPARE(h.settings.getSetting("AdvMarking", "cmbFileMask2", ""), "All files(*.*)");
    }
};

} // namespace twinsift

QTEST_MAIN(twinsift::MarkingTest)
#include "marking_test.moc"
