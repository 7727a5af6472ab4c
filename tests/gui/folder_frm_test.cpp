#include "app/folder_frm.h"
#include "gui_support.h"
#include "support/memory_settings.h"
#include "support/scripted_answerer.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace twinsift {

using test::MemorySettings;
using test::ScriptedAnswerer;

namespace {

MessageBoxRequest errorBox(const std::string& text) {
    return {text, "Error", MsgIcon::None, MsgButtons::OK, 1};
}

template <class T> T* child(QWidget& dialog, const char* name) {
    return dialog.findChild<T*>(QString::fromLatin1(name));
}
QLineEdit* edit(QWidget& dialog, const char* name) {
    return child<QLineEdit>(dialog, name);
}
QCheckBox* check(QWidget& dialog, const char* name) {
    return child<QCheckBox>(dialog, name);
}
QComboBox* masks(QWidget& dialog) {
    return child<QComboBox>(dialog, "cmbFileMask");
}

FolderForm existing(const std::string& folder) {
    FolderForm form;
    form.folder = folder;
    form.mask = "Text files  (*.txt *.bak)";
    form.minimumKB = "10";
    return form;
}

// Shows `dialog` as the user would see it and gives it the keyboard.
void showActive(FolderFrm& dialog) {
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
}

} // namespace

class FolderFrmTest : public QObject {
    Q_OBJECT
private slots:
    void firstAddBrowsesAtOnceAndOffersTheDefaults() {
        MemorySettings settings;
        ScriptedAnswerer ui;
        ui.expectBrowseFolder("/data/Photos, 2019");
        WindowModel model;

        const auto seen = test::whenModalShown("FolderFrm", [](QWidget& dialog) {
            QCOMPARE(dialog.windowTitle(), "Add/Exclude Folders");
            QTRY_COMPARE(edit(dialog, "Text1")->text(), "/data/Photos, 2019");
            QVERIFY(child<QPushButton>(dialog, "cmdOK")->isEnabled());
            QComboBox* list = masks(dialog);
            QCOMPARE(list->count(), 10);
            QCOMPARE(list->itemText(0), "All files(*.*)");
            QCOMPARE(list->currentText(), "All files(*.*)");
            QCOMPARE(edit(dialog, "txtMin")->text(), "10");
            QCOMPARE(edit(dialog, "txtMinDate")->placeholderText(), "mm/dd/yyyy");
            QVERIFY(check(dialog, "Check1")->isChecked());
            QVERIFY(!check(dialog, "Check2")->isChecked());
            test::clickButton(dialog, "cmdOK");
        });
        addFolders(model, settings, ui, nullptr);

        QVERIFY(*seen);
        QCOMPARE(ui.asked().front().title, "Choose Folder to Search");
        QCOMPARE(model.SearchList.size(), std::size_t{1});
        const SearchPathRow& row = model.SearchList[0];
        QCOMPARE(row.text, "/data/Photos, 2019");
        QCOMPARE(row.subItems,
                 (std::array<std::string, 6>{"Yes", "All files(*.*)", "10", "", "", ""}));
        QCOMPARE(row.icon, image::SearchPath);
        QVERIFY(model.cmdRemoveEnabled);
        QCOMPARE(settings.getSetting("Options", "MinFileSize", "?"), "10");
        QCOMPARE(settings.getSetting("FileMaskSelected", "Value", "?"), "All files(*.*)");
    }

    void cancelledChoiceOrDialogAddsNothing() {
        MemorySettings settings;
        ScriptedAnswerer ui;
        ui.expectBrowseFolder("");
        WindowModel model;
        test::whenModalShown("FolderFrm", [](QWidget& dialog) {
            QTest::qWait(20);
            QVERIFY(!child<QPushButton>(dialog, "cmdOK")->isEnabled());
            // A typed path makes OK possible; blanks alone do not.
            edit(dialog, "Text1")->setText("   ");
            QVERIFY(!child<QPushButton>(dialog, "cmdOK")->isEnabled());
            edit(dialog, "Text1")->setText("/data");
            QVERIFY(child<QPushButton>(dialog, "cmdOK")->isEnabled());
            test::clickButton(dialog, "Command1");
        });
        addFolders(model, settings, ui, nullptr);
        QVERIFY(model.SearchList.empty());
        QVERIFY(!model.cmdRemoveEnabled);
        QVERIFY(!settings.contains("Options", "MinFileSize"));
    }

