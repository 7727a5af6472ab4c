#include "app/desktop_services.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QSoundEffect>
#include <QUrl>
#include <QWidget>
#include <filesystem>

namespace twinsift {

namespace {

// True when the file manager answered. A call that nobody answers is given up
// after 3 s, so that the window never freezes for long.
bool askFileManager(const char* method, const std::string& path) {
    const QString name = QStringLiteral("org.freedesktop.FileManager1");
    QDBusMessage message = QDBusMessage::createMethodCall(
        name, QStringLiteral("/org/freedesktop/FileManager1"), name, QString::fromLatin1(method));
    message << QStringList{QString::fromLatin1(fileUrl(path).toEncoded())} << QString();
    return QDBusConnection::sessionBus().call(message, QDBus::Block, 3000).type() ==
           QDBusMessage::ReplyMessage;
}

} // namespace

QUrl fileUrl(const std::string& path) {
    const QByteArray bytes = QByteArray::fromStdString(path).toPercentEncoding("/");
    return QUrl::fromEncoded("file://" + bytes);
}

void tellNoAssociatedProgram(UserInterface& ui) {
    ui.messageBox({"There is no program associated with the specified type of file.", "Error",
                   MsgIcon::None, MsgButtons::OK, 1});
}

void refuseBoxText(UserInterface& ui, QLineEdit& box, const std::string& message) {
    box.setFocus();
    QPalette highlighted = box.palette();
    highlighted.setColor(QPalette::Base, QColor(255, 192, 192));
    box.setPalette(highlighted);
    ui.messageBox({message, "Error", MsgIcon::None, MsgButtons::OK, 1});
}

bool DesktopLauncher::openDocument(const std::string& path) {
    return QDesktopServices::openUrl(fileUrl(path));
}

bool DesktopLauncher::openUrl(const std::string& url) {
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

bool DesktopLauncher::showInFileManager(const std::string& path) {
    return askFileManager("ShowItems", path) ||
           QDesktopServices::openUrl(fileUrl(std::filesystem::path(path).parent_path().string()));
}

bool DesktopShellServices::ShowProperties(const std::string& path) {
    return askFileManager("ShowItemProperties", path);
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
