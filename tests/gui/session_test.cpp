#include "app/save_frm.h"
#include "gui_support.h"
#include "platform/app_paths.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <utility>

namespace twinsift {
namespace {

template <class T> T& widget(QWidget& dialog, const char* name) {
    auto* found = dialog.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no %s", name);
    return *found;
}

// Every row as "name|folder|group|mark".
QStringList listed(const WindowModel& model) {
    QStringList rows;
    for (const ResultRow& row : model.rows)
        rows << QString::fromStdString(row.name() + "|" + row.folder() + "|" + row.text(ColGroup) +
                                       (row.marked() ? "|*" : "|"));
    return rows;
}

QStringList searchPaths(QWidget& window) {
    auto& list = widget<QTreeWidget>(window, "SearchList");
    QStringList paths;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        paths << list.topLevelItem(i)->text(0) + "|" + list.topLevelItem(i)->text(2);
    return paths;
}

// A main window over files of the test's own, with its exclusion list beside them.
struct SessionHarness : test::WindowHarness {
    test::TempDir tree;

    SessionHarness() {
        std::filesystem::remove(userDataFolder() + "default.tsf");
        create();
        window->exclusions() = KeptExclusionList(tree.path() + "exclusion.lst");
        start();
    }

    // Two groups of duplicates under data/, found by a real scan, the second row marked.
    void scanDuplicates() {
        tree.write("data/a/one.txt", "first pair");
        tree.write("data/b/one.txt", "first pair");
        tree.write("data/a/two.dat", "a group of three");
        tree.write("data/b/two.dat", "a group of three");
        tree.write("data/c/two.dat", "a group of three");
        model().SearchList.push_back(
            {tree.path() + "data", {"Yes", "All files(*.*)", "0", "", "", ""}});
        model().notices().searchPathsChanged();
        action("MScan")->trigger();
        QCOMPARE(model().rows.size(), std::size_t{5});
        markRows(model(), {1, 1}, true);
    }

    // Opens the dialog with Ctrl+`key`, lets `choose` set its options,
    // presses Save or Open with `path`, then lets `after` act.
    void useDialog(Qt::Key key, const std::string& path,
                   const std::function<void(QWidget&)>& choose = {},
                   const std::function<void(QWidget&)>& after = {}) {
        const auto seen = test::whenModalShown("SaveFrm", [&](QWidget& dialog) {
            if (choose)
                choose(dialog);
            widget<QLineEdit>(dialog, "txtPath").setText(QString::fromStdString(path));
            test::clickButton(dialog, "Command1");
            if (after)
                after(dialog);
        });
        // A shortcut reaches only the active window.
        window->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), window.get());
        QTest::keyClick(window.get(), key, Qt::ControlModifier);
        QVERIFY(*seen);
        QVERIFY(!QApplication::activeModalWidget());
    }
};

} // namespace

class SessionTest : public QObject {
    Q_OBJECT
private slots:
    void eachModeShowsItsOwnControls() {
        const struct {
            const char* mode;
            bool saving;
        } modes[] = {{"Save", true}, {"Open", false}, {"save", false}};
        for (const auto& mode : modes) {
            test::MemorySettings settings;
            test::ScriptedAnswerer ui;
            WindowModel model;
            SaveFrm dialog(mode.mode, model, {settings, ui, {}, nullptr, {}});
            QCOMPARE(dialog.windowTitle(), mode.saving ? "Save Dialog" : "Open Dialog");
            QCOMPARE(widget<QPushButton>(dialog, "Command1").text(),
                     mode.saving ? "&Save" : "&Open");
            QCOMPARE(widget<QGroupBox>(dialog, "SaveFrame").isHidden(), !mode.saving);
            QCOMPARE(widget<QGroupBox>(dialog, "OpenFrame").isHidden(), mode.saving);
            QCOMPARE(widget<QCheckBox>(dialog, "chkClose").isEnabled(), mode.saving);
            QVERIFY(widget<QCheckBox>(dialog, "chkClose").isChecked());
            QVERIFY(widget<QRadioButton>(dialog, "opt2").isChecked());
            QVERIFY(!widget<QCheckBox>(dialog, "ReScanc").isChecked());
            QVERIFY(!widget<QCheckBox>(dialog, "ReCheckc").isChecked());

            // The chooser's path without its trailing blanks; Cancel empties the box.
            auto& txtPath = widget<QLineEdit>(dialog, "txtPath");
            if (mode.saving)
                ui.expectSaveFile("/tmp/a b.tsf  ").expectSaveFile("");
            else
                ui.expectOpenFile("/tmp/a b.tsf  ").expectOpenFile("");
            test::clickButton(dialog, "cmdAdd");
            QCOMPARE(txtPath.text(), "/tmp/a b.tsf");
            test::clickButton(dialog, "cmdAdd");
            QCOMPARE(txtPath.text(), "");
            const test::Question& asked = ui.asked().front();
            QCOMPARE(asked.title, std::string(mode.saving ? "Saving Location" : "Open Location"));
            QCOMPARE(asked.filter, std::string("Twinsift(*.tsf)|*.tsf"));
            ui.verify();
        }
    }

