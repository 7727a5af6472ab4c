#pragma once

#include <QDialog>
#include <string>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace twinsift {

class ExclusionList;
class KeptExclusionList;
class UserInterface;

// "Exclusion List": the folders and file extensions every scan leaves out.
// It edits the list it is given in place, so check-box changes take effect
// for later scans even before OK; OK writes the list to its file and hides the
// dialog.
class ExcludeFrm : public QDialog {
    Q_OBJECT
public:
    ExcludeFrm(ExclusionList& list, std::string filePath, UserInterface& ui,
               QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void cmdAddExFolder_Click();
    void cmdAddExExtension_Click();
    void cmdOK_Click();
    void keepExtensionCharacters();
    void updateRemoveButtons();
    void fillLists();

    ExclusionList& m_list;
    std::string m_filePath;
    UserInterface& m_ui;
    QListWidget* m_lstExFolders;
    QListWidget* m_lstExExtension;
    QLineEdit* m_txtAddExtension;
    QPushButton* m_cmdRemoveExFolder;
    QPushButton* m_cmdRemoveExExtension;
};

// cmdExclude: shows ExcludeFrm modally, centred on the work area, over the
// kept list, reading the file first when the list is not kept yet (a damaged
// file is reported and its readable lines are shown). Closing the dialog
// without OK forgets the list, so the next use reads the file again.
void showExcludeFrm(KeptExclusionList& kept, UserInterface& ui, QWidget* parent);

} // namespace twinsift
