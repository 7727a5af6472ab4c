#include "app/desktop_app.h"
#include "app/desktop_services.h"
#include "engine/result_list.h"
#include "gui_support.h"
#include "platform/app_paths.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QBrush>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>
#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

namespace twinsift {

const MessageBoxRequest kCancelQuestion{"Are you sure to cancel searching?", "Cancel Search",
                                        MsgIcon::None, MsgButtons::YesNo, 2};

// A main window wired to the real scan over a tree of its own, with a hook
// into every yield of the scan.
struct ScanHarness : test::TreeWindowHarness {
    ScanHarness() { start(); }
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
    QStringList column(int c) {
        const QAbstractItemModel& rlv = *child<QTableView>("RLV")->model();
        QStringList texts;
        for (int r = 0; r < rlv.rowCount(); ++r)
            texts << rlv.index(r, c).data().toString();
        return texts;
    }
};

class ScanTest : public QObject {
    Q_OBJECT
private slots:
    void scanWithoutASearchPathOffersTheFolderDialog() {
        ScanHarness h;
        h.ui.expectMessage(
            {"Please add search path first.", "Error", MsgIcon::Information, MsgButtons::OK, 1},
            MsgAnswer::OK);
        const auto offered =
            test::whenModalShown("FolderFrm", [](QWidget& dialog) { dialog.close(); });
        h.action("MScan")->trigger();
        QVERIFY(*offered);
        QVERIFY(h.model().SearchList.empty());
        QVERIFY(!h.model().Timer2Enabled); // no scan ran
    }

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
        QCOMPARE(h.column(ColFileName).size(), 2);
        QVERIFY(h.action("MScan")->isEnabled() && !h.action("MCancel")->isEnabled());
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

        QCOMPARE(h.panel(2), "Duplicate Files: 2  Size: 12 Bytes");
        const auto shades = [&] {
            const QAbstractItemModel& rlv = *h.child<QTableView>("RLV")->model();
            QString rows;
            for (int r = 0; r < rlv.rowCount(); ++r)
                rows += rlv.index(r, ColInFolder).data(Qt::BackgroundRole).isValid() ? "#" : ".";
            return rows;
        };
        QCOMPARE(h.column(ColFileName), QStringList({"x1", "x2", "y1", "y2"}));
        QCOMPARE(shades(), "..##");

        // Re-ordered by folder the groups interleave, and every change flips the shade.
        sortResultRows(h.model(), ColInFolder, false);
        RefreshColorShade(h.model(), h.ui);
        QCOMPARE(h.column(ColGroup), QStringList({"1", "2", "1", "2"}));
        QCOMPARE(shades(), ".#.#");
    }

    // Escape asks only while scanning; the toolbar's Cancel asks the same.
    void escapeOrCancelButtonEndsALargeWalkOnYes() {
        ScanHarness h;
        h.makeFiles("big", 20000);
        h.addPath(h.tree.path() + "big");
        QTest::keyClick(h.window.get(), Qt::Key_Escape);
        QVERIFY(h.ui.asked().empty());

        h.ui.expectMessage(kCancelQuestion, MsgAnswer::No)
            .expectMessage(kCancelQuestion, MsgAnswer::Yes);
        h.duringScan = [&] {
            if (h.model().FilesFound == 100)
                QTest::keyClick(h.window.get(), Qt::Key_Escape);
            // The click is taken in the next yield.
            if (h.model().FilesFound == 200)
                QTimer::singleShot(0, h.action("Toolbar1Button2"), &QAction::trigger);
        };
        h.action("MScan")->trigger();

        QCOMPARE(h.panel(1), "Search Terminated.");
        QVERIFY(h.model().FilesFound >= 200 && h.model().FilesFound < 20000);
        QVERIFY(!h.model().scanning);
    }

