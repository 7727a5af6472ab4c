#include "app/desktop_app.h"
#include "app/desktop_services.h"
#include "app/main_frm.h"
#include "engine/result_list.h"
#include "gui_support.h"
#include "support/memory_settings.h"
#include "support/scripted_answerer.h"
#include "support/temp_dir.h"

#include <QAction>
#include <QBrush>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QTreeWidget>

#include "platform/app_paths.h"

#include <algorithm>
#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

namespace twinsift {

using test::MemorySettings;
using test::ScriptedAnswerer;
using test::TempDir;

const MessageBoxRequest kCancelQuestion{"Are you sure to cancel searching?", "Cancel Search",
                                        MsgIcon::None, MsgButtons::YesNo, 2};

// A main window wired to the real scan over a tree of its own, with a
// scripted user and a hook into every yield of the scan.
struct ScanHarness {
    MemorySettings settings;
    ScriptedAnswerer ui;
    test::RecordingLauncher launcher;
    test::SilentSoundPlayer sound;
    TempDir tree;
    MainFrm window{{settings, ui, launcher, sound, "OS : Linux 6.1"}, {}};
    std::function<void()> duringScan;

    ScanHarness() {
        settings.saveSetting("Options", "Show Tips at Startup", "0");
        window.exclusions() = KeptExclusionList(tree.path() + "exclusion.lst");
        model().yield = [this, yield = DesktopYield()]() mutable {
            yield();
            if (duringScan)
                duringScan();
        };
        // Every test starts as on a first run, not from what the last one saved.
        std::filesystem::remove(userDataFolder() + "default.tsf");
        window.show();
        QTest::qWait(20);
    }
    WindowModel& model() { return window.model(); }
    void addPath(const std::string& folder) {
        model().SearchList.push_back({folder, {"Yes", "All files(*.*)", "0", "", "", ""}});
        model().notices().searchPathsChanged();
    }
    void makeFiles(const std::string& folder, int count) {
        tree.mkdir(folder);
        for (int i = 0; i < count; ++i) {
            const std::string path = tree.path() + folder + "/f" + std::to_string(i);
            const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0644);
            QVERIFY(fd >= 0 && ::write(fd, "x", 1) == 1);
            ::close(fd);
        }
    }
    QAction* action(const char* name) { return window.findChild<QAction*>(name); }
    QString panel(int number) {
        return window.findChild<QLabel*>(QStringLiteral("StatusBar1Panel%1").arg(number))->text();
    }
    template <class T> T* child(const char* name) { return window.findChild<T*>(name); }
};

class ScanTest : public QObject {
    Q_OBJECT
private slots:
    void zeroSizeScanListsTheEmptyFiles() {
        ScanHarness h;
        h.tree.write("a/empty.txt", "");
        h.tree.write("a/b/nothing", "");
        h.tree.write("a/full.txt", "x");
        h.addPath(h.tree.path() + "a");
        h.child<QRadioButton>("Option4")->click();
        bool disabledWhileScanning = false;
        h.duringScan = [&] {
            disabledWhileScanning = !h.action("Toolbar1Button1")->isEnabled() &&
                                    h.action("Toolbar1Button2")->isEnabled() &&
                                    !h.child<QTreeWidget>("SearchList")->isEnabled();
        };

        h.action("Toolbar1Button1")->trigger();

        QVERIFY(disabledWhileScanning);
        QCOMPARE(h.panel(1), "Search Completed.");
        QCOMPARE(h.panel(3), "Files : 2");
        QCOMPARE(h.child<QTableView>("RLV")->model()->rowCount(), 2);
        QVERIFY(h.action("MScan")->isEnabled());
        QVERIFY(!h.action("MCancel")->isEnabled());
        QVERIFY(!h.action("Toolbar1Button2")->isEnabled());
        QTRY_COMPARE(h.sound.played.size(), std::size_t{1}); // the end sound, once
    }

