#include "app/desktop_app.h"
#include "app/main_frm.h"
#include "gui_support.h"
#include "platform/app_paths.h"
#include "support/memory_settings.h"
#include "support/scripted_answerer.h"
#include "support/temp_dir.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <filesystem>

namespace twinsift {

using test::MemorySettings;
using test::ScriptedAnswerer;
using test::TempDir;

class SkippedSignTest : public QObject {
    Q_OBJECT
private slots:
    void warnsAfterAScanThatLeftSomethingOutAndListsIt() {
        MemorySettings settings;
        settings.saveSetting("Options", "Show Tips at Startup", "0");
        ScriptedAnswerer ui;
        test::RecordingLauncher launcher;
        test::SilentSoundPlayer sound;
        TempDir tree;
        MainFrm window{{settings, ui, launcher, sound, "OS : Linux 6.1"}, {}};
        WindowModel& model = window.model();
        window.exclusions() = KeptExclusionList(tree.path() + "exclusion.lst");
        std::filesystem::remove(userDataFolder() + "default.tsf");
        window.show();

        tree.write("a/one.txt", "1");
        // A name that would be markup if it were shown as rich text.
        const std::string missing = tree.path() + "<b>gone</b>/";
        model.SearchList = {{missing, {"Yes", "All files(*.*)", "0", "", "", ""}},
                            {tree.path() + "a", {"Yes", "All files(*.*)", "0", "", "", ""}}};
        auto* sign = window.findChild<QToolButton*>("SkippedSign");
        QVERIFY(sign);
        QVERIFY(!sign->isVisible());

        window.findChild<QAction*>("Toolbar1Button1")->trigger();

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

        model.SearchList.erase(model.SearchList.begin());
        window.findChild<QAction*>("Toolbar1Button1")->trigger();
        QVERIFY(!sign->isVisible());
    }
};

} // namespace twinsift

QTEST_MAIN(twinsift::SkippedSignTest)
#include "skipped_sign_test.moc"
