#pragma once

#include "app/file_op_frm.h"

#include <string>

class QLineEdit;

namespace twinsift {

// The title of the folder chooser that asks where Move or Copy takes the files.
const char* destinationPrompt(FileOpMode mode);

// "Copy files to..." / "Move files to...": copies or moves the marked files
// into the folder of the Path box (rebuilding their folder paths below it
// when asked), optionally opening that folder afterwards; Move also removes
// the folders it emptied.
class FileCMFrm : public FileOpFrm {
    Q_OBJECT
public:
    // `mode` is Move or Copy; `destination` fills the Path box.
    FileCMFrm(FileOpMode mode, const std::string& destination, const WindowModel& model,
              FileOpServices services, QWidget* parent = nullptr);

private:
    std::optional<FileOpSettings> runSettings() override;
    void runEnded(const FileOpSettings& settings) override;
    void cmdAdd_Click();

    FileOpMode m_mode;
    QLineEdit* m_txtPath;
    QCheckBox* m_chkEmptyFolders;
    QCheckBox* m_chk1;
    QCheckBox* m_chk2;
    QCheckBox* m_chk3;
};

} // namespace twinsift
