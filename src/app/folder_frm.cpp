#include "app/folder_frm.h"

#include "core/format.h"
#include "core/guard.h"
#include "platform/settings_store.h"
#include "platform/user_interface.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace twinsift {
namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

std::string text(const QLineEdit* edit) {
    return edit->text().toStdString();
}

template <class Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLineEdit* lineEdit(const char* name, const char* tip, QWidget* parent) {
    auto* edit = named(new QLineEdit(parent), name);
    edit->setToolTip(QString::fromLatin1(tip));
    return edit;
}

QLineEdit* dateEdit(const char* name, const char* tip, QWidget* parent) {
    QLineEdit* edit = lineEdit(name, tip, parent);
    edit->setPlaceholderText(QStringLiteral("mm/dd/yyyy"));
    return edit;
}

// Buttons that a click does not focus, so that clicking one does not count as
// leaving a field that is checked when left.
QPushButton* button(const char* caption, const char* name, QWidget* parent) {
    auto* result = named(new QPushButton(QString::fromLatin1(caption), parent), name);
    result->setFocusPolicy(Qt::TabFocus);
    return result;
}

// A row of the form: a caption above the controls.
QVBoxLayout* captioned(const char* caption, QLayout* controls) {
    auto* column = new QVBoxLayout;
    column->addWidget(new QLabel(QString::fromLatin1(caption)));
    column->addLayout(controls);
    return column;
}

QHBoxLayout* range(QLineEdit* from, QLineEdit* to, const char* unit) {
    auto* row = new QHBoxLayout;
    row->addWidget(from);
    row->addWidget(new QLabel(QStringLiteral("-")));
    row->addWidget(to);
    if (unit)
        row->addWidget(new QLabel(QString::fromLatin1(unit)));
    row->addStretch();
    return row;
}

} // namespace

FolderFrm::FolderFrm(SettingsStore& settings, UserInterface& ui, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_ui(ui), m_masks(loadFileMasks(settings)) {
    setObjectName(QStringLiteral("FolderFrm"));
    setWindowTitle(QStringLiteral("Add/Exclude Folders"));

    m_Text1 = named(new QLineEdit(this), "Text1");
    m_Text1->setMinimumWidth(320);
    m_Command2 = button("...", "Command2", this);
    m_Check1 = named(new QCheckBox(QStringLiteral("Include Sub Folders"), this), "Check1");
    m_Check1->setChecked(true);
    m_Check2 = named(new QCheckBox(QStringLiteral("Exclude Folder"), this), "Check2");

    m_cmbFileMask = named(new QComboBox(this), "cmbFileMask");
    m_cmbFileMask->setEditable(true);
    m_cmbFileMask->setInsertPolicy(QComboBox::NoInsert);
    m_cmbFileMask->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_cmbFileMask->setToolTip(
        QStringLiteral("Define file types to process, like documents, pictures or mp3"));
    for (const std::string& mask : m_masks)
        m_cmbFileMask->addItem(qs(mask));
    m_cmbFileMask->setCurrentIndex(-1);
    m_cmbFileMask->setEditText(QString());

    m_txtMin = lineEdit("txtMin", "Define minimum size to process", this);
    m_txtMax = lineEdit("txtMax", "Define maximum size to process", this);
    m_txtMinDate = dateEdit("txtMinDate", "Define minimum last modified date", this);
    m_txtMaxDate = dateEdit("txtMaxDate", "Define maximum last modified date", this);

    m_cmdOK = button("OK", "cmdOK", this);
    m_cmdOK->setDefault(true);
    m_cmdOK->setEnabled(false);
    m_Command1 = button("Cancel", "Command1", this);

    connect(m_Command2, &QPushButton::clicked, this, &FolderFrm::browse);
    connect(m_Check2, &QCheckBox::toggled, this, &FolderFrm::excludeToggled);
    connect(m_Text1, &QLineEdit::textChanged, this,
            [this] { m_cmdOK->setEnabled(!trimmed(text(m_Text1)).empty()); });
    connect(m_cmdOK, &QPushButton::clicked, this, &FolderFrm::confirm);
    connect(m_Command1, &QPushButton::clicked, this, &QDialog::reject);
    for (QWidget* checked : {static_cast<QWidget*>(m_txtMin), static_cast<QWidget*>(m_txtMax),
                             static_cast<QWidget*>(m_cmbFileMask)})
        checked->installEventFilter(this);

    auto* path = new QHBoxLayout;
    path->addWidget(new QLabel(QStringLiteral("Path :")));
    path->addWidget(m_Text1, 1);
    path->addWidget(m_Command2);
    auto* checks = new QHBoxLayout;
    checks->addWidget(m_Check1);
    checks->addWidget(m_Check2);
    checks->addStretch();
    auto* maskRow = new QHBoxLayout;
    maskRow->addWidget(m_cmbFileMask, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_Command1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(path);
    layout->addLayout(checks);
    layout->addLayout(captioned("File Mask(s)", maskRow));
    layout->addLayout(captioned("File Size in Range", range(m_txtMin, m_txtMax, "KB")));
    layout->addLayout(captioned("File Date in Range", range(m_txtMinDate, m_txtMaxDate, nullptr)));
    layout->addLayout(buttons);
}

void FolderFrm::preset(const FolderForm& form) {
    m_preset = form;
    m_Text1->setText(qs(form.folder));
    m_cmbFileMask->setEditText(qs(form.mask));
    m_txtMin->setText(qs(form.minimumKB));
    m_txtMax->setText(qs(form.maximumKB));
    m_txtMinDate->setText(qs(form.minimumDate));
    m_txtMaxDate->setText(qs(form.maximumDate));
}

void FolderFrm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        firstShow();
    }
}