    void refusedCheckKeepsTheDialogOpenOnItsField() {
        MemorySettings settings;
        ScriptedAnswerer ui;
        FolderFrm dialog(settings, ui);
        dialog.preset(existing("/data"));
        showActive(dialog);

        edit(dialog, "txtMin")->setText("abc");
        edit(dialog, "txtMax")->setText("11");
        edit(dialog, "txtMaxDate")->setText("01/31/2024");
        ui.expectMessage(errorBox("You cannot enter Max-Date until Min-Date is valid"),
                         MsgAnswer::OK);
        test::clickButton(dialog, "cmdOK");
        QCOMPARE(edit(dialog, "txtMin")->text(), "10"); // corrected on the way
        QCOMPARE(dialog.focusWidget(), edit(dialog, "txtMinDate"));

        edit(dialog, "txtMinDate")->setText("1/31/2024");
        test::clickButton(dialog, "cmdOK");
        QVERIFY(!dialog.isVisible());
        QCOMPARE(searchPathRow(*dialog.result()).subItems[SearchPathRow::MinDate], "01/31/2024");
        QCOMPARE(settings.getSetting("Options", "MaxFileSize", "?"), "11");
        QCOMPARE(settings.getSetting("Options", "MinFileDate", "?"), "1/31/2024");
    }

    void leavingSizeFieldsCorrectsOrRefuses() {
        MemorySettings settings;
        ScriptedAnswerer ui;
        FolderFrm dialog(settings, ui);
        dialog.preset(existing("/data"));
        showActive(dialog);
        QLineEdit* txtMin = edit(dialog, "txtMin");
        QLineEdit* txtMax = edit(dialog, "txtMax");

        txtMin->setFocus(Qt::TabFocusReason);
        txtMin->setText("many");
        txtMax->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(txtMin->text(), "10");

        txtMax->setText("7");
        ui.expectMessage(errorBox("Maximum size must be greater then minimum size"), MsgAnswer::OK);
        edit(dialog, "txtMinDate")->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(dialog.focusWidget(), txtMax);
        QCOMPARE(txtMax->selectedText(), "7");
        ui.verify();
    }

    void excludeFolderGreysFiltersAndRestoresSubFolderChoice() {
        MemorySettings settings;
        ScriptedAnswerer ui;
        FolderFrm dialog(settings, ui);
        dialog.preset(existing("/data/cache"));
        showActive(dialog);
        QCheckBox* subFolders = check(dialog, "Check1");
        QCheckBox* exclude = check(dialog, "Check2");

        subFolders->setChecked(false);
        exclude->setChecked(true);
        QVERIFY(subFolders->isChecked());
        for (const char* filter : {"txtMin", "txtMax", "cmbFileMask", "Check1"})
            QVERIFY2(!child<QWidget>(dialog, filter)->isEnabled(), filter);
        QVERIFY(edit(dialog, "txtMinDate")->isEnabled());

        exclude->setChecked(false);
        QVERIFY(!subFolders->isChecked());
        for (const char* filter : {"txtMin", "txtMax", "cmbFileMask", "Check1"})
            QVERIFY2(child<QWidget>(dialog, filter)->isEnabled(), filter);

        exclude->setChecked(true);
        test::clickButton(dialog, "cmdOK");
        const SearchPathRow row = searchPathRow(*dialog.result());
        QCOMPARE(row.icon, image::ExcludedPath);
        QCOMPARE(row.subItems, (std::array<std::string, 6>{"Yes", "", "", "", "", ""}));
    }

