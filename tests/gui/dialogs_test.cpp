#include "app/bug_frm.h"
#include "app/desktop_app.h"
#include "app/desktop_services.h"
#include "app/desktop_user_interface.h"
#include "app/named_lock.h"
#include "app/qt_settings_store.h"
#include "app/tip_frm.h"
#include "core/startup.h"
#include "gui_support.h"
#include "support/memory_settings.h"
#include "support/scripted_answerer.h"
#include "support/temp_dir.h"

#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

namespace twinsift {

using test::MemorySettings;

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    // Descriptions come from the system and may hold anything, "%1" included.
    void bugReportShowsTheRecordAsItIsAlignedInFourLines() {
        BugFrm dialog({});
        dialog.setError({53, "File %1 not <b>found", "File Opening", 7});
        QCOMPARE(dialog.windowTitle(), "Bug Report");
        QCOMPARE(
            dialog.findChild<QPlainTextEdit*>("Text1")->toPlainText(),
            "Error       : 53\nDescription : File %1 not <b>found\nProcedure   : File Opening\n"
            "Error Line  : 7\n");
        QCOMPARE(dialog.findChild<QLabel*>("lblErrNo")->text(), "53");
        QCOMPARE(dialog.findChild<QLabel*>("lblErrDesc")->textFormat(), Qt::PlainText);
        QVERIFY(dialog.findChild<QPlainTextEdit*>("Text1")->font().fixedPitch());
    }

    void retryAbortAndSendErrorReport() {
        std::vector<ErrorRecord> sent;
        std::string userText;
        DesktopUserInterface ui;
        ui.setReportSender([&](const ErrorRecord& error, const std::string& text) {
            sent.push_back(error);
            userText = text;
        });

        test::whenModalShown("BugFrm", [](QWidget& bug) {
            // The box invites a few words; the report carries them.
            auto* box = bug.findChild<QPlainTextEdit*>("Text1");
            box->moveCursor(QTextCursor::End);
            QTest::keyClicks(box, "I had just <clicked> Scan");
            test::clickButton(bug, "Command3"); // the report; the dialog stays open
            QVERIFY(bug.isVisible());
            test::clickButton(bug, "Command1");
        });
        QCOMPARE(ui.errorReport({13, "Type mismatch", "Loading", 5}), ErrorReportAnswer::Retry);
        QCOMPARE(sent.size(), std::size_t{1});
        QCOMPARE(sent[0].procedure, std::string("Loading"));
        QCOMPARE(userText, std::string("Error       : 13\nDescription : Type mismatch\n"
                                       "Procedure   : Loading\nError Line  : 5\n"
                                       "I had just <clicked> Scan"));

        test::whenModalShown("BugFrm", [](QWidget& bug) { test::clickButton(bug, "Command2"); });
        QCOMPARE(ui.errorReport({13, "Type mismatch", "Loading", 5}), ErrorReportAnswer::Abort);

        // Closing the window without an answer leaves the command too.
        test::whenModalShown("BugFrm", [](QWidget& bug) { bug.close(); });
        QCOMPARE(ui.errorReport({13, "Type mismatch", "Loading", 5}), ErrorReportAnswer::Abort);
    }

