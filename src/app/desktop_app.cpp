#include "app/desktop_app.h"

#include "app/desktop_services.h"
#include "app/desktop_user_interface.h"
#include "app/folder_frm.h"
#include "app/main_frm.h"
#include "app/qt_settings_store.h"
#include "core/guard.h"
#include "core/problem_report.h"
#include "persist/parameters_file.h"
#include "platform/app_paths.h"
#include "platform/system_info.h"
#include "scan/scan_driver.h"

#include <QApplication>
#include <vector>

namespace twinsift {

void connectModelHooks(MainFrm& window, SettingsStore& settings, UserInterface& ui) {
    WindowModel& model = window.model();
    model.OpenParametersFile = [&ui](WindowModel& m, const std::string& path) {
        return OpenParametersFile(m, path, ui);
    };
    model.SaveSearchParameters = [](WindowModel& m, const std::string& path) {
        SaveSearchParameters(m, path);
    };
    model.Scan = [&window, &settings, &ui](WindowModel& m) {
        // The geometry goes with the default search paths, at every Scan as at Close.
        saveWindowGeometry(settings, window.geometryInTwips());
        Scan(m, ui, {window.defaultParametersPath()});
    };
    model.addSearchPath = [&window, &settings, &ui](WindowModel& m) {
        addFolders(m, settings, ui, &window);
    };
}

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
    const CommandLine commandLine =
        parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (commandLine.noWindow)
        return 0;

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Twinsift"));
    QApplication::setApplicationName(QStringLiteral("Twinsift"));
    QApplication::setApplicationVersion(QStringLiteral(TWINSIFT_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("twinsift"));
    QApplication::setWindowIcon(QIcon(QString::fromStdString(findResource("icons/twinsift.png"))));

    QtSettingsStore settings;
    DesktopLauncher launcher;
    DesktopSoundPlayer sound;
    DesktopUserInterface ui;
    if (!userDataFolderUsable(ui))
        return 1;
    MainFrm window({settings, ui, launcher, sound, osDescription()}, commandLine);
    ui.setParentWindow(&window);
    ui.setReportSender([&](const ErrorRecord& error, const std::string& userText) {
        Guard(ui, "Send Error Report").run({[&] {
            ProblemReportFacts facts = problemReportFacts(window.model(), error);
            facts.userText = userText;
            // A browser that does not start is not worth a second report.
            launcher.openDocument(writeProblemReport(facts));
        }});
    });
    window.model().yield = DesktopYield();
    connectModelHooks(window, settings, ui);
    window.show();
    return QApplication::exec();
}

} // namespace twinsift
