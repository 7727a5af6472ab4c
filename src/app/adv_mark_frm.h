#pragma once

#include "marking/advanced_marking.h"

#include <QDialog>
#include <array>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QTabWidget;
class QTreeWidget;

namespace twinsift {

class SettingsStore;
class UserInterface;
struct WindowModel;

// "Advance Marking": marks the result list by rules ("By Range": in every
// group all files of a mask but the one a rule keeps, up to a size limit) or
// by folders ("By Folders"). Its choices are read from section "AdvMarking"
// each time it is shown and written back when it is put away; a marking
// hides it.
class AdvMarkFrm : public QDialog {
    Q_OBJECT
public:
    AdvMarkFrm(WindowModel& model, SettingsStore& settings, UserInterface& ui,
               QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* buildRangeTab();
    QWidget* buildFoldersTab();
    AdvMarkChoices choices() const;
    void showChoices(const AdvMarkChoices& choices);
    void showRules(const AdvMarkChoices& choices);
    void ruleClicked(RuleFrame frame, AdvMarkChoices::Keep keep);
    void limitChosen();
    void fillFolders();
    void tickAll(bool ticked);
    void cmdOK_Click();

    WindowModel& m_model;
    SettingsStore& m_settings;
    UserInterface& m_ui;
    QTabWidget* m_tabStrip1 = nullptr;
    // By rule frame (date, size, version), then by None, Newer/Larger, Older/Smaller.
    std::array<std::array<QRadioButton*, 3>, 3> m_rules{};
    QGroupBox* m_sizeRangeFrame = nullptr;
    // None, CD, DVD, Specify.
    std::array<QRadioButton*, 4> m_limits{};
    QLineEdit* m_txtSizeLimitSize = nullptr;
    QComboBox* m_cmbSizeLimitOptions = nullptr;
    QComboBox* m_cmbFileMask1 = nullptr;
    QTreeWidget* m_lvFolders = nullptr;
    QCheckBox* m_chkIncSubFolders = nullptr;
    QComboBox* m_cmbFileMask2 = nullptr;
    // The folders lvFolders shows, so that their ticks outlive a hide while
    // the result list keeps them.
    std::vector<std::string> m_shownFolders;
};

} // namespace twinsift