    void byteScanListsShadedGroups() {
        ScanHarness h;
        h.tree.write("a/x1", "hello");
        h.tree.write("a/y1", "worlds!");
        h.tree.write("b/x2", "hello");
        h.tree.write("b/y2", "worlds!");
        h.tree.write("b/z", "unique");
        h.addPath(h.tree.path());

        h.action("Toolbar1Button1")->trigger();

        QCOMPARE(h.panel(1), "Search Completed.");
        QCOMPARE(h.panel(2), "Duplicate Files: 2  Size: 12 Bytes");
        const QAbstractItemModel& rlv = *h.child<QTableView>("RLV")->model();
        const auto column = [&](int c) {
            QStringList texts;
            for (int r = 0; r < rlv.rowCount(); ++r)
                texts << rlv.index(r, c).data().toString();
            return texts;
        };
        // Each row's background: "" for the default, else its colour.
        const auto backgrounds = [&] {
            QStringList rows;
            for (int r = 0; r < rlv.rowCount(); ++r) {
                const QVariant background = rlv.index(r, ColInFolder).data(Qt::BackgroundRole);
                rows << (background.isValid() ? background.value<QBrush>().color().name() : "");
            }
            return rows;
        };
        const QString blue = QColor(213, 233, 249).name();
        QCOMPARE(column(ColFileName), QStringList({"x1", "x2", "y1", "y2"}));
        QCOMPARE(column(ColGroup), QStringList({"1", "1", "2", "2"}));
        QCOMPARE(backgrounds(), QStringList({"", "", blue, blue}));

        // Re-ordered by folder the groups interleave, and every change flips the shade.
        sortResultRows(h.model(), ColInFolder, false);
        RefreshColorShade(h.model(), h.ui);
        QCOMPARE(column(ColGroup), QStringList({"1", "2", "1", "2"}));
        QCOMPARE(backgrounds(), QStringList({"", blue, "", blue}));
    }

    void cancelDuringALargeWalkEndsIt() {
        ScanHarness h;
        h.makeFiles("big", 20000);
        h.makeFiles("later", 10);
        h.addPath(h.tree.path() + "big");
        h.addPath(h.tree.path() + "later");
        h.ui.expectMessage(kCancelQuestion, MsgAnswer::Yes);
        h.duringScan = [&] {
            // The user clicks Cancel; the click is taken in the next yield.
            if (h.model().FilesFound == 100)
                QTimer::singleShot(0, h.action("Toolbar1Button2"), &QAction::trigger);
        };

        h.action("MScan")->trigger();

        QCOMPARE(h.panel(1), "Search Terminated.");
        QVERIFY(h.model().FilesFound < 20000);
        QVERIFY(!h.model().scanning);
    }

    void escapeCancelsOnlyWhileScanning() {
        ScanHarness h;
        h.makeFiles("big", 20000);
        h.addPath(h.tree.path() + "big");
        QTest::keyClick(&h.window, Qt::Key_Escape); // idle: nothing is asked
        QVERIFY(h.ui.asked().empty());

        h.ui.expectMessage(kCancelQuestion, MsgAnswer::No)
            .expectMessage(kCancelQuestion, MsgAnswer::Yes);
        h.duringScan = [&] {
            if (h.model().FilesFound == 100 || h.model().FilesFound == 200)
                QTest::keyClick(&h.window, Qt::Key_Escape);
        };
        h.action("MScan")->trigger();

        QCOMPARE(h.ui.asked().size(), std::size_t{2});
        QCOMPARE(h.panel(1), "Search Terminated.");
        QVERIFY(h.model().FilesFound >= 200 && h.model().FilesFound < 20000);
    }

    void scanSavesTheWindowGeometryWithTheSearchPaths() {
        ScanHarness h;
        h.tree.write("a/x", "1");
        h.addPath(h.tree.path() + "a");
        h.window.move(40, 60);
        h.window.resize(720, 400);
        QTest::qWait(20);
        h.action("MScan")->trigger();
        QCOMPARE(h.settings.getSetting("WindowSize", "W", ""), std::string("10800"));
        QCOMPARE(h.settings.getSetting("WindowSize", "H", ""), std::string("6000"));
        QCOMPARE(h.settings.getSetting("WindowSize", "L", ""), std::string("600"));
        QCOMPARE(h.settings.getSetting("WindowSize", "T", ""), std::string("900"));
        QVERIFY(test::readFile(userDataFolder() + "default.tsf").find(h.tree.path() + "a") !=
                std::string::npos);
    }