    void scanSavesTheWindowGeometryWithTheSearchPaths() {
        ScanHarness h;
        h.tree.write("a/x", "1");
        h.addPath(h.tree.path() + "a");
        h.window->move(40, 60);
        h.window->resize(720, 400);
        QTest::qWait(20);
        h.action("MScan")->trigger();
        QCOMPARE(h.settings.getSetting("WindowSize", "W", ""), std::string("10800"));
        QCOMPARE(h.settings.getSetting("WindowSize", "T", ""), std::string("900"));
        QVERIFY(test::readFile(userDataFolder() + "default.tsf").find(h.tree.path() + "a") !=
                std::string::npos);
    }

    void namesThatLookLikeMarkupAreShownAsTheyAre() {
        ScanHarness h;
        const std::string folder = "<img src=\"/dev/null\">/<b>bold</b>/";
        h.tree.write(folder + "<i>one&lt;.txt", "same");
        h.tree.write(folder + "&amp;two.txt", "same");
        for (int i = 0; i < 50; ++i) // enough folders for the progress to name one
            h.tree.mkdir(folder + "sub" + std::to_string(i));
        h.addPath(h.tree.path());
        bool markupShown = false;
        h.duringScan = [&] {
            const auto* panel = h.child<QLabel>("StatusBar1Panel1");
            QCOMPARE(panel->textFormat(), Qt::PlainText);
            markupShown = markupShown || panel->text().contains("<img src=");
        };

        h.action("MScan")->trigger();

        QVERIFY(markupShown);
        for (int panel = 1; panel <= 5; ++panel)
            QCOMPARE(h.child<QLabel>(QStringLiteral("StatusBar1Panel%1").arg(panel))->textFormat(),
                     Qt::PlainText);
        // Each cell's tooltip, read the way a tooltip reads it, shows the file's path.
        const QAbstractItemModel& rlv = *h.child<QTableView>("RLV")->model();
        for (int row = 0; row < rlv.rowCount(); ++row)
            for (int column : {ColFileName, ColInFolder}) {
                const QString tip = rlv.index(row, column).data(Qt::ToolTipRole).toString();
                QTextDocument shown;
                if (Qt::mightBeRichText(tip))
                    shown.setHtml(tip);
                else
                    shown.setPlainText(tip);
                QCOMPARE(shown.toPlainText(), rlv.index(row, ColInFolder).data().toString() +
                                                  rlv.index(row, ColFileName).data().toString());
            }
        QStringList names = h.column(ColFileName);
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
            // The note says what the rule promises, not only what it tolerates.
            const auto* promise = note.findChild<QLabel*>(QStringLiteral("Label3"));
            QVERIFY(promise && promise->text().contains(QStringLiteral("at least half")));
            test::clickButton(note, "cmdOK");
        });
        fuzzy->click();
        QVERIFY(*noteSeen);
        QVERIFY(fuzzy->isChecked());
    }

    void skippedSignWarnsAfterAScanThatLeftSomethingOutAndListsIt() {
        ScanHarness h;
        h.tree.write("a/one.txt", "1");
        // A name that would be markup if it were shown as rich text.
        const std::string missing = h.tree.path() + "<b>gone</b>/";
        h.addPath(missing);
        h.addPath(h.tree.path() + "a");
        auto* sign = h.child<QToolButton>("SkippedSign");
        QVERIFY(!sign->isVisible());

        h.action("Toolbar1Button1")->trigger();

        QVERIFY(sign->isVisible());
        QCOMPARE(sign->toolTip(), "1 item was left out of the search. Click for the list.");
        sign->click();
        QWidget* list = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == "SkippedFrm" && top->isVisible())
                list = top;
        QVERIFY(list);
        auto* rows = list->findChild<QTreeWidget*>("lvSkipped");
        QCOMPARE(rows->topLevelItemCount(), 1);
        QCOMPARE(rows->topLevelItem(0)->text(0), QString::fromStdString(missing));
        QCOMPARE(rows->topLevelItem(0)->text(1), "No such file or directory");
        list->close();

        h.model().SearchList.erase(h.model().SearchList.begin());
        h.action("Toolbar1Button1")->trigger();
        QVERIFY(!sign->isVisible());
    }
};

} // namespace twinsift

QTEST_MAIN(twinsift::ScanTest)
#include "scan_test.moc"