void FolderFrm::firstShow() {
    const FolderForm remembered = newFolderDefaults(m_settings);
    if (trimmed(m_cmbFileMask->currentText().toStdString()).empty())
        m_cmbFileMask->setEditText(qs(remembered.mask));
    if (!m_Text1->text().isEmpty()) {
        m_Check1->setChecked(m_preset.subFolders);
        m_Check2->setChecked(m_preset.exclude);
        return;
    }
    m_txtMin->setText(qs(remembered.minimumKB));
    m_txtMax->setText(qs(remembered.maximumKB));
    m_txtMinDate->clear();
    m_txtMaxDate->clear();
    // A new folder starts with choosing it, once the dialog is on screen.
    QTimer::singleShot(0, this, &FolderFrm::browse);
}

void FolderFrm::browse() {
    const std::string chosen = m_ui.browseFolder("Choose Folder to Search", true);
    // Cancelling the chooser keeps a path that is already there.
    if (!chosen.empty())
        m_Text1->setText(qs(chosen));
}

void FolderFrm::excludeToggled(bool checked) {
    if (checked) {
        m_subFoldersBeforeExclude = m_Check1->isChecked();
        m_Check1->setChecked(true);
    } else {
        m_Check1->setChecked(m_subFoldersBeforeExclude);
    }
    m_Check1->setEnabled(!checked);
    for (QWidget* filter : {static_cast<QWidget*>(m_txtMin), static_cast<QWidget*>(m_txtMax),
                            static_cast<QWidget*>(m_cmbFileMask)})
        filter->setEnabled(!checked);
}

bool FolderFrm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Switching windows or opening the mask list is not leaving the field.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            // Checked once the click or key that moved the focus is handled, so a
            // refusal does not interrupt it half-way.
            QTimer::singleShot(0, this, [this, watched] {
                if (m_checking || !isVisible() || m_result)
                    return;
                if (watched == m_txtMin)
                    leaveMinimum();
                else if (watched == m_txtMax)
                    leaveMaximum();
                else
                    leaveMask();
            });
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FolderFrm::leaveMinimum() {
    FolderForm form = controls();
    correctMinimum(form);
    showSizes(form);
}

void FolderFrm::leaveMaximum() {
    FolderForm form = controls();
    const auto error = checkMaximum(form);
    showSizes(form);
    if (error)
        refuse(*error);
}

void FolderFrm::leaveMask() {
    rememberMask(m_cmbFileMask->currentText().toStdString());
}

void FolderFrm::confirm() {
    FolderForm form = controls();
    const auto error = validateFolderForm(form);
    showSizes(form);
    if (error) {
        refuse(*error);
        return;
    }
    acceptFolderForm(form);
    rememberMask(form.mask);
    saveFolderChoices(m_settings, form);
    m_result = form;
    accept();
}

FolderForm FolderFrm::controls() const {
    return {text(m_Text1),         m_Check1->isChecked(),
            m_Check2->isChecked(), m_cmbFileMask->currentText().toStdString(),
            text(m_txtMin),        text(m_txtMax),
            text(m_txtMinDate),    text(m_txtMaxDate)};
}

void FolderFrm::showSizes(const FolderForm& form) {
    if (text(m_txtMin) != form.minimumKB)
        m_txtMin->setText(qs(form.minimumKB));
    if (text(m_txtMax) != form.maximumKB)
        m_txtMax->setText(qs(form.maximumKB));
}

void FolderFrm::refuse(const FolderFormError& error) {
    m_checking = true;
    m_ui.messageBox({error.message, "Error", MsgIcon::None, MsgButtons::OK, 1});
    m_checking = false;
    QLineEdit* edit = field(error.focus);
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
}

void FolderFrm::rememberMask(const std::string& mask) {
    if (!rememberFileMask(m_masks, m_settings, mask))
        return;
    const QString typed = qs(mask);
    m_cmbFileMask->insertItem(0, typed);
    m_cmbFileMask->setCurrentIndex(0);
}

QLineEdit* FolderFrm::field(FolderField which) const {
    switch (which) {
    case FolderField::MinimumSize:
        return m_txtMin;
    case FolderField::MaximumSize:
        return m_txtMax;
    case FolderField::MinimumDate:
        return m_txtMinDate;
    case FolderField::MaximumDate:
        break;
    }
    return m_txtMaxDate;
}

void addFolders(WindowModel& model, SettingsStore& settings, UserInterface& ui, QWidget* parent) {
    Guard(ui, "Add Folders").step(1, [&] {
        FolderFrm dialog(settings, ui, parent);
        dialog.exec();
        const auto& chosen = dialog.result();
        if (!chosen || trimmed(chosen->folder).empty())
            return;
        addSearchPath(model, searchPathRow(*chosen));
        model.notices().searchPathsChanged();
    });
}

void editFolders(WindowModel& model, SettingsStore& settings, UserInterface& ui, QWidget* parent) {
    const int selected = model.selectedSearchPath;
    if (selected < 0 || selected >= static_cast<int>(model.SearchList.size()))
        return;
    Guard(ui, "Add Folders").step(1, [&] {
        FolderFrm dialog(settings, ui, parent);
        dialog.preset(folderFormFor(model.SearchList[static_cast<std::size_t>(selected)]));
        dialog.exec();
        const auto& chosen = dialog.result();
        if (!chosen || trimmed(chosen->folder).empty())
            return;
        replaceSelectedSearchPath(model, searchPathRow(*chosen));
        model.notices().searchPathsChanged();
    });
}

} // namespace twinsift
