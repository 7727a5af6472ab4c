#include "app/file_cm_frm.h"

#include "app/desktop_services.h"
#include "app/image_list.h"
#include "platform/shell_services.h"
#include "platform/user_interface.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace twinsift {
namespace {

// CopyFrame or MoveFrame: what the dialog is for, beside its picture.
QGroupBox* purposeFrame(const char* name, const char* labelName, const char* text, int picture,
                        QWidget* parent) {
    auto* frame = new QGroupBox(parent);
    frame->setObjectName(QString::fromLatin1(name));
    auto* image = new QLabel(frame);
    image->setPixmap(ImageList::icon(picture).pixmap(32, 32));
    auto* label = new QLabel(QString::fromLatin1(text), frame);
    label->setObjectName(QString::fromLatin1(labelName));
    label->setWordWrap(true);
    auto* row = new QHBoxLayout(frame);
    row->addWidget(image);
    row->addWidget(label, 1);
    return frame;
}

} // namespace

const char* destinationPrompt(FileOpMode mode) {
    return mode == FileOpMode::Move ? "Move selected files to" : "Copy selected files to";
}

FileCMFrm::FileCMFrm(FileOpMode mode, const std::string& destination, const WindowModel& model,
                     FileOpServices services, QWidget* parent)
    : FileOpFrm(model, std::move(services), parent), m_mode(mode),
      m_txtPath(new QLineEdit(QString::fromStdString(destination), this)),
      m_chkEmptyFolders(tickBox("Remove Empty &Folders / Directories after process.",
                                "chkEmptyFolders", true, this)),
      m_chk1(tickBox("Respond with \"Yes to All\" for any dialog box that is displayed.", "chk1",
                     true, this)),
      m_chk2(tickBox("Copy with directory structure.", "chk2", false, this)),
      m_chk3(tickBox("Open destnation folder after process completed.", "chk3", false, this)) {
    const bool moving = mode == FileOpMode::Move;
    setObjectName(QStringLiteral("FileCMFrm"));
    setWindowTitle(moving ? QStringLiteral("Move files to...")
                          : QStringLiteral("Copy files to..."));

    QGroupBox* CopyFrame = purposeFrame("CopyFrame", "Label1",
                                        "Please select the folder, drive or network share where "
                                        "the files shall be copy to.",
                                        ImageList::Copy, this);
    QGroupBox* MoveFrame = purposeFrame("MoveFrame", "Label3",
                                        "Please select the folder, drive or network share where "
                                        "the files shall be move to.",
                                        ImageList::Move, this);
    CopyFrame->setVisible(!moving);
    MoveFrame->setVisible(moving);

    auto* Label2 = new QLabel(QStringLiteral("Path "), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    m_txtPath->setObjectName(QStringLiteral("txtPath"));
    auto* cmdAdd = new QToolButton(this);
    cmdAdd->setObjectName(QStringLiteral("cmdAdd"));
    cmdAdd->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    connect(cmdAdd, &QToolButton::clicked, this, &FileCMFrm::cmdAdd_Click);
    auto* path = new QHBoxLayout;
    path->addWidget(Label2);
    path->addWidget(m_txtPath, 1);
    path->addWidget(cmdAdd);

    m_chkEmptyFolders->setEnabled(moving);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CopyFrame);
    layout->addWidget(MoveFrame);
    layout->addLayout(path);
    for (QCheckBox* box : {m_chkEmptyFolders, m_chk3, m_chk1, m_chk2})
        layout->addWidget(box);
    addProgress(*layout);
    addButtons(*layout, nullptr);
    // The run takes the destination and the choices as they were at OK.
    std::vector<QWidget*> options{m_txtPath, cmdAdd, m_chk1, m_chk2, m_chk3};
    if (moving)
        options.push_back(m_chkEmptyFolders);
    setOptions(std::move(options));
    resize(560, 460);
}

void FileCMFrm::cmdAdd_Click() {
    m_txtPath->setText(
        QString::fromStdString(m_services.ui.browseFolder(destinationPrompt(m_mode), true)));
}

std::optional<FileOpSettings> FileCMFrm::runSettings() {
    const QString path = m_txtPath->text();
    // A relative text would be taken from the program's working folder, which
    // the user never sees; a trailing blank may belong to a folder's name.
    const char* refusal = nullptr;
    if (path.trimmed().isEmpty())
        refusal = "Path not specified, Please specify copy/move location first";
    else if (!path.startsWith(QLatin1Char('/')))
        refusal = "Please specify the full path of the destination folder (beginning with \"/\").";
    if (refusal) {
        refuseBoxText(m_services.ui, *m_txtPath, refusal);
        return std::nullopt;
    }
    FileOpSettings settings;
    settings.mode = m_mode;
    settings.yesToAll = m_chk1->isChecked();
    settings.removeEmptyFolders = m_mode == FileOpMode::Move && m_chkEmptyFolders->isChecked();
    settings.withStructure = m_chk2->isChecked();
    settings.destination = path.toStdString();
    return settings;
}

void FileCMFrm::runEnded(const FileOpSettings& settings) {
    if (m_chk3->isChecked())
        m_services.launcher.openDocument(settings.destination);
}

} // namespace twinsift
