#pragma once

#include "app/file_op_frm.h"

class QShowEvent;

namespace twinsift {

// "Deleting...": deletes the marked files to the Trash or for good, then
// removes the folders it emptied. Unticking "Move to Trash" asks first, and
// the choice holds for this dialog only.
class fileDelFrm : public FileOpFrm {
    Q_OBJECT
public:
    fileDelFrm(const WindowModel& model, FileOpServices services, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::optional<FileOpSettings> runSettings() override;
    void failureAdded() override;
    void chkSentTo_Click(bool ticked);

    QCheckBox* m_chkEmptyFolders;
    QCheckBox* m_chkSentTo;
    QCheckBox* m_chkRespond;
    QPushButton* m_cmdSaveErr;
};

} // namespace twinsift
