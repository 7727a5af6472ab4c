#include "app/export_frm.h"

#include "app/desktop_services.h"
#include "core/window_commands.h"
#include "persist/export_formats.h"
#include "persist/export_html.h"
#include "platform/settings_store.h"
#include "platform/shell_services.h"
#include "platform/user_interface.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <limits>

namespace twinsift {
namespace {

constexpr const char* kSection = "Export";

template <class Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QRadioButton* option(const char* caption, const char* name, QWidget* frame) {
    auto* button = named(new QRadioButton(QString::fromLatin1(caption), frame), name);
    frame->layout()->addWidget(button);
    return button;
}

QGroupBox* frame(const char* caption, const char* name, QWidget* page) {
    auto* box = named(new QGroupBox(QString::fromLatin1(caption), page), name);
    new QVBoxLayout(box);
    page->layout()->addWidget(box);
    return box;
}

// A name typed without its folder is in the working folder; the file is
// opened through a URL, which takes whole paths only. As typed when the
// working folder is unknown.
std::string absolutePath(const std::string& typed) {
    std::error_code unknown;
    const std::filesystem::path path = std::filesystem::absolute(typed, unknown);
    return unknown ? typed : path.string();
}

// QProgressBar counts in int.
int barValue(std::size_t value) {
    return static_cast<int>(std::min<std::size_t>(value, std::numeric_limits<int>::max()));
}

} // namespace

frmExport::frmExport(const WindowModel& model, ExportFrmServices services, QWidget* parent)
    : QDialog(parent), m_model(model), m_services(std::move(services)) {
    setObjectName(QStringLiteral("frmExport"));
    setWindowTitle(QStringLiteral("Export Wizard"));

    m_f1 = buildFormatPage();
    m_F2 = buildOutputPage();
    m_F2->hide();

    auto* Label1 = named(new QLabel(QStringLiteral("Progress...."), this), "Label1");
    m_PB = named(new QProgressBar(this), "PB");
    m_PB->setValue(0);
    m_Command1 = named(new QPushButton(QStringLiteral("< Back"), this), "Command1");
    m_Command1->setEnabled(false);
    m_btn = named(new QPushButton(QStringLiteral("Next >"), this), "btn");
    m_btn->setDefault(true);
    m_Command2 = named(new QPushButton(QStringLiteral("Cancel"), this), "Command2");
    connect(m_Command1, &QPushButton::clicked, this, &frmExport::Command1_Click);
    connect(m_btn, &QPushButton::clicked, this, &frmExport::btn_Click);
    connect(m_Command2, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* button : {m_Command1, m_btn, m_Command2})
        buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_f1);
    layout->addWidget(m_F2);
    layout->addStretch(1);
    layout->addWidget(Label1);
    layout->addWidget(m_PB);
    layout->addLayout(buttons);

    loadSettings();
    resize(480, 380);
}

QWidget* frmExport::buildFormatPage() {
    auto* page = named(new QWidget(this), "f1");
    new QVBoxLayout(page);
    QGroupBox* Frame4 = frame("Export Format ", "Frame4", page);
    m_optXml = option("XML (Extensible Markup Language)", "optXml", Frame4);
    m_optHtml = option("HTML (webpage)", "optHtml", Frame4);
    m_OptDeli = option("Delimited Text File (for database or spreadsheets)", "OptDeli", Frame4);
    QGroupBox* Frame3 = frame("Files to export ", "Frame3", page);
    m_optMark = option("Mark Files Only", "optMark", Frame3);
    m_optAllFiles = option("All Files", "optAllFiles", Frame3);
    m_optSelected = option("Selected Files Only", "optSelected", Frame3);
    m_openafter = named(new QCheckBox(QStringLiteral("Open file after export"), page), "openafter");
    page->layout()->addWidget(m_openafter);
    return page;
}

