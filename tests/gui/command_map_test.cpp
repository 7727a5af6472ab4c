#include "app/desktop_services.h"
#include "app/desktop_user_interface.h"
#include "gui_support.h"
#include "support/temp_dir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QSet>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QtGlobal>
#include <algorithm>
#include <filesystem>
#include <functional>

namespace twinsift {
namespace {

const MessageBoxRequest kCancelQuestion{"Are you sure to cancel searching?", "Cancel Search",
                                        MsgIcon::None, MsgButtons::YesNo, 2};

// A window after a byte scan of two groups, the first row current and
// selected: x1 (a/), x2 (b/), y1 (a/sub/), y2 (b/).
struct Scanned : test::WindowHarness {
    std::function<void()> duringScan;

    explicit Scanned(const std::string& tree) {
        std::filesystem::remove(userDataFolder() + "default.tsf");
        create();
        window->exclusions() = KeptExclusionList(tree + "exclusion.lst");
        model().yield = [this, yield = DesktopYield()]() mutable {
            yield();
            if (duringScan)
                duringScan();
        };
        start();
        model().SearchList.push_back({tree, {"Yes", "All files(*.*)", "0", "", "", ""}});
        model().notices().searchPathsChanged();
        action("MScan")->trigger();
        rlv()->setFocus();
        rlv()->selectRow(0);
        window->activateWindow();
    }
    QTableView* rlv() { return child<QTableView>("RLV"); }
    long marked() {
        return std::count_if(model().rows.begin(), model().rows.end(),
                             [](const ResultRow& row) { return row.marked(); });
    }
    void mark(std::size_t row) { markRows(model(), {row, row}, true); }
};

// Readies a command's visible outcome and returns the check that it happened.
using Arm = std::function<std::function<bool()>(Scanned&)>;

Arm dialog(const char* name) {
    return [name](Scanned&) {
        auto seen = test::whenModalShown(name, [](QWidget& shown) { shown.close(); });
        return [seen] { return *seen; };
    };
}

Arm opened(const char* ending) {
    return [ending](Scanned& h) {
        return [&h, ending] {
            return h.launcher.opened.size() == 1 && h.launcher.opened[0].ends_with(ending);
        };
    };
}

Arm markedAfter(std::function<void(Scanned&)> before, long count) {
    return [before, count](Scanned& h) {
        if (before)
            before(h);
        return [&h, count] { return h.marked() == count; };
    };
}

// Expects the file chooser of Copy or Move, with row 0 marked.
const Arm kDestinationAsked = [](Scanned& h) {
    h.mark(0);
    h.ui.expectBrowseFolder("");
    return [&h] { return h.ui.asked().size() == 1; };
};

struct Command {
    const char* menu;
    const char* item;
    const char* shortcuts; // "; " between keys
    const char* button;    // the toolbar's, if it has one
    Arm arm;
};

const Command kCommands[] = {
    {"MnuFile", "MScan", "F5", "Toolbar1Button1",
     [](Scanned& h) {
         clearResultRows(h.model());
         return [&h] { return h.model().rows.size() == 4; };
     }},
    {"MnuFile", "MNewSession", "Ctrl+N", nullptr,
     [](Scanned& h) { return [&h] { return h.model().SearchList.empty(); }; }},
    {"MnuFile", "MLoadSession", "Ctrl+L", nullptr, dialog("SaveFrm")},
    {"MnuFile", "MSaveSession", "Ctrl+S", nullptr, dialog("SaveFrm")},
    {"MnuFile", "MExport", "Ctrl+E", "Toolbar1Button10", dialog("frmExport")},
    {"MnuFile", "MPicViewer", "", "Toolbar1Button11",
     [](Scanned& h) {
         return [&h] { return h.settings.getSetting("Options", "Display", "") == "9"; };
     }},
    {"MnuFile", "MSendToRecycleBin", "", "Toolbar1Button12",
     [](Scanned& h) {
         h.ui.expectMessage(
             "This will delete the files permanently i.e., they are not moved to the Trash."
             "\r\nDo you want to proceed? (not recommended)",
             MsgAnswer::No);
         return [&h] { return h.ui.asked().size() == 1; };
     }},
    {"MnuFile", "MClose", "Ctrl+X; Ctrl+Q", nullptr,
     [](Scanned& h) { return [&h] { return !h.window->isVisible(); }; }},
    {"MMark", "MNone", "", nullptr, markedAfter([](Scanned& h) { h.mark(1); }, 0)},
    {"MMark", "minvert", "", nullptr, markedAfter([](Scanned& h) { h.mark(1); }, 3)},
    {"MMark", "MMarkAllDuplicates", "Ctrl+D", nullptr, markedAfter(nullptr, 2)},
    {"MMark", "MMarkingSelected", "", nullptr, markedAfter(nullptr, 1)},
    {"MMark", "mnuUnMarkSelected", "", nullptr, markedAfter([](Scanned& h) { h.mark(0); }, 0)},
    {"MMark", "MMarkFolder", "", nullptr, markedAfter(nullptr, 1)},
    {"MMark", "mnuFolderAndSubFolder", "", nullptr, markedAfter(nullptr, 2)},
    {"MAction", "mnuAdvMarkForm", "Ctrl+A", nullptr, dialog("AdvMarkFrm")},
    {"MAction", "MCopyMarkFiles", "Ctrl+C", "Toolbar1Button5", kDestinationAsked},
    {"MAction", "MMoveSelected", "Ctrl+M", "Toolbar1Button6", kDestinationAsked},
    {"MAction", "MDelete", "Del", "Toolbar1Button7",
     [](Scanned& h) {
         h.mark(0);
         return dialog("fileDelFrm")(h);
     }},
    {"MAction", "MRename", "Ctrl+R", "Toolbar1Button8",
     [](Scanned& h) {
         h.ui.expectInput("Please type new name for\r\nx1", std::nullopt);
         return [&h] { return h.ui.asked().size() == 1; };
     }},
    {"MAction", "mnuRemoveFromResult", "Ctrl+K", nullptr,
     [](Scanned& h) {
         h.mark(0);
         // Its group's last row goes with it.
         return [&h] { return h.model().rows.size() == 2; };
     }},
    {"MAction", "MOpenFile", "Ctrl+O", nullptr, opened("a/x1")},
    {"MAction", "MOpenFolder", "Ctrl+F", nullptr, opened("a/x1")},
    {"MAction", "MCopyPath", "Ctrl+W", nullptr,
     [](Scanned& h) {
         QGuiApplication::clipboard()->clear();
         return [&h] {
             return QGuiApplication::clipboard()->text().toStdString() ==
                    h.model().rows[0].fullPath();
         };
     }},
    {"MAction", "MFileProperties", "Ctrl+P", nullptr,
     [](Scanned& h) {
         return [&h] {
             for (QWidget* shown : h.window->findChildren<QWidget*>("FilePropertiesFrm"))
                 shown->close();
             return h.shell.properties.size() == 1;
         };
     }},
    {"MHelp", "MHelpTopics", "F1", nullptr, opened("help/index.html")},
    {"MHelp", "mnuTip", "F2", nullptr, dialog("frmTip")},
    {"MHelp", "mnuFaq", "", nullptr, opened("help/faq.html")},
    {"MHelp", "mnuHelponline", "", nullptr, opened("help/index.html")},
    {"MHelp", "mnuAbout", "", nullptr, dialog("AboutFrm")},
    {nullptr, nullptr, "", "Toolbar1Button4",
     [](Scanned& h) { return [&h] { return h.window->findChild<QMenu*>("MMark")->isVisible(); }; }},
};

// The menu item `name` of the menu `menu`, through the menu bar as the user reaches it.
QAction* menuItem(MainFrm& window, const char* menu, const char* name) {
    auto* opened = window.findChild<QMenu*>(menu);
    if (!opened || !opened->menuAction()->isEnabled())
        return nullptr;
    for (QAction* item : opened->actions())
        if (item->objectName() == name && item->isVisible() && item->isEnabled())
            return item;
    return nullptr;
}

} // namespace

class CommandMapTest : public QObject {
    Q_OBJECT

