#include "app/file_cm_frm.h"
#include "app/file_del_frm.h"
#include "engine/result_list.h"
#include "fileops/file_operation.h"
#include "gui_support.h"
#include "support/temp_dir.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

namespace twinsift {
namespace {

namespace fs = std::filesystem;

bool exists(const std::string& path) {
    return fs::exists(fs::symlink_status(path));
}

// The row a search lists for the file at `path`, in group `group`.
ResultRow rowOf(const std::string& path, std::int32_t group) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        qFatal("no file %s", path.c_str());
    const FileStamp stamp{
        {{st.st_dev, st.st_ino}, nanosecondsOf(st.st_ctim.tv_sec, st.st_ctim.tv_nsec)},
        st.st_size,
        nanosecondsOf(st.st_mtim.tv_sec, st.st_mtim.tv_nsec)};
    const std::size_t slash = path.rfind('/');
    return makeResultRow(path.substr(slash + 1), path.substr(0, slash + 1), "", "2024-01-01 10:00",
                         rowFactsOf(stamp, group));
}

// A list of the files of `groups` (full paths; each inner list one group),
// with the rows at `marked` marked.
void listGroups(WindowModel& model, const std::vector<std::vector<std::string>>& groups,
                const std::vector<std::size_t>& marked) {
    model.GroupSizes = {0};
    for (const auto& group : groups) {
        model.GroupSizes.push_back(static_cast<std::int32_t>(group.size()));
        for (const std::string& path : group)
            model.rows.push_back(
                rowOf(path, static_cast<std::int32_t>(model.GroupSizes.size() - 1)));
    }
    model.GroupCount = static_cast<std::int32_t>(groups.size());
    announceAppendedRows(model, 0);
    for (const std::size_t row : marked)
        markRows(model, {row, row}, true);
}

std::vector<std::string> listed(const WindowModel& model) {
    std::vector<std::string> paths;
    for (const ResultRow& row : model.rows)
        paths.push_back(row.fullPath() + (row.marked() ? " *" : ""));
    return paths;
}

template <class T> T& child(QWidget& dialog, const char* name) {
    auto* found = dialog.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no %s", name);
    return *found;
}

QString caption(QWidget& dialog, const char* button) {
    return child<QPushButton>(dialog, button).text();
}

bool enabled(QWidget& dialog, const char* name) {
    return child<QWidget>(dialog, name).isEnabled();
}

// The error list's rows as "number|description|path".
QStringList errors(QWidget& dialog) {
    auto& list = child<QTreeWidget>(dialog, "ErrList");
    QStringList rows;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
        const QTreeWidgetItem& item = *list.topLevelItem(i);
        rows << item.text(0) + "|" + item.text(1) + "|" + item.text(2);
    }
    return rows;
}

long entries(const std::string& folder) {
    return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
}

std::string trash() {
    return std::string(std::getenv("XDG_DATA_HOME")) + "/Trash/";
}

} // namespace

class FileOperationsTest : public QObject {
    Q_OBJECT
public:
    // GIO reads $HOME and $XDG_DATA_HOME once: the Trash is a fresh one, on
    // the file system of the test's files, set before anything asks.
    static void initMain() {
        static test::TempDir home;
        ::setenv("HOME", home.path().c_str(), 1);
        ::setenv("XDG_DATA_HOME", (home.path() + "data").c_str(), 1);
    }

private slots:
    void deleteMovesAllButTheKeptCopyToTheTrash() {
        test::WindowHarness h;
        test::TempDir tree;
        h.start();
        h.ui.expectMessage("No items marked/checked", MsgAnswer::OK);
        h.action("MDelete")->trigger();
        h.ui.verify();

        const std::vector<std::string> copies{tree.write("a/same.txt", "one"),
                                              tree.write("b/same.txt", "one"),
                                              tree.write("c/same.txt", "one")};
        listGroups(h.model(), {copies}, {1, 2});
        const auto seen = test::whenModalShown("fileDelFrm", [](QWidget& dialog) {
            QCOMPARE(dialog.windowTitle(), "Deleting...");
            QVERIFY(child<QCheckBox>(dialog, "chkSentTo").isChecked());
            QCOMPARE(child<QCheckBox>(dialog, "chkSentTo").text(), "Move to Trash (recommended)");
            QCOMPARE(child<QProgressBar>(dialog, "PBar").maximum(), 2);
            test::clickButton(dialog, "cmdOK");
            QCOMPARE(child<QLabel>(dialog, "lblFileName").text(), "Completed");
            QVERIFY(errors(dialog).isEmpty());
            test::clickButton(dialog, "cmdClose");
        });
        h.action("Toolbar1Button7")->trigger();
        QVERIFY(*seen);

        // The group is down to one file: it leaves the list, and the rest are in the Trash.
        QVERIFY(h.model().rows.empty());
        QVERIFY(exists(copies[0]) && !exists(copies[1]) && !exists(copies[2]));
        QVERIFY(!exists(tree.path() + "b") && !exists(tree.path() + "c")); // emptied, swept
        QCOMPARE(entries(trash() + "files"), 2);
        QCOMPARE(entries(trash() + "info"), 2);
        QVERIFY(exists(trash() + "info/same.txt.trashinfo"));
        QTRY_COMPARE(h.sound.played.size(), std::size_t{1});
    }