    void messagesAndPromptsShowExactlyWhatWasAskedMarkupAsItIs() {
        const QString name = QStringLiteral("<img src=\"/dev/null\"><b>x</b>");
        DesktopUserInterface ui;
        test::whenModalShown("MessageBox", [&](QWidget& widget) {
            auto& box = static_cast<QMessageBox&>(widget);
            QCOMPARE(box.windowTitle(), "Confirm");
            QCOMPARE(box.textFormat(), Qt::PlainText);
            QCOMPARE(box.text(), "Leave " + name + "?\nReally?");
            QCOMPARE(box.icon(), QMessageBox::Critical);
            QCOMPARE(box.buttons().size(), 2);
            QCOMPARE(box.defaultButton(), box.button(QMessageBox::No));
            box.button(QMessageBox::Yes)->click();
        });
        QCOMPARE(ui.messageBox({"Leave " + name.toStdString() + "?\r\nReally?", "Confirm",
                                MsgIcon::Critical, MsgButtons::YesNo, 2}),
                 MsgAnswer::Yes);

        test::whenModalShown("MessageBox",
                             [](QWidget& box) { QTest::keyClick(&box, Qt::Key_Escape); });
        QCOMPARE(
            ui.messageBox({"Go on?", "Confirm", MsgIcon::Question, MsgButtons::YesNoCancel, 1}),
            MsgAnswer::Cancel);

        test::whenModalShown("InputBox", [&](QWidget& dialog) {
            const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
            QCOMPARE(labels.size(), 1);
            QCOMPARE(labels[0]->textFormat(), Qt::PlainText);
            QCOMPARE(labels[0]->text(), "New name for " + name);
            QCOMPARE(dialog.windowTitle(), "Rename");
            static_cast<QDialog&>(dialog).accept();
        });
        QCOMPARE(ui.inputBox("New name for " + name.toStdString(), "Rename", "kept <i>"),
                 std::optional<std::string>("kept <i>"));

        // Accepted unchanged, a name that is not UTF-8 keeps its bytes.
        test::whenModalShown("InputBox",
                             [](QWidget& dialog) { static_cast<QDialog&>(dialog).accept(); });
        QCOMPARE(ui.inputBox("New name", "Rename", "a\xff\xfe.txt"),
                 std::optional<std::string>("a\xff\xfe.txt"));
        test::whenModalShown("InputBox", [](QWidget& dialog) {
            static_cast<QInputDialog&>(dialog).setTextValue(QStringLiteral("b.txt"));
            static_cast<QDialog&>(dialog).accept();
        });
        QCOMPARE(ui.inputBox("New name", "Rename", "a\xff\xfe.txt"),
                 std::optional<std::string>("b.txt"));
    }

    void noDataFolderIsToldAndStopsTheStart() {
        const QByteArray home = qgetenv("HOME");
        const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
        qunsetenv("HOME");
        qunsetenv("XDG_DATA_HOME");
        test::ScriptedAnswerer user;
        user.expectMessage({"Twinsift has no folder of its own for its files: set HOME (or "
                            "XDG_DATA_HOME) to your home folder.",
                            "Twinsift", MsgIcon::Critical, MsgButtons::OK, 1},
                           MsgAnswer::OK);
        const bool usable = userDataFolderUsable(user);
        qputenv("HOME", home);
        qputenv("XDG_DATA_HOME", dataHome);
        QVERIFY(!usable);
        QVERIFY(userDataFolderUsable(user));
    }

    void saveDialogAddsTheFilterExtensionAndAsksBeforeReplacing() {
        const test::TempDir dir;
        dir.write("taken.tsf", "kept");
        DesktopUserInterface ui;
        const auto typeName = [](const QString& name) {
            return [name](QWidget& dialog) {
                auto* edit = dialog.findChild<QLineEdit*>("fileNameEdit");
                edit->setText(name);
                QTest::keyClick(edit, Qt::Key_Return);
            };
        };
        test::whenModalShown("QFileDialog", typeName("fresh"));
        QCOMPARE(ui.saveFileDialog("Twinsift(*.tsf)|*.tsf", "Save Session", dir.path(), ""),
                 dir.path() + "fresh.tsf");

        // "taken" becomes taken.tsf, which exists: No shows the dialog again.
        test::whenModalShown("QFileDialog", [&](QWidget& dialog) {
            test::whenModalShown("MessageBox", [&](QWidget& box) {
                static_cast<QMessageBox&>(box).button(QMessageBox::No)->click();
                test::whenModalShown("QFileDialog",
                                     [](QWidget& again) { static_cast<QDialog&>(again).reject(); });
            });
            typeName("taken")(dialog);
        });
        QCOMPARE(ui.saveFileDialog("Twinsift(*.tsf)|*.tsf", "Save Session", dir.path(), ""),
                 std::string());
        QCOMPARE(test::readFile(dir.path() + "taken.tsf"), std::string("kept"));
    }

    void fileUrlsKeepEveryByteOfTheName() {
        const QUrl url = fileUrl("/tmp/a b\xff%#?.txt");
        QCOMPARE(url.toEncoded(), QByteArray("file:///tmp/a%20b%FF%25%23%3F.txt"));
        QVERIFY(url.isLocalFile());
    }

    void fileFiltersBecomeQtFilters() {
        QCOMPARE(DesktopUserInterface::qtFilters("Twinsift(*.tsf)|*.tsf|Text|*.txt;*.csv"),
                 QStringList({"Twinsift(*.tsf) (*.tsf)", "Text (*.txt *.csv)"}));
        QCOMPARE(DesktopUserInterface::filterExtension("Twinsift(*.tsf) (*.tsf)"), "tsf");
        QCOMPARE(DesktopUserInterface::filterExtension("Text (*.txt *.csv)"), "txt");
        QCOMPARE(DesktopUserInterface::filterExtension("All (*.*)"), "");
        QCOMPARE(DesktopUserInterface::filterExtension("All (*)"), "");
    }