    // Leaving the field is enough to keep a new mask; the next dialog offers it first.
    void typedMaskIsListedFirstAndOfferedNextTime() {
        MemorySettings settings;
        ScriptedAnswerer ui;
        {
            FolderFrm dialog(settings, ui);
            dialog.preset(existing("/data"));
            showActive(dialog);
            masks(dialog)->setFocus(Qt::TabFocusReason);
            masks(dialog)->setEditText("Raw (*.cr2");
            edit(dialog, "txtMin")->setFocus(Qt::TabFocusReason);
            QTRY_COMPARE(masks(dialog)->count(), 11);
            QCOMPARE(masks(dialog)->itemText(0), "Raw (*.cr2");
            test::clickButton(dialog, "cmdOK");
            QCOMPARE(searchPathRow(*dialog.result()).subItems[SearchPathRow::FileType],
                     "Raw (*.cr2");
        }
        FolderFrm next(settings, ui);
        next.preset(existing("/data"));
        masks(next)->setEditText("");
        showActive(next);
        QCOMPARE(masks(next)->itemText(0), "Raw (*.cr2");
        QCOMPARE(masks(next)->currentText(), "Raw (*.cr2");
    }

    void editShowsTheSelectedRowAndRewritesIt() {
        MemorySettings settings;
        settings.saveSetting("FileMaskSelected", "Value",
                             "Documents(*.doc *.pdf *.rtf *.xls *.ppt)");
        ScriptedAnswerer ui;
        WindowModel model;
        FolderForm searched = existing("/data/a");
        searched.subFolders = false;
        searched.maximumKB = "900";
        searched.minimumDate = "03/04/2020";
        addSearchPath(model, searchPathRow(searched));
        FolderForm excluded = existing("/data/a/tmp");
        excluded.exclude = true;
        acceptFolderForm(excluded);
        addSearchPath(model, searchPathRow(excluded));

        // An excluded row opens excluded, and browsing away and back keeps its path.
        model.selectedSearchPath = 1;
        ui.expectBrowseFolder("");
        test::whenModalShown("FolderFrm", [](QWidget& dialog) {
            QVERIFY(check(dialog, "Check2")->isChecked());
            QVERIFY(check(dialog, "Check1")->isChecked());
            QVERIFY(!check(dialog, "Check1")->isEnabled());
            QCOMPARE(masks(dialog)->currentText(), "Documents(*.doc *.pdf *.rtf *.xls *.ppt)");
            test::clickButton(dialog, "Command2");
            QCOMPARE(edit(dialog, "Text1")->text(), "/data/a/tmp");
            check(dialog, "Check2")->setChecked(false);
            test::clickButton(dialog, "cmdOK");
        });
        editFolders(model, settings, ui, nullptr);
        const SearchPathRow& row = model.SearchList[1];
        QCOMPARE(row.text, "/data/a/tmp");
        QCOMPARE(row.icon, image::SearchPath);
        QCOMPARE(row.subItems[SearchPathRow::FileType], "Documents(*.doc *.pdf *.rtf *.xls *.ppt)");
        QCOMPARE(row.subItems[SearchPathRow::MinSize], "10");

        model.selectedSearchPath = 0;
        test::whenModalShown("FolderFrm", [](QWidget& dialog) {
            QCOMPARE(edit(dialog, "Text1")->text(), "/data/a");
            QVERIFY(!check(dialog, "Check1")->isChecked());
            QCOMPARE(masks(dialog)->currentText(), "Text files  (*.txt *.bak)");
            QCOMPARE(edit(dialog, "txtMax")->text(), "900");
            QCOMPARE(edit(dialog, "txtMinDate")->text(), "03/04/2020");
            edit(dialog, "txtMin")->setText("50");
            test::clickButton(dialog, "cmdOK");
        });
        editFolders(model, settings, ui, nullptr);
        QCOMPARE(model.SearchList.size(), std::size_t{2});
        QCOMPARE(model.SearchList[0].subItems,
                 (std::array<std::string, 6>{"No", "Text files  (*.txt *.bak)", "50", "900",
                                             "03/04/2020", ""}));
    }
};

} // namespace twinsift

QTEST_MAIN(twinsift::FolderFrmTest)
#include "folder_frm_test.moc"