    void cancelledDeleteRemovesOnlyTheRowsOfDeletedFiles() {
        test::WindowHarness h;
        test::TempDir tree;
        h.start();
        const std::vector<std::string> a{tree.write("a1", "aa"), tree.write("a2", "aa"),
                                         tree.write("a3", "aa")};
        const std::vector<std::string> b{tree.write("b1", "b"), tree.write("b2", "b")};
        listGroups(h.model(), {a, b}, {1, 2, 4});
        tree.write("a2", "changed"); // after the search: not to be touched

        const MessageBoxRequest permanently{
            "This will delete the files permanently i.e., they are not moved to the "
            "Trash.\r\nDo you want to proceed? (not recommended)",
            "Confirm", MsgIcon::None, MsgButtons::YesNo, 2};
        h.ui.expectMessage(permanently, MsgAnswer::No).expectMessage(permanently, MsgAnswer::Yes);
        const std::string log = tree.path() + "errors.log";
        h.ui.expectSaveFile(log);

        QWidget* running = nullptr;
        bool cancelled = false;
        h.model().yield = [&] {
            if (!running || cancelled || exists(a[2]))
                return;
            // A file is gone: Cancel, and the close box cannot leave the run behind.
            QCOMPARE(caption(*running, "cmdOK"), "&Cancel");
            QVERIFY(!enabled(*running, "cmdClose") && !enabled(*running, "chkRespond"));
            test::clickButton(*running, "cmdOK");
            running->close();
            QVERIFY(running->isVisible() && !enabled(*running, "cmdOK"));
            QVERIFY(!enabled(*running, "cmdClose")); // until the run has stopped
            cancelled = true;
        };
        const auto seen = test::whenModalShown("fileDelFrm", [&](QWidget& dialog) {
            QCOMPARE(caption(dialog, "cmdOK"), "&OK");
            QCOMPARE(caption(dialog, "cmdClose"), "&Close");
            QVERIFY(!enabled(dialog, "cmdSaveErr"));
            auto& chkSentTo = child<QCheckBox>(dialog, "chkSentTo");
            chkSentTo.click(); // No: ticked again
            QVERIFY(chkSentTo.isChecked());
            chkSentTo.click(); // Yes: for good, this time only
            QVERIFY(!chkSentTo.isChecked());
            running = &dialog;
            test::clickButton(dialog, "cmdOK");

            QVERIFY(cancelled);
            QCOMPARE(caption(dialog, "cmdClose"), "&OK");
            QVERIFY(enabled(dialog, "cmdClose") && !enabled(dialog, "cmdOK"));
            QVERIFY(enabled(dialog, "chkRespond"));
            QCOMPARE(errors(dialog).size(), 1);
            QVERIFY(errors(dialog)[0].startsWith("1005|Unable to delete file"));
            QVERIFY(errors(dialog)[0].endsWith(QString::fromStdString("|" + a[1])));
            test::clickButton(dialog, "cmdSaveErr");
            test::clickButton(dialog, "cmdClose");
        });
        h.action("MDelete")->trigger();
        QVERIFY(*seen);
        h.ui.verify();

        QVERIFY(exists(a[1]) && !exists(a[2]) && exists(b[1]));
        QVERIFY(!exists(trash() + "files/a3"));
        QCOMPARE(listed(h.model()),
                 (std::vector<std::string>{a[0], a[1] + " *", b[0], b[1] + " *"}));
        QVERIFY(h.model().sendsToRecycleBin());
        QVERIFY(test::readFile(log).find(a[1]) != std::string::npos);
    }