    test::TempDir m_tree;
    // Other test programs run alongside and write the default search paths too.
    test::TempDir m_dataHome;

private slots:
    void initTestCase() {
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(m_dataHome.path()));
        m_tree.write("a/x1", "hello");
        m_tree.write("b/x2", "hello");
        m_tree.write("a/sub/y1", "worlds!");
        m_tree.write("b/y2", "worlds!");
    }

    void everyCommandRunsFromItsMenuButtonAndKeys() {
        for (const Command& command : kCommands) {
            std::vector<std::pair<QString, std::function<bool(Scanned&)>>> ways;
            if (command.item)
                ways.push_back({QStringLiteral("menu"), [&](Scanned& h) {
                                    QAction* item = menuItem(*h.window, command.menu, command.item);
                                    if (item)
                                        item->trigger();
                                    return item != nullptr;
                                }});
            if (command.button)
                ways.push_back({QStringLiteral("button"), [&](Scanned& h) {
                                    auto* toolbar = h.child<QToolBar>("Toolbar1");
                                    auto* button = qobject_cast<QAbstractButton*>(
                                        toolbar->widgetForAction(h.action(command.button)));
                                    if (button && button->isEnabled())
                                        button->click();
                                    return button && button->isEnabled();
                                }});
            for (const QKeySequence& key :
                 QKeySequence::listFromString(QString::fromLatin1(command.shortcuts)))
                if (!key.isEmpty())
                    ways.push_back({key.toString(), [key](Scanned& h) {
                                        // Where the keys are used, except Ctrl+A: inside
                                        // the list it selects every row.
                                        QWidget* target = key == QKeySequence::SelectAll
                                                              ? h.child<QWidget>("SearchList")
                                                              : h.rlv();
                                        QTest::keySequence(target, key);
                                        return true;
                                    }});
            for (const auto& [way, trigger] : ways) {
                const QString what =
                    QString::fromLatin1(command.item ? command.item : command.button) +
                    QStringLiteral(" by ") + way;
                Scanned h(m_tree.path());
                QVERIFY2(h.model().rows.size() == 4, qPrintable(what));
                const std::function<bool()> ran = command.arm(h);
                QVERIFY2(trigger(h), qPrintable(what + " is not reachable"));
                QTRY_VERIFY2(ran(), qPrintable(what + " did not run"));
                h.ui.verify();
            }
        }
    }