    void tipDialogShowsTipsAndStoresItsCheckBox() {
        MemorySettings settings;
        frmTip tip(settings);
        auto* text = tip.findChild<QLabel*>("lblTipText");
        auto* check = tip.findChild<QCheckBox*>("chkLoadTipsAtStartup");
        QVERIFY(check->isChecked()); // the default
        QSet<QString> seen;
        for (int i = 0; i < 200; ++i) {
            tip.findChild<QPushButton*>("cmdNextTip")->click();
            seen.insert(text->text());
        }
        QSet<QString> known; // every tip turns up, none other
        for (std::string_view tip : tipTexts())
            known.insert(QString::fromUtf8(tip.data(), qsizetype(tip.size())));
        QCOMPARE(seen, known);

        check->click();
        QCOMPARE(settings.getSetting("Options", "Show Tips at Startup", ""), std::string("0"));
        check->click();
        QCOMPARE(settings.getSetting("Options", "Show Tips at Startup", ""), std::string("1"));

        settings.saveSetting("Options", "Show Tips at Startup", "0");
        QVERIFY(!frmTip(settings).findChild<QCheckBox*>("chkLoadTipsAtStartup")->isChecked());

        CentreOnWorkArea(tip);
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(tip.width() > 300);
        QVERIFY((tip.frameGeometry().center() - area.center()).manhattanLength() <= 2);
    }

    void vistaWarningStoresDontShow() {
        MemorySettings settings;
        for (const bool dontShow : {false, true}) {
            VistaWarning warning(settings);
            warning.findChild<QCheckBox*>("chkDontShow")->setChecked(dontShow);
            test::clickButton(warning, "cmdOK");
            QCOMPARE(settings.getSetting("Options", "Vista Message", ""), dontShow ? "1" : "0");
        }
    }

    void yieldLetsEventsThroughAtMostEveryTwentyMilliseconds() {
        DesktopYield yield;
        int delivered = 0;
        yield(); // the first call always yields
        QElapsedTimer clock;
        clock.start();
        QTimer::singleShot(0, [&] { ++delivered; });
        yield();
        QCOMPARE(delivered, 0);
        while (clock.elapsed() < 25)
            QTest::qSleep(5);
        yield();
        QCOMPARE(delivered, 1);
    }

    void namedLockNeverKeepsASecondInstanceOut() {
        const test::TempDir runtime;
        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.path()));
        {
            NamedLock first("TSMutex");
            NamedLock second("TSMutex");
            QVERIFY(first.held() && second.held());
            QVERIFY(QFileInfo::exists(QString::fromStdString(runtime.path() + "TSMutex.lock")));
        }
        qputenv("XDG_RUNTIME_DIR", "relative/dir");
        QVERIFY(!NamedLock("TSMutex").held()); // never a lock file below the working folder
        qputenv("XDG_RUNTIME_DIR", saved);
    }

    void settingsStoreKeepsTextsAndOrdersNumberedKeys() {
        QtSettingsStore store;
        store.saveSetting("Options", "Show Tips at Startup", "0");
        store.saveSetting("FileMask", "10", "Music(*.mp3, *.ogg)");
        store.saveSetting("FileMask", "2", "Documents(*.doc *.pdf)");
        store.saveSetting("FileMask", "Value", "x=1; \"quoted\" \\ back");
        QtSettingsStore reopened;
        QCOMPARE(reopened.getSetting("Options", "Show Tips at Startup", "1"), std::string("0"));
        const auto all = reopened.getAllSettings("FileMask");
        const std::vector<std::pair<std::string, std::string>> expected{
            {"2", "Documents(*.doc *.pdf)"},
            {"10", "Music(*.mp3, *.ogg)"},
            {"Value", "x=1; \"quoted\" \\ back"}};
        QCOMPARE(all, expected);
        reopened.deleteSetting("FileMask", "2");
        QCOMPARE(QtSettingsStore().getAllSettings("FileMask").size(), std::size_t{2});
    }
};

} // namespace twinsift

QTEST_MAIN(twinsift::DialogsTest)
#include "dialogs_test.moc"
