#include "app/file_del_frm.h"

#include "core/window_commands.h"
#include "core/window_model.h"
#include "fileops/error_log.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <ctime>

namespace twinsift {

fileDelFrm::fileDelFrm(const WindowModel& model, FileOpServices services, QWidget* parent)
    : FileOpFrm(model, std::move(services), parent),
      m_chkEmptyFolders(tickBox("Remove Empty &Folders / Directories after process.",
                                "chkEmptyFolders", true, this)),
      m_chkSentTo(tickBox("Move to Trash (recommended)", "chkSentTo", true, this)),
      m_chkRespond(tickBox("Respond with \" &Yes to All \" for any dialog box that is displayed.",
                           "chkRespond", true, this)),
      m_cmdSaveErr(new QPushButton(QStringLiteral("Save Err Log"), this)) {
    setObjectName(QStringLiteral("fileDelFrm"));
    setWindowTitle(QStringLiteral("Deleting..."));

    auto* Label2 = new QLabel(
        QStringLiteral("Warning! The files that you delete using this tool are entirely your "
                       "selection. Twinsift can only find duplicate copies of files, it can't "
                       "tell which one is the duplicate/unneeded. "),
        this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setWordWrap(true);
    auto* Frame1 = new QGroupBox(QStringLiteral("Deletion Option "), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto* options = new QVBoxLayout(Frame1);
    for (QCheckBox* box : {m_chkEmptyFolders, m_chkSentTo, m_chkRespond})
        options->addWidget(box);
    connect(m_chkSentTo, &QCheckBox::clicked, this, &fileDelFrm::chkSentTo_Click);

    m_cmdSaveErr->setObjectName(QStringLiteral("cmdSaveErr"));
    m_cmdSaveErr->setEnabled(false);
    connect(m_cmdSaveErr, &QPushButton::clicked, this,
            [this] { saveErrorLog(m_failures, m_services.ui); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label2);
    layout->addWidget(Frame1);
    addProgress(*layout);
    addButtons(*layout, m_cmdSaveErr);
    setOptions({m_chkEmptyFolders, m_chkSentTo, m_chkRespond});
    resize(560, 420);
}

void fileDelFrm::showEvent(QShowEvent* event) {
    // Not when the window system shows it again (restored from minimised):
    // the user's choice for this run stands.
    if (!event->spontaneous())
        m_chkSentTo->setChecked(m_model.sendsToRecycleBin());
    FileOpFrm::showEvent(event);
}

std::optional<FileOpSettings> fileDelFrm::runSettings() {
    FileOpSettings settings;
    settings.mode = FileOpMode::Delete;
    settings.toTrash = m_chkSentTo->isChecked();
    settings.yesToAll = m_chkRespond->isChecked();
    settings.removeEmptyFolders = m_chkEmptyFolders->isChecked();
    return settings;
}

void fileDelFrm::failureAdded() {
    m_cmdSaveErr->setEnabled(true);
}

void fileDelFrm::chkSentTo_Click(bool ticked) {
    if (!ticked && !confirmPermanentDeletion(m_services.ui))
        m_chkSentTo->setChecked(true);
}

} // namespace twinsift
