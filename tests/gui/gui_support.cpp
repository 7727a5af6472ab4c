#include "gui_support.h"

#include "app/desktop_services.h"
#include "platform/app_paths.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <filesystem>

namespace twinsift::test {

bool RecordingLauncher::openDocument(const std::string& path) {
    opened.push_back(path);
    return opens;
}

bool RecordingLauncher::openUrl(const std::string& url) {
    opened.push_back(url);
    return true;
}

bool RecordingLauncher::showInFileManager(const std::string& path) {
    opened.push_back(path);
    return opens;
}

WindowHarness::WindowHarness(std::optional<bool> tips) {
    if (tips)
        settings.saveSetting("Options", "Show Tips at Startup", *tips ? "1" : "0");
}

MainFrm& WindowHarness::create(CommandLine commandLine) {
    window = std::make_unique<MainFrm>(
        MainFrmServices{settings, ui, launcher, shell, sound, "OS : Linux 6.1"},
        std::move(commandLine));
    return *window;
}

MainFrm& WindowHarness::start(CommandLine commandLine) {
    if (!window)
        create(std::move(commandLine));
    window->show();
    // Not until it is active: a dialog of the first start (the tip) takes the
    // activation, and the window does not get it back offscreen.
    if (!QTest::qWaitForWindowExposed(window.get()))
        qWarning("the main window was not exposed");
    // The first-show handler is queued behind the show.
    QCoreApplication::processEvents();
    return *window;
}

QString WindowHarness::panel(int number) {
    return child<QLabel>(QStringLiteral("StatusBar1Panel%1").arg(number))->text();
}

bool WindowHarness::panelShown(int number) {
    return !child<QLabel>(QStringLiteral("StatusBar1Panel%1").arg(number))->isHidden();
}

std::shared_ptr<bool> whenModalShown(const QString& objectName, std::function<void(QWidget&)> act) {
    auto seen = std::make_shared<bool>(false);
    auto* poll = new QTimer(qApp);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    const QByteArray test = QTest::currentTestFunction();
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->objectName() == objectName && modal->isVisible()) {
            *seen = true;
            poll->deleteLater();
            act(*modal);
            // A check that failed half-way must not leave the test waiting
            // on a dialog nobody will close.
            if (QTest::currentTestFailed() && modal->isVisible())
                modal->close();
        } else if (clock->elapsed() > 30000 || test != QTest::currentTestFunction()) {
            poll->deleteLater();
            // A modal still up in this test is one nobody will close: the
            // test would wait for the runner to kill it, without saying why.
            if (modal && test == QTest::currentTestFunction()) {
                QTest::qFail(qPrintable(objectName + QStringLiteral(" not shown within 30 s")),
                             __FILE__, __LINE__);
                modal->close();
            }
        }
    });
    poll->start(10);
    return seen;
}

void clickButton(QWidget& dialog, const char* buttonName) {
    auto* button = dialog.findChild<QAbstractButton*>(QString::fromLatin1(buttonName));
    if (button)
        button->click();
}

TreeWindowHarness::TreeWindowHarness() {
    // Not from what the last test saved.
    std::filesystem::remove(userDataFolder() + "default.tsf");
    create();
    window->exclusions() = KeptExclusionList(tree.path() + "exclusion.lst");
    model().yield = [this, yield = DesktopYield()]() mutable {
        yield();
        if (duringScan)
            duringScan();
    };
}

} // namespace twinsift::test
