#include "app/export_frm.h"
#include "gui_support.h"
#include "support/scratch_volume.h"
#include "support/temp_dir.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace twinsift {
namespace {

using test::readFile;

constexpr const char* kNoRows = "No duplicate file has been found!\r\nFirst you must perform a "
                                "search and find at least one duplicate file.";
constexpr const char* kDenied = "File is already open please close it and proceed.";

// Two groups of two; the second and fourth rows marked, the fourth and the
// first selected (in that order).
WindowModel fourRows() {
    WindowModel model;
    for (int i = 0; i < 4; ++i) {
        RowFacts facts;
        facts.size = 10 + i;
        facts.group = i / 2 + 1;
        model.rows.push_back(makeResultRow("f" + std::to_string(i) + " & co.txt", "/data/", "N/A",
                                           "2024-01-02 03:04", facts));
    }
    markRows(model, {1, 1}, true);
    markRows(model, {3, 3}, true);
    model.rows[3].selected = true;
    model.rows[0].selected = true;
    return model;
}

// One wizard over a list, in-memory settings and a scripted user.
struct Wizard {
    explicit Wizard(WindowModel list = fourRows()) : model(std::move(list)) {}

    frmExport& open() {
        dialog = std::make_unique<frmExport>(
            model, ExportFrmServices{settings, ui, launcher, [this] { ++endSounds; }});
        dialog->show();
        return *dialog;
    }
    template <class T> T& child(const char* name) {
        auto* found = dialog->findChild<T*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no %s", name);
        return *found;
    }
    void check(const char* option) { child<QRadioButton>(option).setChecked(true); }
    bool checked(const char* option) { return child<QAbstractButton>(option).isChecked(); }
    bool enabled(const char* name) { return child<QWidget>(name).isEnabled(); }
    QString caption(const char* button) { return child<QPushButton>(button).text(); }
    void click(const char* button) { test::clickButton(*dialog, button); }
    std::string stored(const char* key) { return settings.getSetting("Export", key, "-"); }

    WindowModel model;
    test::MemorySettings settings;
    test::ScriptedAnswerer ui;
    test::RecordingLauncher launcher;
    int endSounds = 0;
    std::unique_ptr<frmExport> dialog;
};

class ExportFrmTest : public QObject {
    Q_OBJECT
private slots:
    void pagesFollowTheFormatAndTheSettingsComeBack() {
        Wizard w;
        w.settings.saveSetting("Export", "ExportType", "3");
        w.settings.saveSetting("Export", "ExportFormat", "3");
        w.settings.saveSetting("Export", "OpenFile", "0");
        w.settings.saveSetting("Export", "ExportChar", "4");
        frmExport& dialog = w.open();
        QCOMPARE(dialog.windowTitle(), "Export Wizard");
        QVERIFY(w.checked("optSelected") && w.checked("OptDeli") && !w.checked("openafter"));
        QCOMPARE(w.caption("btn"), "Next >");
        QVERIFY(!w.enabled("Command1"));
        QVERIFY(w.child<QWidget>("F2").isHidden());

        w.click("btn");
        QVERIFY(w.child<QWidget>("f1").isHidden() && !w.child<QWidget>("F2").isHidden());
        QCOMPARE(w.caption("btn"), "Export");
        QVERIFY(w.enabled("Command1"));
        QVERIFY(w.checked("optOther") && w.enabled("txtOther") && !w.enabled("webpage"));
        w.check("optTab");
        QVERIFY(!w.enabled("txtOther"));

        // Each format has its own delimiter choices and save dialog.
        struct Case {
            const char* format;
            std::string checkedOption; // empty: the delimiters are all off
            const char* title;
            const char* filter;
        };
        const Case cases[] = {
            {"optHtml", "webpage", "Export Location", "Webpage(*.htm)|*.htm"},
            {"optXml", "", "Export Location", "XML(*.xml)|*.xml"},
            {"OptDeli", "optOther", "Export Locations", "Delimited Format(*.csv)|*.csv"},
        };
        for (const Case& c : cases) {
            w.click("Command1");
            QCOMPARE(w.caption("btn"), "Next >");
            QVERIFY(!w.enabled("Command1") && w.child<QWidget>("F2").isHidden());
            w.check(c.format);
            w.click("btn");
            QCOMPARE(w.enabled("optTab"), c.checkedOption == "optOther");
            QCOMPARE(w.enabled("webpage"), c.checkedOption == "webpage");
            if (!c.checkedOption.empty())
                QVERIFY2(w.checked(c.checkedOption.c_str()), c.format);
            w.ui.expectSaveFile("/tmp/chosen");
            w.click("cmdAdd");
            const test::Question& asked = w.ui.asked().back();
            QCOMPARE(asked.title, std::string(c.title));
            QCOMPARE(asked.filter, std::string(c.filter));
            QCOMPARE(w.child<QLineEdit>("txtPath").text(), "/tmp/chosen");
        }
        w.check("optComma");
        w.check("optMark");
        w.child<QCheckBox>("openafter").setChecked(true);
        w.click("Command2");
        QVERIFY(!dialog.isVisible());
        for (const auto& [key, value] : {std::pair{"ExportType", "2"},
                                         {"ExportFormat", "3"},
                                         {"OpenFile", "1"},
                                         {"ExportChar", "2"}})
            QCOMPARE(w.stored(key), std::string(value));
    }

