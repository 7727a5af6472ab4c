#pragma once

#include "persist/export_formats.h"

#include <QDialog>
#include <functional>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace twinsift {

class Launcher;
class SettingsStore;
class UserInterface;

// What the export wizard acts through.
struct ExportFrmServices {
    SettingsStore& settings;
    UserInterface& ui;
    Launcher& launcher;
    // The main window's end sound, as after a scan.
    std::function<void()> endSound;
};

// The export wizard: page 1 chooses the format and the rows, page 2 the
// output file and, for delimited text, the delimiter; Export writes the file
// and leaves only "Finish". The choices are kept in the settings section
// "Export" whenever the wizard closes.
class frmExport : public QDialog {
    Q_OBJECT
public:
    frmExport(const WindowModel& model, ExportFrmServices services, QWidget* parent = nullptr);

    void done(int result) override;

private:
    enum class Format { Html = 1, Xml = 2, Delimited = 3 };

    QWidget* buildFormatPage();
    QWidget* buildOutputPage();
    void loadSettings();
    void storeSettings();

    void btn_Click();
    void Command1_Click();
    void cmdAdd_Click();
    void showOutputPage();
    void exportFile();
    // Holds the page and the buttons still while an export runs.
    void setExporting(bool exporting);
    // Writes the file in the chosen format; true once it is written.
    bool runWriter(const ExportRequest& request);
    Format format() const;
    ExportRows rows() const;
    Delimiter delimiter() const;

    const WindowModel& m_model;
    ExportFrmServices m_services;
    bool m_exporting = false;

    QWidget* m_f1 = nullptr;
    QWidget* m_F2 = nullptr;
    QRadioButton* m_optXml = nullptr;
    QRadioButton* m_optHtml = nullptr;
    QRadioButton* m_OptDeli = nullptr;
    QRadioButton* m_optMark = nullptr;
    QRadioButton* m_optAllFiles = nullptr;
    QRadioButton* m_optSelected = nullptr;
    QCheckBox* m_openafter = nullptr;
    QLineEdit* m_txtPath = nullptr;
    QButtonGroup* m_delimiters = nullptr; // optTab..optOther by their "ExportChar" numbers
    QRadioButton* m_webpage = nullptr;
    QLineEdit* m_txtOther = nullptr;
    QProgressBar* m_PB = nullptr;
    QPushButton* m_Command1 = nullptr;
    QPushButton* m_btn = nullptr;
    QPushButton* m_Command2 = nullptr;
};

} // namespace twinsift
