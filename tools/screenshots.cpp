// Draws the README's pictures from the real main window and dialogs on the
// offscreen platform: a fixed tree of files with fixed dates under a fixed
// folder, scanned, marked and grabbed, so that the pictures only change when
// the program's look does.
#include "app/desktop_services.h"
#include "app/desktop_user_interface.h"
#include "app/main_frm.h"
#include "app/qt_settings_store.h"
#include "platform/system_info.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utime.h>

namespace {

using namespace twinsift;
namespace fs = std::filesystem;

const QSize kWindowSize(1000, 700);

// The sound of a finished scan has no place in a picture run.
class NoSound : public SoundPlayer {
public:
    void play(const std::string&) override {}
};

[[noreturn]] void fail(const std::string& why) {
    std::fprintf(stderr, "twinsift-screenshots: %s\n", why.c_str());
    std::exit(1);
}

// `size` bytes that depend only on `seed`: equal seeds make identical files.
void writeFile(const fs::path& path, unsigned seed, std::size_t size, std::time_t modified) {
    fs::create_directories(path.parent_path());
    std::string bytes(size, '\0');
    unsigned state = seed * 2654435761U + 1;
    for (char& byte : bytes) {
        state = state * 1103515245U + 12345U;
        byte = static_cast<char>(state >> 16);
    }
    std::ofstream(path, std::ios::binary) << bytes;
    const utimbuf times{modified, modified};
    if (::utime(path.c_str(), &times) != 0)
        fail("cannot date " + path.string());
}

// Photos with copies in a backup and an old phone's dump, and one document
// saved twice; the copies are older, so Mark All Duplicates marks them.
void makeTree(const fs::path& root) {
    constexpr std::time_t kJuly2024 = 1720958400; // 2024-07-14 12:00 UTC
    constexpr std::time_t kDay = 86400;
    struct File {
        const char* path;
        unsigned content;
        std::size_t size;
        std::time_t modified;
    };
    const File files[] = {
        {"Pictures/Holiday 2024/beach.jpg", 1, 482113, kJuly2024},
        {"Pictures/Holiday 2024/harbour.jpg", 2, 391207, kJuly2024 + 600},
        {"Pictures/Holiday 2024/sunset.jpg", 3, 455890, kJuly2024 + 1200},
        {"Pictures/Family/birthday.png", 4, 1203334, kJuly2024 + 20 * kDay},
        {"Pictures/Family/garden.jpg", 5, 377120, kJuly2024 + 21 * kDay},
        {"Documents/tax return 2023.pdf", 6, 88201, kJuly2024 - 60 * kDay},
        {"Documents/notes.txt", 7, 2210, kJuly2024 - 50 * kDay},
        {"Backup/Holiday 2024/beach.jpg", 1, 482113, kJuly2024 - 2 * kDay},
        {"Backup/Holiday 2024/sunset.jpg", 3, 455890, kJuly2024 - 2 * kDay},
        {"Backup/Family/birthday.png", 4, 1203334, kJuly2024 - kDay},
        {"Backup/Old phone/IMG_0412.jpg", 1, 482113, kJuly2024 - 5 * kDay},
        {"Backup/Old phone/IMG_0413.jpg", 2, 391207, kJuly2024 - 5 * kDay},
        {"Downloads/tax return 2023 (1).pdf", 6, 88201, kJuly2024 - 61 * kDay},
        {"Downloads/setup.sh", 8, 5120, kJuly2024 - 40 * kDay},
    };
    fs::remove_all(root);
    for (const File& file : files)
        writeFile(root / file.path, file.content, file.size, file.modified);
}

void settle(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void save(const QPixmap& picture, const QString& folder, const char* name) {
    const QString path = folder + QLatin1Char('/') + QLatin1String(name);
    if (!picture.save(path))
        fail("cannot write " + path.toStdString());
    std::printf("%s\n", qPrintable(path));
}

// Triggers `action`, which opens the modal dialog `dialogName`, and saves the
// dialog's picture before closing it. Any other dialog is a fault: nobody is
// there to answer it.
void grabDialog(MainFrm& window, const char* action, const char* dialogName, const QString& folder,
                const char* file) {
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        if (modal->objectName() != QLatin1String(dialogName))
            fail("unexpected dialog \"" + modal->windowTitle().toStdString() + "\"");
        poll.stop();
        settle(100);
        save(modal->grab(), folder, file);
        seen = true;
        modal->close();
    });
    poll.start(20);
    window.findChild<QAction*>(QLatin1String(action))->trigger();
    if (!seen)
        fail(std::string(dialogName) + " did not open");
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: twinsift-screenshots OUTPUT-FOLDER\n");
        return 2;
    }
    // Fixed places and a fixed zone, so that the paths and dates shown are
    // the same on every run; the settings start empty, as on a first start.
    const fs::path root = "/tmp/twinsift-demo";
    makeTree(root);
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    ::setenv("XDG_CONFIG_HOME", (root / ".config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (root / ".local/share").c_str(), 1);

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Twinsift"));
    QApplication::setApplicationName(QStringLiteral("Twinsift"));
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(folder);
    QTimer::singleShot(60000, [] { fail("gave up after a minute"); });

    QtSettingsStore settings;
    settings.saveSetting("Options", "Show Tips at Startup", "0");
    DesktopLauncher launcher;
    DesktopShellServices shell;
    NoSound sound;
    DesktopUserInterface ui;
    MainFrm window({settings, ui, launcher, shell, sound, osDescription()}, {});
    ui.setParentWindow(&window);
    window.model().yield = DesktopYield();
    window.show();
    settle(200);
    window.resize(kWindowSize);

    for (const char* searched : {"Pictures", "Backup", "Downloads", "Documents"})
        window.model().SearchList.push_back(
            {(root / searched).string(), {"Yes", "All files(*.*)", "0", "", "", ""}});
    window.model().notices().searchPathsChanged();
    window.findChild<QAction*>(QStringLiteral("MScan"))->trigger();
    window.findChild<QAction*>(QStringLiteral("MMarkAllDuplicates"))->trigger();
    settle(300);
    save(window.grab(), folder, "main-window.png");

    grabDialog(window, "mnuAdvMarkForm", "AdvMarkFrm", folder, "advance-marking.png");
    grabDialog(window, "MDelete", "fileDelFrm", folder, "delete.png");
    grabDialog(window, "MExport", "frmExport", folder, "export.png");
    return 0;
}