    void firstUseHasTheDefaults() {
        Wizard w;
        w.open();
        QVERIFY(w.checked("optAllFiles") && w.checked("optXml") && w.checked("openafter"));
        w.check("OptDeli");
        w.click("btn");
        QVERIFY(w.checked("optComma"));
    }

    void holdsStillWhileItExports() {
        const test::TempDir dir;
        Wizard w;
        // Clicks the window takes while the export runs: Export again, then Back.
        std::vector<bool> enabled;
        w.model.yield = [&] {
            if (!enabled.empty())
                return;
            for (const char* name :
                 {"Command1", "btn", "Command2", "txtPath", "cmdAdd", "optComma"})
                enabled.push_back(w.enabled(name));
            emit w.child<QPushButton>("btn").clicked();
            emit w.child<QPushButton>("Command1").clicked();
        };
        w.open();
        w.check("OptDeli");
        w.click("btn");
        // A name without its folder is written and opened in the working folder.
        const std::filesystem::path earlier = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
        w.child<QLineEdit>("txtPath").setText("out.csv");
        w.click("btn");
        std::filesystem::current_path(earlier);
        w.ui.verify();
        QCOMPARE(enabled, std::vector<bool>(6, false));
        QVERIFY(w.child<QWidget>("f1").isHidden() && !w.child<QWidget>("F2").isHidden());
        QCOMPARE(w.caption("Command2"), "Finish");
        QCOMPARE(w.endSounds, 1);
        const std::string path = std::filesystem::canonical(dir.path()).string() + "/out.csv";
        QCOMPARE(w.launcher.opened, std::vector<std::string>{path});
        QVERIFY(readFile(path).starts_with("File Name,"));
    }

    void refusesNoRowsAnEmptyPathAndAnUnusableDelimiter() {
        Wizard empty{WindowModel()};
        empty.open();
        empty.ui.expectMessage({kNoRows, "Error", MsgIcon::Critical, MsgButtons::OK},
                               MsgAnswer::OK);
        empty.click("btn");
        QCOMPARE(empty.caption("btn"), "Next >");
        empty.ui.verify();

        const test::TempDir dir;
        Wizard w;
        frmExport& dialog = w.open();
        w.check("OptDeli");
        w.click("btn");
        auto& txtPath = w.child<QLineEdit>("txtPath");
        txtPath.setText("   ");
        w.ui.expectMessage(MessageBoxRequest{"Output filename not specified", "Error"},
                           MsgAnswer::OK);
        w.click("btn");
        w.ui.verify();
        QTRY_COMPARE(dialog.focusWidget(), &txtPath);
        QCOMPARE(txtPath.palette().color(QPalette::Base), QColor(255, 192, 192));

        txtPath.setText(QString::fromStdString(dir.path() + "out.csv"));
        w.check("optOther");
        w.ui.expectMessage(kUnusableSeparatorMessage, MsgAnswer::OK);
        w.click("btn");
        w.ui.verify();
        QCOMPARE(w.caption("btn"), "Export");
        QVERIFY(w.enabled("btn"));
        QCOMPARE(w.caption("Command2"), "Cancel");
        QTRY_COMPARE(dialog.focusWidget(), &w.child<QLineEdit>("txtOther"));
    }