QWidget* frmExport::buildOutputPage() {
    auto* page = named(new QWidget(this), "F2");
    new QVBoxLayout(page);
    QGroupBox* Frame5 = frame("Output File Name ", "Frame5", page);
    m_txtPath = named(new QLineEdit(Frame5), "txtPath");
    auto* cmdAdd = named(new QToolButton(Frame5), "cmdAdd");
    cmdAdd->setText(QStringLiteral("..."));
    connect(cmdAdd, &QToolButton::clicked, this, &frmExport::cmdAdd_Click);
    auto* path = new QHBoxLayout;
    path->addWidget(m_txtPath, 1);
    path->addWidget(cmdAdd);
    static_cast<QVBoxLayout*>(Frame5->layout())->addLayout(path);

    QGroupBox* Frame6 = frame("Field Delimeter ", "Frame6", page);
    m_delimiters = new QButtonGroup(this);
    m_delimiters->addButton(option("TAB", "optTab", Frame6), static_cast<int>(Delimiter::Tab));
    m_delimiters->addButton(option("Comma", "optComma", Frame6),
                            static_cast<int>(Delimiter::Comma));
    m_delimiters->addButton(option("Semi-colen", "optSemi", Frame6),
                            static_cast<int>(Delimiter::Semicolon));
    QRadioButton* optOther = option("Other Character String", "optOther", Frame6);
    m_delimiters->addButton(optOther, static_cast<int>(Delimiter::Other));
    m_txtOther = named(new QLineEdit(Frame6), "txtOther");
    m_txtOther->setEnabled(false);
    Frame6->layout()->addWidget(m_txtOther);
    m_webpage = option("Webpage", "webpage", Frame6);
    m_delimiters->addButton(m_webpage, 0);
    connect(optOther, &QRadioButton::toggled, m_txtOther, &QLineEdit::setEnabled);
    return page;
}

void frmExport::loadSettings() {
    const SettingsStore& settings = m_services.settings;
    const std::string type = settings.getSetting(kSection, "ExportType", "1");
    if (type == "1")
        m_optAllFiles->setChecked(true);
    else if (type == "2")
        m_optMark->setChecked(true);
    else if (type == "3")
        m_optSelected->setChecked(true);
    const std::string format = settings.getSetting(kSection, "ExportFormat", "2");
    (format == "1" ? m_optHtml : format == "2" ? m_optXml : m_OptDeli)->setChecked(true);
    m_openafter->setChecked(settings.getSetting(kSection, "OpenFile", "1") != "0");
}

void frmExport::storeSettings() {
    SettingsStore& settings = m_services.settings;
    if (m_optAllFiles->isChecked() || m_optMark->isChecked() || m_optSelected->isChecked())
        settings.saveSetting(kSection, "ExportType", std::to_string(static_cast<int>(rows())));
    settings.saveSetting(kSection, "ExportFormat", std::to_string(static_cast<int>(format())));
    settings.saveSetting(kSection, "OpenFile", m_openafter->isChecked() ? "1" : "0");
    if (m_delimiters->checkedId() > 0)
        settings.saveSetting(kSection, "ExportChar", std::to_string(m_delimiters->checkedId()));
}

void frmExport::done(int result) {
    // The export runs inside this dialog's event loop; it ends it, not a
    // close box or Escape.
    if (m_exporting)
        return;
    storeSettings();
    QDialog::done(result);
}

frmExport::Format frmExport::format() const {
    if (m_optHtml->isChecked())
        return Format::Html;
    return m_optXml->isChecked() ? Format::Xml : Format::Delimited;
}

ExportRows frmExport::rows() const {
    if (m_optAllFiles->isChecked())
        return ExportRows::All;
    if (m_optMark->isChecked())
        return ExportRows::Marked;
    return m_optSelected->isChecked() ? ExportRows::Selected : ExportRows::All;
}

void frmExport::btn_Click() {
    // The export lets the window take input while it runs; a click that
    // came through meanwhile must not start another one inside it.
    if (m_exporting)
        return;
    if (m_btn->text() == QStringLiteral("Next >"))
        showOutputPage();
    else
        exportFile();
}