    void aBlankPathIsRefusedAndChkCloseIsKept() {
        test::MemorySettings settings;
        settings.saveSetting("Options", "ChkClose", "0");
        test::ScriptedAnswerer ui;
        WindowModel model;
        SaveFrm dialog("Save", model, {settings, ui, {}, nullptr, {}});
        dialog.show();
        auto& txtPath = widget<QLineEdit>(dialog, "txtPath");
        auto& chkClose = widget<QCheckBox>(dialog, "chkClose");
        QVERIFY(!chkClose.isChecked());
        ui.expectMessage({"File name not specified.", "Error", MsgIcon::None, MsgButtons::OK, 1},
                         MsgAnswer::OK);
        widget<QWidget>(dialog, "opt1").setFocus();
        txtPath.setText(" \t ");
        test::clickButton(dialog, "Command1");
        ui.verify();
        QCOMPARE(txtPath.palette().color(QPalette::Base), QColor(255, 192, 192));
        QCOMPARE(dialog.focusWidget(), &txtPath);
        QVERIFY(widget<QPushButton>(dialog, "Command1").isEnabled());

        chkClose.setChecked(true);
        test::clickButton(dialog, "Command2");
        QVERIFY(!dialog.isVisible());
        QCOMPARE(settings.getSetting("Options", "ChkClose", ""), "1");
    }

    void aSessionComesBackWhole() {
        SessionHarness h;
        h.scanDuplicates();
        // An excluded folder travels with the session into the exclusion list.
        const std::string skipped = h.tree.mkdir("data/skip");
        h.model().SearchList.push_back({skipped, {}, image::ExcludedPath});
        h.model().notices().searchPathsChanged();
        const QStringList rows = listed(h.model());
        const QStringList paths = searchPaths(*h.window);
        const std::string file = h.tree.path() + "search.tsf";

        h.useDialog(Qt::Key_S, file);
        QVERIFY(std::filesystem::exists(file));
        QTRY_COMPARE(h.sound.played.size(), std::size_t{1});

        h.action("MNewSession")->trigger();
        QVERIFY(h.model().rows.empty());
        h.useDialog(Qt::Key_L, file);
        QCOMPARE(listed(h.model()), rows);
        QCOMPARE(searchPaths(*h.window), paths.first(1));
        QVERIFY(h.action("MScan")->isEnabled());
        QVERIFY(h.panel(1).startsWith("Total Files Marked 1 Size "));
        QVERIFY(test::readFile(h.tree.path() + "exclusion.lst").find(skipped) != std::string::npos);
        h.ui.verify();
    }

    void reCheckDropsFilesDeletedSinceTheSave() {
        SessionHarness h;
        h.scanDuplicates();
        const std::string file = h.tree.path() + "search.tsf";
        h.useDialog(Qt::Key_S, file);
        // Gone: one file of the pair, which leaves its copy alone, and one of the three.
        std::filesystem::remove(h.tree.path() + "data/a/one.txt");
        std::filesystem::remove(h.tree.path() + "data/c/two.dat");

        h.useDialog(Qt::Key_L, file, [](QWidget& dialog) {
            widget<QCheckBox>(dialog, "ReCheckc").setChecked(true);
        });
        QStringList names;
        for (const ResultRow& row : h.model().rows)
            names << QString::fromStdString(row.fullPath().substr(h.tree.path().size()));
        names.sort();
        QCOMPARE(names, QStringList({"data/a/two.dat", "data/b/two.dat"}));
        h.ui.verify();
    }

    void theLoadClosesThePreviewBeforeTheListChanges() {
        SessionHarness h;
        QImage picture(8, 8, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(QString::fromStdString(h.tree.path() + "a.png")));
        // Enough rows for the loader to yield.
        for (int i = 0; i < 1000; ++i)
            h.model().rows.push_back(makeResultRow(i == 0 ? "a.png" : "f" + std::to_string(i),
                                                   h.tree.path(), "", "2024-01-01 10:00",
                                                   {1, 0, 0, i / 2 + 1, {}}));
        announceAppendedRows(h.model(), 0);
        const std::string file = h.tree.path() + "long.tsf";
        h.useDialog(Qt::Key_S, file);
        auto& rlv = *h.child<QTableView>(QStringLiteral("RLV"));
        rlv.setFocus();
        rlv.setCurrentIndex(rlv.model()->index(1, ColFileName));
        QTest::keyClick(&rlv, Qt::Key_Up);
        const auto previewShown = [] {
            for (QWidget* window : QApplication::topLevelWidgets())
                if (window->objectName() == QLatin1String("FileInfoFrm") && window->isVisible())
                    return true;
            return false;
        };
        QVERIFY(previewShown());
        bool shownDuringLoad = false;
        h.model().yield = [&] { shownDuringLoad = shownDuringLoad || previewShown(); };
        h.useDialog(Qt::Key_L, file);
        QCOMPARE(h.model().rows.size(), std::size_t{1000});
        QVERIFY(!shownDuringLoad);
        h.ui.verify();
    }

    void cancelStopsALongLoad() {
        SessionHarness h;
        // Rows of no real file: enough for the loader to yield a few times.
        for (int i = 0; i < 3000; ++i)
            h.model().rows.push_back(makeResultRow("f" + std::to_string(i), h.tree.path(), "",
                                                   "2024-01-01 10:00", {1, 0, 0, i / 2 + 1, {}}));
        announceAppendedRows(h.model(), 0);
        const std::string file = h.tree.path() + "long.tsf";
        h.useDialog(Qt::Key_S, file);

        h.ui.expectMessage("Are you sure to cancel searching?", MsgAnswer::Yes);
        bool pressed = false;
        h.model().yield = [&pressed] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (dialog && !std::exchange(pressed, true))
                test::clickButton(*dialog, "Command2");
        };
        h.useDialog(Qt::Key_L, file, {}, [](QWidget& dialog) {
            if (dialog.isVisible())
                test::clickButton(dialog, "Command2");
        });
        QVERIFY(pressed);
        QVERIFY(h.model().rows.size() < 3000);
        QVERIFY(h.action("MScan")->isEnabled());
        h.ui.verify();
    }
};

} // namespace twinsift

QTEST_MAIN(twinsift::SessionTest)
#include "session_test.moc"
