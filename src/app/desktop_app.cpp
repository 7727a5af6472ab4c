#include "app/desktop_app.h"

#include "app/desktop_services.h"
#include "app/desktop_user_interface.h"
#include "app/main_frm.h"
#include "app/qt_settings_store.h"
#include "core/guard.h"
#include "core/problem_report.h"
#include "platform/app_paths.h"
#include "platform/system_info.h"

#include <QApplication>
#include <iostream>
#include <vector>

namespace twinsift {
namespace {

constexpr const char* kUsageText =
    "Usage: twinsift [SESSION.tsf]\n"
    "\n"
    "Finds sets of identical files and lets you mark, delete, move or copy the\n"
    "copies you do not need. Given a session file, it restores that session's\n"
    "search paths and switches and starts a scan.\n"
    "\n"
    "  --help       show this text and exit\n"
    "  --version    show the version and exit\n"
    "\n"
    "Qt's own options (-style, -platform, ...) are accepted as well.\n"
    "twinsift-cli searches from a terminal; see twinsift-cli --help.\n";

} // namespace

bool userDataFolderUsable(UserInterface& ui) {
    try {
        userDataFolder();
        return true;
    } catch (const RuntimeError& error) {
        ui.messageBox({error.description(), "Twinsift", MsgIcon::Critical, MsgButtons::OK, 1});
        return false;
    }
}

int runDesktop(int argc, char* argv[]) {
    // Answered before any window system is touched, so they work without one.
    const CommandLine asked = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (asked.help || asked.version) {
        std::cout << (asked.help ? kUsageText : "twinsift " TWINSIFT_VERSION "\n");
        return 0;
    }
    if (asked.noWindow)
        return 0;

    QApplication app(argc, argv);
    // Qt has taken its own options (-style, -platform, ...) out of argv: what
    // is left names the session, and an option's value is never taken for one.
    const CommandLine commandLine =
        parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    QApplication::setOrganizationName(QStringLiteral("Twinsift"));
    QApplication::setApplicationName(QStringLiteral("Twinsift"));
    QApplication::setApplicationVersion(QStringLiteral(TWINSIFT_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("twinsift"));
    QApplication::setWindowIcon(QIcon(QString::fromStdString(findResource("icons/twinsift.png"))));

    QtSettingsStore settings;
    DesktopLauncher launcher;
    DesktopShellServices shell;
    DesktopSoundPlayer sound;
    DesktopUserInterface ui;
    if (!userDataFolderUsable(ui))
        return 1;
    MainFrm window({settings, ui, launcher, shell, sound, osDescription()}, commandLine);
    ui.setParentWindow(&window);
    ui.setReportSender([&](const ErrorRecord& error, const std::string& userText) {
        Guard(ui, "Send Error Report").run({[&] {
            ProblemReportFacts facts = problemReportFacts(window.model(), error);
            facts.userText = userText;
            // Said plainly rather than through the guard: a browser that does
            // not start is not worth a second report.
            if (!launcher.openDocument(writeProblemReport(facts)))
                tellNoAssociatedProgram(ui);
        }});
    });
    window.model().yield = DesktopYield();
    window.show();
    return QApplication::exec();
}

} // namespace twinsift