    void namesThatLookLikeMarkupAreShownAsTheyAre() {
        ScanHarness h;
        // The folder names make the path hold <img src="/dev/null">.
        const std::string folder = "<img src=\"/dev/null\">/<b>bold</b>/";
        h.tree.write(folder + "<i>one&lt;.txt", "same");
        h.tree.write(folder + "&amp;two.txt", "same");
        for (int i = 0; i < 50; ++i) // enough folders for the progress to name one
            h.tree.mkdir(folder + "sub" + std::to_string(i));
        h.addPath(h.tree.path());
        QStringList progress;
        QList<Qt::TextFormat> formats;
        h.duringScan = [&] {
            const auto* panel = h.child<QLabel>("StatusBar1Panel1");
            progress << panel->text();
            formats << panel->textFormat();
        };

        h.action("MScan")->trigger();

        QVERIFY(std::any_of(progress.begin(), progress.end(),
                            [](const QString& text) { return text.contains("<img src="); }));
        QVERIFY(std::all_of(formats.begin(), formats.end(),
                            [](Qt::TextFormat format) { return format == Qt::PlainText; }));
        for (int panel = 1; panel <= 5; ++panel)
            QCOMPARE(h.child<QLabel>(qPrintable(QStringLiteral("StatusBar1Panel%1").arg(panel)))
                         ->textFormat(),
                     Qt::PlainText);

        // Each cell's tooltip, read the way a tooltip reads it, shows the cell's text.
        const QAbstractItemModel& rlv = *h.child<QTableView>("RLV")->model();
        QCOMPARE(rlv.rowCount(), 2);
        QStringList names;
        for (int row = 0; row < rlv.rowCount(); ++row) {
            names << rlv.index(row, ColFileName).data().toString();
            for (int column : {ColFileName, ColInFolder}) {
                const QString text = rlv.index(row, column).data().toString();
                const QString tip = rlv.index(row, column).data(Qt::ToolTipRole).toString();
                QTextDocument shown;
                if (Qt::mightBeRichText(tip))
                    shown.setHtml(tip);
                else
                    shown.setPlainText(tip);
                QCOMPARE(shown.toPlainText(), text);
            }
        }
        names.sort();
        QCOMPARE(names, QStringList({"&amp;two.txt", "<i>one&lt;.txt"}));
    }

    void fuzzyNoteFollowsItsTag() {
        ScanHarness h;
        auto* fuzzy = h.child<QCheckBox>("chkFuzzy");
        fuzzy->click(); // no session applied yet: no note
        QVERIFY(fuzzy->isChecked());
        fuzzy->click();

        h.model().chkFuzzy.tag = "Direct";
        const auto noteSeen = test::whenModalShown("FuzzyFrm", [](QWidget& note) {
            QCOMPARE(note.windowTitle(), QStringLiteral("Fuzzy  match"));
            // The note says what the rule promises, not only what it tolerates.
            const auto* promise = note.findChild<QLabel*>(QStringLiteral("Label3"));
            QVERIFY(promise && promise->text().contains(QStringLiteral("at least half")));
            test::clickButton(note, "cmdOK");
        });
        fuzzy->click();
        QVERIFY(*noteSeen);
        QVERIFY(fuzzy->isChecked());
    }

    void uncheckingProtectionByHandIsConfirmed() {
        ScanHarness h;
        auto* protect = h.child<QCheckBox>("chkProtect");
        h.ui.expectMessage(
            "It is highly recommended to leave this option checked to prevent loss of data.\r\n"
            "Do you want to leave this option",
            MsgAnswer::Yes);
        protect->click();
        QVERIFY(protect->isChecked());
        QVERIFY(h.model().chkProtect.checked);
    }
};

} // namespace twinsift

QTEST_MAIN(twinsift::ScanTest)
#include "scan_test.moc"
