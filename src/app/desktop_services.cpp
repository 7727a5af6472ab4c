#include "app/desktop_services.h"

#include <QCoreApplication>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSoundEffect>
#include <QUrl>
#include <QWidget>

namespace twinsift {

bool DesktopLauncher::openDocument(const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

bool DesktopLauncher::openUrl(const std::string& url) {
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

void DesktopLauncher::showInFileManager(const std::string& path) {
    const QString file = QString::fromStdString(path);
    QDBusInterface manager(QStringLiteral("org.freedesktop.FileManager1"),
                           QStringLiteral("/org/freedesktop/FileManager1"),
                           QStringLiteral("org.freedesktop.FileManager1"));
    manager.setTimeout(3000);
    if (manager.isValid()) {
        const QDBusReply<void> reply =
            manager.call(QStringLiteral("ShowItems"),
                         QStringList{QUrl::fromLocalFile(file).toString()}, QString());
        if (reply.isValid())
            return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(file).absolutePath()));
}

bool DesktopShellServices::ShowProperties(const std::string& path) {
    QDBusInterface manager(QStringLiteral("org.freedesktop.FileManager1"),
                           QStringLiteral("/org/freedesktop/FileManager1"),
                           QStringLiteral("org.freedesktop.FileManager1"));
    manager.setTimeout(3000);
    if (!manager.isValid())
        return false;
    const QDBusReply<void> reply = manager.call(
        QStringLiteral("ShowItemProperties"),
        QStringList{QUrl::fromLocalFile(QString::fromStdString(path)).toString()}, QString());
    return reply.isValid();
}

DesktopSoundPlayer::DesktopSoundPlayer() : m_effect(std::make_unique<QSoundEffect>()) {}

DesktopSoundPlayer::~DesktopSoundPlayer() = default;

void DesktopSoundPlayer::play(const std::string& path) {
    if (path.empty() || !QFileInfo::exists(QString::fromStdString(path)))
        return;
    m_effect->setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
    m_effect->play();
}

void DesktopYield::operator()() {
    if (m_sinceLast.isValid() && m_sinceLast.elapsed() < 20)
        return;
    QCoreApplication::processEvents();
    m_sinceLast.start();
}

void CentreOnWorkArea(QWidget& window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // A dialog not shown yet has its layout's size only once asked for it.
    if (!window.isVisible() && !window.testAttribute(Qt::WA_Resized))
        window.adjustSize();
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

} // namespace twinsift