    // The scanning state leaves Cancel alone reachable, by its item, its key,
    // Escape and its button; every other key does nothing. Idle, Escape asks
    // nothing.
    void onlyCancelIsReachableDuringAScan() {
        for (int i = 0; i < 200; ++i)
            m_tree.write("many/f" + std::to_string(i), std::to_string(i));
        const std::function<void(Scanned&)> cancels[] = {
            [](Scanned& h) { QTest::keyClick(h.rlv(), Qt::Key_F6); },
            [](Scanned& h) { QTest::keyClick(h.window.get(), Qt::Key_Escape); },
            [](Scanned& h) {
                QAction* item = menuItem(*h.window, "MnuFile", "MCancel");
                QVERIFY(item);
                item->trigger();
            },
            [](Scanned& h) {
                auto* toolbar = h.child<QToolBar>("Toolbar1");
                qobject_cast<QAbstractButton*>(
                    toolbar->widgetForAction(h.action("Toolbar1Button2")))
                    ->click();
            }};
        for (const auto& cancel : cancels) {
            Scanned h(m_tree.path());
            QTest::keyClick(h.window.get(), Qt::Key_Escape);
            QTest::keyClick(h.rlv(), Qt::Key_F6);
            QVERIFY(h.ui.asked().empty());

            h.ui.expectMessage(kCancelQuestion, MsgAnswer::Yes);
            bool disabled = false;
            h.duringScan = [&] {
                if (h.ui.asked().empty()) {
                    QStringList reachable;
                    for (const char* menu : {"MnuFile", "MAction", "MHelp"})
                        for (QAction* item : h.window->findChild<QMenu*>(menu)->actions())
                            if (!item->isSeparator() &&
                                menuItem(*h.window, menu, qPrintable(item->objectName())))
                                reachable << item->objectName();
                    for (QAction* button : h.child<QToolBar>("Toolbar1")->actions())
                        if (button->isEnabled() && !button->isSeparator())
                            reachable << button->objectName();
                    QCOMPARE(reachable, (QStringList{"MCancel", "Toolbar1Button2"}));
                    QStringList fired;
                    QObject listening;
                    for (QAction* action : h.window->findChildren<QAction*>())
                        QObject::connect(action, &QAction::triggered, &listening,
                                         [&fired, action] { fired << action->objectName(); });
                    for (const Command& command : kCommands)
                        for (const QKeySequence& key :
                             QKeySequence::listFromString(QString::fromLatin1(command.shortcuts)))
                            QTest::keySequence(h.rlv(), key);
                    QCOMPARE(fired, QStringList{});
                    disabled = true;
                    cancel(h);
                }
            };
            h.action("MScan")->trigger();
            QVERIFY(disabled);
            QCOMPARE(h.panel(1), "Search Terminated.");
            QVERIFY(h.action("MScan")->isEnabled() && !h.action("MCancel")->isEnabled());
        }
        std::filesystem::remove_all(m_tree.path() + "many");
    }

