#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <string>

class QLabel;

namespace twinsift {

class SettingsStore;
class UserInterface;
struct WindowModel;

// The picture box: the whole picture, scaled down to fit and centred, never
// scaled up.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);
    void setImage(QImage image);
    const QImage& image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
    QPixmap m_shown; // m_image at the size it was last drawn
};

// The picture viewer FileInfoFrm: the picture of the focused row and its
// name. Made when the first picture is previewed and gone when it closes;
// closing it with its close box may switch the viewer off.
class FileInfoFrm : public QWidget {
    Q_OBJECT
public:
    FileInfoFrm(WindowModel& model, SettingsStore& settings, UserInterface& ui, QWidget* parent);

    // A file that holds no picture Qt can read leaves the box empty, so that
    // the name shown never goes with another file's picture.
    void LoadPic(const std::string& path);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void placeFromSettings();

    WindowModel& m_model;
    SettingsStore& m_settings;
    UserInterface& m_ui;
    PictureBox* m_pic;
    QLabel* m_panel1;
};

} // namespace twinsift