    void exportsTheChosenRowsInListOrderAndOpensTheFile() {
        const test::TempDir dir;
        struct Case {
            const char* format;
            const char* rows;
            std::string file;
            std::vector<std::string> present;
            std::string absent;
        };
        const std::vector<Case> cases = {
            {"optXml", "optAllFiles", "all.xml", {"<FileName>f0 &amp; co.txt</FileName>"}, ""},
            {"OptDeli", "optMark", "marked.csv", {"\r\nf1 & co.txt\ttxt\t11\t", "f3 & co"}, "f0"},
            {"optHtml",
             "optSelected",
             "selected.htm",
             {"<tr><td class='odd'>f0 &amp; co.txt</td>", "<tr><td class='even'>f3"},
             "f1"},
        };
        for (const Case& c : cases) {
            Wizard w;
            w.open();
            w.check(c.format);
            w.check(c.rows);
            w.click("btn");
            if (c.format == std::string("OptDeli"))
                w.check("optTab");
            const std::string path = dir.path() + c.file;
            w.child<QLineEdit>("txtPath").setText(QString::fromStdString(path));
            w.click("btn");
            w.ui.verify();
            QCOMPARE(w.caption("Command2"), "Finish");
            QVERIFY(!w.enabled("btn") && !w.enabled("Command1"));
            QCOMPARE(w.child<QProgressBar>("PB").value(), 4);
            QCOMPARE(w.endSounds, 1);
            QCOMPARE(w.launcher.opened, std::vector<std::string>{path});
            const std::string text = readFile(path);
            std::size_t from = 0;
            for (const std::string& piece : c.present) {
                from = text.find(piece, from);
                QVERIFY2(from != std::string::npos, piece.c_str());
            }
            if (!c.absent.empty())
                QVERIFY2(text.find(c.absent) == std::string::npos, c.file.c_str());
            if (c.format == std::string("optXml"))
                QCOMPARE(std::count(text.begin(), text.end(), '\n'), 4 * 9 + 4);
        }
    }

    void tellsWhatFailedAndStillFinishes() {
        const test::TempDir dir;
        Wizard w;
        w.open();
        w.launcher.opens = false;
        w.click("btn");
        w.child<QLineEdit>("txtPath").setText(QString::fromStdString(dir.path() + "out.xml"));
        w.ui.expectMessage(
            MessageBoxRequest{"There is no program associated with the specified type of file.",
                              "Error"},
            MsgAnswer::OK);
        w.click("btn");
        w.ui.verify();

        const std::string folder = dir.mkdir("ro");
        dir.write("ro/out.xml", "earlier");
        // Root writes through permissions, but not onto a read-only mount.
        const test::ScratchVolume volume = test::ScratchVolume::readOnly(folder);
        const std::string target = (volume.mounted() ? volume.path() : folder) + "out.xml";
        if (!volume.mounted())
            QCOMPARE(::chmod(target.c_str(), 0444), 0);
        Wizard denied;
        denied.open();
        denied.check("optHtml");
        denied.click("btn");
        denied.child<QLineEdit>("txtPath").setText(QString::fromStdString(target));
        denied.ui.expectMessage(MessageBoxRequest{kDenied, "Permission denied"}, MsgAnswer::OK);
        denied.click("btn");
        denied.ui.verify();
        QCOMPARE(denied.caption("Command2"), "Finish");
        QVERIFY(denied.launcher.opened.empty() && denied.endSounds == 0);
        QCOMPARE(readFile(target), std::string("earlier"));
    }

    void theMenuAndTheToolbarOpenTheWizardWithTheWindowsEndSound() {
        test::WindowHarness h;
        h.start();
        h.model().rows = fourRows().rows;
        announceAppendedRows(h.model(), 0);
        const test::TempDir dir;
        const std::string path = dir.path() + "menu.xml";
        for (const char* action : {"MExport", "Toolbar1Button10"}) {
            const auto seen = test::whenModalShown("frmExport", [&](QWidget& dialog) {
                QCOMPARE(dialog.windowTitle(), "Export Wizard");
                test::clickButton(dialog, "btn");
                dialog.findChild<QLineEdit*>("txtPath")->setText(QString::fromStdString(path));
                test::clickButton(dialog, "btn");
                test::clickButton(dialog, "Command2");
            });
            h.action(action)->trigger();
            QVERIFY(*seen);
            // One end sound per export: the window's timer plays it shortly after.
            QTRY_COMPARE(h.sound.played.size(), h.launcher.opened.size());
        }
        QCOMPARE(h.action("MExport")->shortcut(), QKeySequence("Ctrl+E"));
        QCOMPARE(h.launcher.opened, (std::vector<std::string>{path, path}));
        h.ui.verify();
    }
};

} // namespace
} // namespace twinsift

QTEST_MAIN(twinsift::ExportFrmTest)
#include "export_frm_test.moc"
