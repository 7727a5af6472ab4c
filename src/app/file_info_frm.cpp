#include "app/file_info_frm.h"

#include "app/visible_text.h"
#include "core/posix_file.h"
#include "core/startup.h"
#include "core/window_commands.h"
#include "core/window_model.h"
#include "fileops/single_file.h"
#include "platform/user_interface.h"

#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace twinsift {
namespace {

// The picture in a file, read from the regular file only: a name that has
// become a FIFO or a device since the search is never waited on.
QImage readPicture(const std::string& path) {
    UniqueFd fd = openRegularFile(path);
    if (!fd.valid())
        return {};
    QFile file;
    if (!file.open(fd.get(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return {};
    fd.release();
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    return reader.read();
}

} // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pic"));
    setMinimumSize(1, 1);
}

void PictureBox::setImage(QImage image) {
    m_image = std::move(image);
    m_shown = QPixmap();
    update();
}

void PictureBox::paintEvent(QPaintEvent* /*event*/) {
    if (m_image.isNull())
        return;
    QSize fitted = m_image.size();
    if (fitted.width() > width() || fitted.height() > height())
        fitted = fitted.scaled(size(), Qt::KeepAspectRatio);
    if (fitted.isEmpty())
        return;
    if (m_shown.size() != fitted)
        m_shown = QPixmap::fromImage(
            m_image.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    QPainter painter(this);
    painter.drawPixmap((width() - fitted.width()) / 2, (height() - fitted.height()) / 2, m_shown);
}

FileInfoFrm::FileInfoFrm(WindowModel& model, SettingsStore& settings, UserInterface& ui,
                         QWidget* parent)
    : QWidget(parent, Qt::Window), m_model(model), m_settings(settings), m_ui(ui),
      m_pic(new PictureBox), m_panel1(new QLabel) {
    setObjectName(QStringLiteral("FileInfoFrm"));
    setWindowTitle(QStringLiteral("Picture Viewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The list keeps the keyboard, so that the arrow keys go on through it.
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto* stbar = new QStatusBar;
    stbar->setObjectName(QStringLiteral("Stbar"));
    stbar->setSizeGripEnabled(false);
    m_panel1->setObjectName(QStringLiteral("StbarPanel1"));
    m_panel1->setTextFormat(Qt::PlainText);
    stbar->addWidget(m_panel1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_pic, 1);
    layout->addWidget(stbar);
    placeFromSettings();
}

void FileInfoFrm::LoadPic(const std::string& path) {
    m_panel1->setText(
        withVisibleControls(QString::fromStdString(path.substr(path.rfind('/') + 1))));
    m_pic->setImage(readPicture(path));
}

void FileInfoFrm::placeFromSettings() {
    const WindowGeometry g = savedPictureViewerGeometry(m_settings);
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // Inside the work area, whatever the settings hold.
    const QRect area = screen->availableGeometry();
    const auto pixels = [](double twips, int low, int high) {
        return static_cast<int>(
            std::round(std::clamp(twips / kTwipsPerPixel, static_cast<double>(low),
                                  static_cast<double>(std::max(low, high)))));
    };
    const int width = pixels(g.width, 1, area.width());
    const int height = pixels(g.height, 1, area.height());
    move(pixels(g.left, area.left(), area.right() + 1 - width),
         pixels(g.top, area.top(), area.bottom() + 1 - height));
    resize(width, height);
}

void FileInfoFrm::closeEvent(QCloseEvent* event) {
    const QRect frame = frameGeometry();
    savePictureViewerGeometry(m_settings, {frame.x() * kTwipsPerPixel, frame.y() * kTwipsPerPixel,
                                           width() * kTwipsPerPixel, height() * kTwipsPerPixel});
    // Only the user's own close box asks; the program closes it without a word.
    if (event->spontaneous() && m_model.pictureViewerOn() &&
        m_ui.messageBox({"Do you want to disable picture viewer?", "Confirm", MsgIcon::Question,
                         MsgButtons::YesNo, 2}) == MsgAnswer::Yes) {
        togglePictureViewer(m_model, m_settings);
        m_model.notices().statusChanged();
    }
    event->accept();
}

} // namespace twinsift
