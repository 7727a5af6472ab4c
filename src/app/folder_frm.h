#pragma once

#include "scan/search_paths.h"

#include <QDialog>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace twinsift {

class SettingsStore;
class UserInterface;

// "Add/Exclude Folders": one search path and its filters. Each Add or Edit
// creates a fresh dialog; after it closes, `result()` holds the accepted
// values (Folder, SubFolder, Exclude and the filters), or nothing after Cancel.
class FolderFrm : public QDialog {
    Q_OBJECT
public:
    FolderFrm(SettingsStore& settings, UserInterface& ui, QWidget* parent = nullptr);

    // Fills the controls before the dialog is shown; a non-empty folder makes
    // the first show keep them instead of browsing at once.
    void preset(const FolderForm& form);

    const std::optional<FolderForm>& result() const { return m_result; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void firstShow();
    void browse();
    void excludeToggled(bool checked);
    void leaveMinimum();
    void leaveMaximum();
    void leaveMask();
    void confirm();

    FolderForm controls() const;
    void showSizes(const FolderForm& form);
    void refuse(const FolderFormError& error);
    void rememberMask(const std::string& mask);
    QLineEdit* field(FolderField which) const;

    SettingsStore& m_settings;
    UserInterface& m_ui;
    std::vector<std::string> m_masks;
    FolderForm m_preset;
    std::optional<FolderForm> m_result;
    bool m_shown = false;
    bool m_checking = false;
    bool m_subFoldersBeforeExclude = true;

    QLineEdit* m_Text1;
    QPushButton* m_Command2;
    QCheckBox* m_Check1;
    QCheckBox* m_Check2;
    QComboBox* m_cmbFileMask;
    QLineEdit* m_txtMin;
    QLineEdit* m_txtMax;
    QLineEdit* m_txtMinDate;
    QLineEdit* m_txtMaxDate;
    QPushButton* m_cmdOK;
    QPushButton* m_Command1;
};

// The Add command (cmdAdd, and Scan on an empty list): a new row, or new
// filters for the row of the same folder. Guarded as "Add Folders".
void addFolders(WindowModel& model, SettingsStore& settings, UserInterface& ui, QWidget* parent);

// The Edit command (double-click on a SearchList row): the selected row in
// the same dialog. Guarded as "Add Folders".
void editFolders(WindowModel& model, SettingsStore& settings, UserInterface& ui, QWidget* parent);

} // namespace twinsift
