#include "app/exclude_frm.h"
#include "gui_support.h"
#include "scan/exclusion_list.h"
#include "support/scripted_answerer.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace twinsift {

using test::readFile;
using test::ScriptedAnswerer;
using test::TempDir;

// Opens the dialog the way cmdExclude does and runs `act` on it while it is shown.
void openAndAct(KeptExclusionList& kept, UserInterface& ui, std::function<void(QDialog&)> act) {
    const auto seen = test::whenModalShown(QStringLiteral("ExcludeFrm"), [act](QWidget& dialog) {
        act(static_cast<QDialog&>(dialog));
    });
    showExcludeFrm(kept, ui, nullptr);
    QVERIFY(*seen);
}

template <class T> T* child(QWidget& dialog, const char* name) {
    return dialog.findChild<T*>(QString::fromLatin1(name));
}

QStringList shownEntries(QWidget& dialog, const char* list) {
    QStringList entries;
    auto* widget = child<QListWidget>(dialog, list);
    for (int row = 0; row < widget->count(); ++row)
        entries << widget->item(row)->text() +
                       (widget->item(row)->checkState() == Qt::Checked ? "+" : "-");
    return entries;
}

class ExcludeFrmTest : public QObject {
    Q_OBJECT
private slots:
    void freshInstallationShowsEmptyListsAndOkWritesBothMarkers() {
        const TempDir dir;
        KeptExclusionList kept(dir.path() + "exclusion.lst");
        ScriptedAnswerer ui;
        openAndAct(kept, ui, [](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), "Exclusion List");
            QCOMPARE(child<QGroupBox>(dialog, "Frame2")->title(),
                     "Exclude following folders from search");
            QCOMPARE(child<QLabel>(dialog, "Label1")->text(),
                     "Ignore these file extionsions from scanning");
            QVERIFY(shownEntries(dialog, "lstExFolders").isEmpty());
            QVERIFY(!child<QPushButton>(dialog, "cmdRemoveExFolder")->isEnabled());
            QVERIFY(!child<QPushButton>(dialog, "cmdRemoveExExtension")->isEnabled());
            test::clickButton(dialog, "cmdOK");
        });
        QCOMPARE(readFile(dir.path() + "exclusion.lst"),
                 "<<Folder List Start Here>>\r\n<<Extension List Start Here>>\r\n");
        QVERIFY(kept.isLoaded());
    }

    void foldersAndExtensionsAreAddedOnceCheckedAndRemovedBySelection() {
        ExclusionList list;
        ScriptedAnswerer ui;
        ui.expectBrowseFolder("/data/Temp").expectBrowseFolder("");
        ExcludeFrm dialog(list, "", ui);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        test::clickButton(dialog, "cmdAddExFolder");
        test::clickButton(dialog, "cmdAddExFolder"); // cancelled: nothing added
        QCOMPARE(ui.asked().at(0).title, std::string("Choose Folder to exclude"));
        QCOMPARE(shownEntries(dialog, "lstExFolders"), QStringList{"/data/Temp+"});
        QVERIFY(child<QPushButton>(dialog, "cmdRemoveExFolder")->isEnabled());

        // Only letters and digits reach the box; Enter adds without closing the dialog.
        auto* box = child<QLineEdit>(dialog, "txtAddExtension");
        box->setFocus();
        QTest::keyClicks(box, ".t m-p");
        QCOMPARE(box->text(), "tmp");
        QApplication::clipboard()->setText(QStringLiteral("*.b.a_k"));
        box->clear();
        box->paste();
        QCOMPARE(box->text(), "bak");
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QCOMPARE(box->text(), "");
        QCOMPARE(dialog.focusWidget(), box);
        QTest::keyClicks(box, "BAK");
        test::clickButton(dialog, "cmdAddExExtension"); // already there: the box keeps its text
        QCOMPARE(box->text(), "BAK");
        QCOMPARE(list.excludedExtensionsText(), "*.bak;");

        auto* folders = child<QListWidget>(dialog, "lstExFolders");
        test::clickButton(dialog, "cmdRemoveExFolder"); // nothing selected
        QCOMPARE(folders->count(), 1);
        folders->item(0)->setSelected(true);
        test::clickButton(dialog, "cmdRemoveExFolder");
        QCOMPARE(folders->count(), 0);
        QVERIFY(list.folders.empty());
        QVERIFY(!child<QPushButton>(dialog, "cmdRemoveExFolder")->isEnabled());
    }

    void checkBoxChangesLiveOnAfterOkAndAreForgottenWithoutOk() {
        const TempDir dir;
        const std::string path = dir.write("exclusion.lst", "<<Folder List Start Here>>\r\n"
                                                            "/a, b,True\r\n"
                                                            "<<Extension List Start Here>>\r\n"
                                                            "*.tmp,True\r\n");
        KeptExclusionList kept(path);
        ScriptedAnswerer ui;
        openAndAct(kept, ui, [](QDialog& dialog) {
            child<QListWidget>(dialog, "lstExExtension")->item(0)->setCheckState(Qt::Unchecked);
            test::clickButton(dialog, "cmdOK");
        });
        QCOMPARE(kept.inUse().excludedExtensionsText(), "");
        QVERIFY(readFile(path).find("*.tmp,False\r\n") != std::string::npos);

        openAndAct(kept, ui, [](QDialog& dialog) {
            QCOMPARE(shownEntries(dialog, "lstExFolders"), QStringList{"/a, b+"});
            child<QListWidget>(dialog, "lstExFolders")->item(0)->setCheckState(Qt::Unchecked);
            dialog.reject(); // the close box
        });
        QVERIFY(!kept.isLoaded());
        QCOMPARE(kept.inUse().checkedFolders(), std::vector<std::string>{"/a, b"});
    }

    void damagedFileIsReportedRetriedAfterMendingAndOtherwiseShownAsRead() {
        const TempDir dir;
        const std::string path = dir.write("exclusion.lst", "/a,True\r\n/b\r\n/c,False\r\n");
        struct MendingUser : ScriptedAnswerer {
            const TempDir* dir = nullptr;
            std::vector<ErrorRecord> reports;
            ErrorReportAnswer errorReport(const ErrorRecord& error) override {
                reports.push_back(error);
                if (reports.size() > 1)
                    return ErrorReportAnswer::Abort;
                dir->write("exclusion.lst", "/mended,True\r\n/b\r\n");
                return ErrorReportAnswer::Retry;
            }
        } user;
        user.dir = &dir;
        KeptExclusionList kept(path);
        openAndAct(kept, user, [](QDialog& dialog) {
            QCOMPARE(shownEntries(dialog, "lstExFolders"), QStringList{"/mended+"});
            dialog.reject();
        });
        QCOMPARE(user.reports.size(), std::size_t{2});
    }

    void failedSaveIsReportedAndTheDialogStaysOpen() {
        const TempDir dir;
        ExclusionList list;
        ScriptedAnswerer ui;
        ui.expectErrorReport(ErrorReportAnswer::Abort);
        ExcludeFrm dialog(list, dir.path() + "missing/exclusion.lst", ui);
        dialog.show();
        test::clickButton(dialog, "cmdOK");
        QVERIFY(dialog.isVisible());
        QCOMPARE(ui.asked().at(0).error.number, 76L);
    }
};

} // namespace twinsift

QTEST_MAIN(twinsift::ExcludeFrmTest)
#include "exclude_frm_test.moc"
