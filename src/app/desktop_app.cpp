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
    model.Scan = [&ui](WindowModel& m) { Scan(m, ui, {userDataFolder() + "default.tsf"}); };
    model.addSearchPath = [&window, &settings, &ui](WindowModel& m) {
        addFolders(m, settings, ui, &window);
    };
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
    MainFrm window({settings, ui, launcher, sound, osDescription()}, commandLine);
    ui.setParentWindow(&window);
    ui.setReportSender([&](const ErrorRecord& error) {
        Guard(ui, "Send Error Report").run({[&] {
            // A browser that does not start is not worth a second report.
            launcher.openDocument(writeProblemReport(problemReportFacts(window.model(), error)));
        }});
    });
    window.model().yield = DesktopYield();
    connectModelHooks(window, settings, ui);
    window.show();
    return QApplication::exec();
}

} // namespace twinsift
