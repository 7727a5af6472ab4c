// The desktop program's scan, timed from the Scan command to the filled
// result list: the real main window on whatever platform Qt is given
// (offscreen in desktop_vs_cli.sh), searching one folder with hidden files
// included and the byte-by-byte engine. Prints the seconds and the row count.
#include "app/desktop_services.h"
#include "app/desktop_user_interface.h"
#include "app/main_frm.h"
#include "app/qt_settings_store.h"
#include "platform/system_info.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace twinsift;

class NoSound : public SoundPlayer {
public:
    void play(const std::string&) override {}
};

// A user who goes on past the many-files question, whose waiting is no part
// of the scan.
class GoingOnUserInterface : public DesktopUserInterface {
public:
    bool tooManyFilesWarning(long) override { return true; }
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: desktop_scan_driver FOLDER\n");
        return 2;
    }
    QApplication::setOrganizationName(QStringLiteral("Twinsift"));
    QApplication::setApplicationName(QStringLiteral("Twinsift"));
    QtSettingsStore settings;
    settings.saveSetting("Options", "Show Tips at Startup", "0");
    DesktopLauncher launcher;
    DesktopShellServices shell;
    NoSound sound;
    GoingOnUserInterface ui;
    MainFrm window({settings, ui, launcher, shell, sound, osDescription()}, {});
    ui.setParentWindow(&window);
    window.model().yield = DesktopYield();
    window.show();
    QEventLoop loop;
    QTimer::singleShot(200, &loop, &QEventLoop::quit);
    loop.exec();

    // Any other question would wait for ever: nobody is there to answer it.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [] {
        if (const QWidget* modal = QApplication::activeModalWidget()) {
            std::fprintf(stderr, "unexpected dialog \"%s\"\n", qPrintable(modal->windowTitle()));
            std::exit(1);
        }
    });
    watch.start(500);

    WindowModel& model = window.model();
    // Only this folder: the last run's search paths come back from default.tsf.
    model.SearchList = {{argv[1], {"Yes", "All files(*.*)", "0", "", "", ""}}};
    model.chkIncludeHidden.checked = true;
    model.notices().searchPathsChanged();
    const auto start = std::chrono::steady_clock::now();
    window.findChild<QAction*>(QStringLiteral("MScan"))->trigger();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("%.3f %zu\n", took.count(), model.rows.size());
    return 0;
}