void frmExport::showOutputPage() {
    if (refuseEmptyList(m_model, m_services.ui))
        return;
    m_btn->setText(QStringLiteral("Export"));
    m_Command1->setEnabled(true);
    m_f1->hide();
    m_F2->show();

    const Format chosen = format();
    const bool delimited = chosen == Format::Delimited;
    for (QAbstractButton* button : m_delimiters->buttons())
        button->setEnabled(button == m_webpage ? chosen == Format::Html : delimited);
    if (chosen == Format::Html) {
        m_webpage->setChecked(true);
    } else if (delimited) {
        const std::string stored = m_services.settings.getSetting(kSection, "ExportChar", "2");
        QAbstractButton* choice = stored.size() == 1 && stored[0] >= '1' && stored[0] <= '4'
                                      ? m_delimiters->button(stored[0] - '0')
                                      : nullptr;
        if (choice) {
            choice->setChecked(true);
        } else if (QAbstractButton* checked = m_delimiters->checkedButton()) {
            // An exclusive group keeps one option; an unknown setting chooses none.
            m_delimiters->setExclusive(false);
            checked->setChecked(false);
            m_delimiters->setExclusive(true);
        }
    }
}

void frmExport::Command1_Click() {
    if (m_exporting)
        return;
    m_F2->hide();
    m_f1->show();
    m_btn->setEnabled(true);
    m_btn->setText(QStringLiteral("Next >"));
    m_Command1->setEnabled(false);
}

void frmExport::cmdAdd_Click() {
    const Format chosen = format();
    const char* title = chosen == Format::Delimited ? "Export Locations" : "Export Location";
    const char* filter = chosen == Format::Html  ? "Webpage(*.htm)|*.htm"
                         : chosen == Format::Xml ? "XML(*.xml)|*.xml"
                                                 : "Delimited Format(*.csv)|*.csv";
    m_txtPath->setText(QString::fromStdString(m_services.ui.saveFileDialog(filter, title, "", "")));
}

void frmExport::exportFile() {
    if (m_txtPath->text().trimmed().isEmpty()) {
        refuseBoxText(m_services.ui, *m_txtPath, "Output filename not specified");
        return;
    }
    // The writer tells an unusable delimiter itself; the page stays for
    // another one.
    const bool usable = format() != Format::Delimited ||
                        separatorFor(delimiter(), m_txtOther->text().toStdString()).has_value();
    setExporting(true);
    m_PB->setRange(0, std::max(1, barValue(m_model.rows.size())));
    const ExportRequest request{absolutePath(m_txtPath->text().toStdString()), rows(),
                                [this](std::size_t passed, std::size_t) {
                                    m_PB->setValue(barValue(passed));
                                    m_model.yieldToWindow();
                                }};
    const bool written = runWriter(request);
    setExporting(false);
    if (!usable) {
        m_txtOther->setFocus();
        return;
    }
    if (written) {
        if (m_services.endSound)
            m_services.endSound();
        if (m_openafter->isChecked() && !m_services.launcher.openDocument(request.path))
            tellNoAssociatedProgram(m_services.ui);
    }
    m_Command2->setText(QStringLiteral("Finish"));
    m_Command1->setEnabled(false);
    m_btn->setEnabled(false);
}

void frmExport::setExporting(bool exporting) {
    m_exporting = exporting;
    for (QWidget* widget : std::initializer_list<QWidget*>{m_F2, m_Command1, m_btn, m_Command2})
        widget->setEnabled(!exporting);
}

bool frmExport::runWriter(const ExportRequest& request) {
    switch (format()) {
    case Format::Html:
        return ExportHtml(m_model, request, m_services.ui);
    case Format::Xml:
        return ExportXml(m_model, request, m_services.ui);
    case Format::Delimited:
        break;
    }
    return ExportDelimited(m_model, request, delimiter(), m_txtOther->text().toStdString(),
                           m_services.ui);
}

Delimiter frmExport::delimiter() const {
    // No delimiter chosen: the text typed for Other.
    const int id = m_delimiters->checkedId();
    return id > 0 ? static_cast<Delimiter>(id) : Delimiter::Other;
}

} // namespace twinsift
