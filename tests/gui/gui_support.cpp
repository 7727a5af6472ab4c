#include "gui_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

namespace twinsift::test {

bool RecordingLauncher::openDocument(const std::string& path) {
    opened.push_back(path);
    return true;
}

bool RecordingLauncher::openUrl(const std::string& url) {
    opened.push_back(url);
    return true;
}

void RecordingLauncher::showInFileManager(const std::string& path) {
    opened.push_back(path);
}

std::shared_ptr<bool> whenModalShown(const QString& objectName, std::function<void(QWidget&)> act) {
    auto seen = std::make_shared<bool>(false);
    auto* poll = new QTimer(qApp);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->objectName() == objectName && modal->isVisible()) {
            *seen = true;
            poll->deleteLater();
            act(*modal);
        } else if (clock->elapsed() > 5000) {
            poll->deleteLater();
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

} // namespace twinsift::test