    void moveWithStructureEmptiesTheSourceFolder() {
        test::WindowHarness h;
        test::TempDir tree;
        h.start();
        const std::vector<std::string> files{tree.write("keep/x.bin", "xyz"),
                                             tree.write("src/sub/x.bin", "xyz")};
        listGroups(h.model(), {files}, {1});
        const std::string out = tree.mkdir("out");
        h.ui.expectBrowseFolder(out);
        const auto seen = test::whenModalShown("FileCMFrm", [&](QWidget& dialog) {
            QCOMPARE(dialog.windowTitle(), "Move files to...");
            QVERIFY(!child<QGroupBox>(dialog, "MoveFrame").isHidden());
            QVERIFY(child<QGroupBox>(dialog, "CopyFrame").isHidden());
            QCOMPARE(child<QLineEdit>(dialog, "txtPath").text().toStdString(), out);
            QVERIFY(enabled(dialog, "chkEmptyFolders"));
            child<QCheckBox>(dialog, "chk2").setChecked(true);
            child<QCheckBox>(dialog, "chk3").setChecked(true);
            test::clickButton(dialog, "cmdOK");
            QCOMPARE(caption(dialog, "cmdClose"), "&OK");
            QVERIFY(errors(dialog).isEmpty());
            test::clickButton(dialog, "cmdClose");
        });
        h.action("MMoveSelected")->trigger();
        QVERIFY(*seen);
        h.ui.verify();

        QVERIFY(exists(MakeStructure(tree.path() + "src/sub/", out) + "/x.bin"));
        QVERIFY(!exists(tree.path() + "src/sub") && exists(tree.path() + "src"));
        QCOMPARE(h.launcher.opened, std::vector<std::string>{out});
        QVERIFY(h.model().rows.empty());
    }

    void copyNeedsAPathAndKeepsBothFilesOfOneName() {
        test::WindowHarness h;
        test::TempDir tree;
        h.start();
        const std::vector<std::string> files{tree.write("a/same.txt", "s"),
                                             tree.write("b/same.txt", "s")};
        listGroups(h.model(), {files}, {0, 1});
        const std::string out = tree.mkdir("out");
        h.ui.expectBrowseFolder(tree.mkdir("first choice"));
        // Refused the same way: nothing empty, nothing below the working folder.
        const std::vector<std::pair<QString, std::string>> refused{
            {"  ", "Path not specified, Please specify copy/move location first"},
            {"out",
             "Please specify the full path of the destination folder (beginning with \"/\")."},
            {"~/out",
             "Please specify the full path of the destination folder (beginning with \"/\")."}};
        for (const auto& entry : refused)
            h.ui.expectMessage({entry.second, "Error", MsgIcon::None, MsgButtons::OK, 1},
                               MsgAnswer::OK);
        const auto seen = test::whenModalShown("FileCMFrm", [&](QWidget& dialog) {
            QCOMPARE(dialog.windowTitle(), "Copy files to...");
            QVERIFY(!enabled(dialog, "chkEmptyFolders"));
            auto& txtPath = child<QLineEdit>(dialog, "txtPath");
            for (const auto& entry : refused) {
                txtPath.setPalette({});
                // The dialog's own focus, which does not wait for the window
                // system to make the dialog the active window.
                child<QWidget>(dialog, "chk1").setFocus();
                txtPath.setText(entry.first);
                test::clickButton(dialog, "cmdOK");
                QCOMPARE(txtPath.palette().color(QPalette::Base), QColor(255, 192, 192));
                QCOMPARE(dialog.focusWidget(), &txtPath);
                QCOMPARE(caption(dialog, "cmdOK"), "&OK");
            }

            txtPath.setText(QString::fromStdString(out));
            test::clickButton(dialog, "cmdOK");
            QVERIFY(errors(dialog).isEmpty());
            test::clickButton(dialog, "cmdClose");
        });
        h.action("Toolbar1Button5")->trigger();
        QVERIFY(*seen);
        h.ui.verify();

        QCOMPARE(test::readFile(out + "same.txt"), std::string("s"));
        QCOMPARE(test::readFile(out + "same (2).txt"), std::string("s"));
        QVERIFY(fs::is_empty(tree.path() + "first choice"));
        QCOMPARE(listed(h.model()), (std::vector<std::string>{files[0] + " *", files[1] + " *"}));
    }
};

} // namespace twinsift

QTEST_MAIN(twinsift::FileOperationsTest)
#include "file_operations_test.moc"