    void markAllBelongsToTheZeroSizeEngineAlone() {
        Scanned h(m_tree.path());
        QVERIFY(!h.action("mnuAdvMarking")->isVisible());
        QVERIFY(!h.action("mnuOpenAllMarkFiles")->isVisible());
        QVERIFY(!menuItem(*h.window, "MMark", "MMarkAll"));
        h.child<QRadioButton>("Option4")->click();
        QVERIFY(!menuItem(*h.window, "MMark", "MMarkAllDuplicates"));
        QVERIFY(!menuItem(*h.window, "MAction", "mnuAdvMarkForm"));
        // Its item goes, the line after it stays between the marking and the file items.
        const QList<QAction*> items = h.window->findChild<QMenu*>("MAction")->actions();
        QVERIFY(items[items.indexOf(h.action("mnuAdvMarkForm")) + 1]->isVisible());
        menuItem(*h.window, "MMark", "MMarkAll")->trigger();
        QCOMPARE(h.marked(), 4);
        h.child<QRadioButton>("Option1")->click();
        QVERIFY(!menuItem(*h.window, "MMark", "MMarkAll"));
        QVERIFY(menuItem(*h.window, "MMark", "MMarkAllDuplicates"));
    }

    // A help page, file or folder that nothing could open is told, not dropped.
    void failedLaunchesAreTold() {
        Scanned h(m_tree.path());
        h.launcher.opens = false;
        const std::string noProgram =
            "There is no program associated with the specified type of file.";
        const std::pair<const char*, std::string> launches[] = {
            {"MHelpTopics", noProgram},
            {"mnuFaq", noProgram},
            {"mnuHelponline", noProgram},
            {"MOpenFile", noProgram},
            {"MOpenFolder",
             "No file manager could show \"" + h.model().rows[0].fullPath() + "\"."}};
        for (const auto& [item, text] : launches) {
            h.ui.expectMessage({text, "Error", MsgIcon::None, MsgButtons::OK, 1}, MsgAnswer::OK);
            h.action(item)->trigger();
            h.ui.verify();
        }
    }

    // Centred over the dialog that asks, else over the main window.
    void messagesOpenOverTheirOwner() {
        Scanned h(m_tree.path());
        DesktopUserInterface ui;
        ui.setParentWindow(h.window.get());
        h.window->setGeometry(100, 100, 900, 600);
        QDialog asking(h.window.get());
        asking.setGeometry(520, 420, 300, 200);
        QList<QPoint> centres;
        for (QWidget* owner :
             {static_cast<QWidget*>(h.window.get()), static_cast<QWidget*>(&asking)}) {
            const auto seen = test::whenModalShown("MessageBox", [&](QWidget& box) {
                centres << box.frameGeometry().center() - owner->frameGeometry().center();
                box.close();
            });
            if (owner == &asking) {
                QTimer::singleShot(0, &asking, [&] {
                    ui.messageBox({"Asked", "Error", MsgIcon::None, MsgButtons::OK, 1});
                    asking.close();
                });
                asking.exec();
            } else {
                ui.messageBox({"Asked", "Error", MsgIcon::None, MsgButtons::OK, 1});
            }
            QVERIFY(*seen);
        }
        for (const QPoint& offset : centres)
            QVERIFY2(offset.manhattanLength() < 20,
                     qPrintable(QString::number(offset.manhattanLength())));
    }

    void aboutTellsVersionQtAndFolders() {
        Scanned h(m_tree.path());
        QString shown;
        const auto seen = test::whenModalShown("AboutFrm", [&](QWidget& about) {
            for (const QLabel* label : about.findChildren<QLabel*>())
                shown += label->text() + '\n';
            about.close();
        });
        menuItem(*h.window, "MHelp", "mnuAbout")->trigger();
        QVERIFY(*seen);
        for (const QString& part :
             {QStringLiteral("Twinsift " TWINSIFT_VERSION), QString::fromLatin1(qVersion()),
              QString::fromStdString(userDataFolder()), QStringLiteral("Twinsift.conf"),
              QStringLiteral("Licen")})
            QVERIFY2(shown.contains(part), qPrintable(part + " not in " + shown));
    }

    // Keyboard and screen-reader users reach each control by its name, in order.
    void everyFocusableControlHasAnAccessibleName() {
        Scanned h(m_tree.path());
        QStringList unnamed;
        for (QWidget* widget : h.window->findChildren<QWidget*>())
            if (widget->focusPolicy() != Qt::NoFocus && widget->isVisibleTo(h.window.get()) &&
                widget->accessibleName().isEmpty())
                unnamed << widget->metaObject()->className() + QStringLiteral(" ") +
                               widget->objectName();
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(", ")));

        // Tab walks the controls as they are laid out, from the search list to the
        // results; the engines are one stop, the chosen one, as in any radio group.
        QStringList order;
        QWidget* control = h.child<QWidget>("SearchList");
        do {
            if (control->focusPolicy() & Qt::TabFocus)
                order << control->objectName();
            control = control->nextInFocusChain();
        } while (control->objectName() != "SearchList");
        QCOMPARE(order.sliced(0, order.indexOf("RLV") + 1),
                 QStringList({"SearchList", "cmdAdd", "cmdRemove", "cmdExclude", "Option1",
                              "chkFuzzy", "chkProtect", "chkIncludeHidden", "RLV"}));

        // Alt and a letter, each letter once, reach the menus and the search controls.
        QStringList letters;
        for (QAction* menu : h.window->menuBar()->actions())
            letters << QKeySequence::mnemonic(menu->text()).toString();
        for (const char* name :
             {"cmdAdd", "cmdRemove", "cmdExclude", "Option1", "Option2", "Option3", "Option4",
              "chkFuzzy", "chkProtect", "chkIncludeHidden"})
            letters << QKeySequence::mnemonic(h.child<QAbstractButton>(name)->text()).toString();
        QVERIFY2(!letters.contains(QString()), qPrintable(letters.join(' ')));
        QCOMPARE(QSet<QString>(letters.begin(), letters.end()).size(), letters.size());
        auto* hidden = h.child<QCheckBox>("chkIncludeHidden");
        const bool before = hidden->isChecked();
        QTest::keyClick(h.rlv(), Qt::Key_I, Qt::AltModifier);
        QTRY_COMPARE(hidden->isChecked(), !before); // a mnemonic clicks as the mouse would
    }
};

} // namespace twinsift

QTEST_MAIN(twinsift::CommandMapTest)
#include "command_map_test.moc"
