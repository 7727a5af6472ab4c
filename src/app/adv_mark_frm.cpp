#include "app/adv_mark_frm.h"

#include "app/visible_text.h"
#include "core/window_model.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace twinsift {
namespace {

using Keep = AdvMarkChoices::Keep;
using Limit = AdvMarkChoices::Limit;

constexpr char kAllFiles[] = "All files(*.*)";

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

template <class Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QPushButton* namedButton(const char* caption, const char* name, QWidget* parent) {
    return named(new QPushButton(QString::fromLatin1(caption), parent), name);
}

// An editable mask box with the preset masks; left empty, it takes "All files(*.*)".
QComboBox* maskBox(const char* name, QWidget* parent) {
    auto* box = named(new QComboBox(parent), name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMinimumContentsLength(40);
    for (const std::string& mask : presetMasks())
        box->addItem(qs(mask));
    QObject::connect(box->lineEdit(), &QLineEdit::editingFinished, box, [box] {
        if (box->currentText().trimmed().isEmpty())
            box->setEditText(QString::fromLatin1(kAllFiles));
    });
    return box;
}

QHBoxLayout* labelled(const char* caption, const char* labelName, QWidget* field, QWidget* parent) {
    auto* row = new QHBoxLayout;
    row->addWidget(named(new QLabel(QString::fromLatin1(caption), parent), labelName));
    row->addWidget(field, 1);
    return row;
}

std::size_t index(Keep keep) {
    return static_cast<std::size_t>(keep);
}

} // namespace

AdvMarkFrm::AdvMarkFrm(WindowModel& model, SettingsStore& settings, UserInterface& ui,
                       QWidget* parent)
    : QDialog(parent), m_model(model), m_settings(settings), m_ui(ui) {
    setObjectName(QStringLiteral("AdvMarkFrm"));
    setWindowTitle(QStringLiteral("Advance Marking"));

    m_tabStrip1 = named(new QTabWidget(this), "TabStrip1");
    m_tabStrip1->addTab(buildRangeTab(), QStringLiteral("By Range"));
    m_tabStrip1->addTab(buildFoldersTab(), QStringLiteral("By Folders"));

    auto* cmdOK = namedButton("Mark", "cmdOK", this);
    cmdOK->setDefault(true);
    auto* cmdClearMarks = namedButton("Clear all marks", "cmdClearMarks", this);
    auto* Command1 = namedButton("Cancel", "Command1", this);
    connect(cmdOK, &QPushButton::clicked, this, &AdvMarkFrm::cmdOK_Click);
    connect(cmdClearMarks, &QPushButton::clicked, this, [this] { clearAllMarks(m_model); });
    connect(Command1, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdClearMarks);
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(Command1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabStrip1, 1);
    layout->addLayout(buttons);
}

QWidget* AdvMarkFrm::buildRangeTab() {
    auto* page = named(new QWidget, "frmtab1");
    struct FrameText {
        const char* name;
        const char* caption;
        std::array<const char*, 3> optionNames;
        std::array<const char*, 3> captions;
    };
    const FrameText frames[] = {{"Frame1",
                                 "Date Time",
                                 {"optDateNone", "optDateNewer", "optDateOlder"},
                                 {"None", "Keep Newer Files", "Keep Older Files"}},
                                {"SizeRangeFrame",
                                 "File Size",
                                 {"optSizeNone", "optSizeLarger", "optSizeSmaller"},
                                 {"None", "Keep Larger Files", "Keep Smaller Files"}},
                                {"Frame3",
                                 "Version",
                                 {"optVersionNone", "optVersionNewer", "optVersionOlder"},
                                 {"None", "Keep Newer Version Files", "Keep Older Version Files"}}};
    auto* ruleRow = new QHBoxLayout;
    for (std::size_t f = 0; f < 3; ++f) {
        auto* frame =
            named(new QGroupBox(QString::fromLatin1(frames[f].caption), page), frames[f].name);
        auto* frameLayout = new QVBoxLayout(frame);
        for (std::size_t k = 0; k < 3; ++k) {
            auto* option = named(new QRadioButton(QString::fromLatin1(frames[f].captions[k])),
                                 frames[f].optionNames[k]);
            frameLayout->addWidget(option);
            m_rules[f][k] = option;
            connect(option, &QRadioButton::clicked, this,
                    [this, f, k] { ruleClicked(static_cast<RuleFrame>(f), static_cast<Keep>(k)); });
        }
        ruleRow->addWidget(frame);
        if (f == 1)
            m_sizeRangeFrame = frame;
    }

    auto* Frame4 = named(new QGroupBox(QStringLiteral("Size Limit"), page), "Frame4");
    const char* const limitNames[] = {"optSizeLimitNone", "optSizeLimitCD", "optSizeLimitDVD",
                                      "optSizeLimitSpecify"};
    const char* const limitCaptions[] = {"None", "CD (700 MB)", "DVD (4.3 GB)", "Specify :"};
    auto* limitLayout = new QGridLayout(Frame4);
    for (std::size_t l = 0; l < m_limits.size(); ++l) {
        m_limits[l] = named(new QRadioButton(QString::fromLatin1(limitCaptions[l])), limitNames[l]);
        limitLayout->addWidget(m_limits[l], static_cast<int>(l), 0);
        connect(m_limits[l], &QRadioButton::toggled, this, &AdvMarkFrm::limitChosen);
    }
    m_txtSizeLimitSize = named(new QLineEdit(Frame4), "txtSizeLimitSize");
    m_cmbSizeLimitOptions = named(new QComboBox(Frame4), "cmbSizeLimitOptions");
    m_cmbSizeLimitOptions->addItems(
        {QStringLiteral("KB"), QStringLiteral("MB"), QStringLiteral("GB")});
    limitLayout->addWidget(m_txtSizeLimitSize, 3, 1);
    limitLayout->addWidget(m_cmbSizeLimitOptions, 3, 2);
    auto* Label5 = named(new QLabel(QStringLiteral("This option is helpful when you want to make "
                                                   "backup copies of Duplicate Files in a CD, DVD "
                                                   "etc and have size limits."),
                                    Frame4),
                         "Label5");
    Label5->setWordWrap(true);
    limitLayout->addWidget(Label5, 0, 1, 3, 2);

    m_cmbFileMask1 = maskBox("cmbFileMask1", page);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(ruleRow);
    layout->addWidget(Frame4);
    layout->addLayout(labelled("File Mask :", "Label1", m_cmbFileMask1, page));
    layout->addStretch();
    return page;
}

QWidget* AdvMarkFrm::buildFoldersTab() {
    auto* page = named(new QWidget, "frmtab2");
    m_lvFolders = named(new QTreeWidget(page), "lvFolders");
    m_lvFolders->setRootIsDecorated(false);
    m_lvFolders->setHeaderLabels({QStringLiteral("Folders")});
    m_chkIncSubFolders =
        named(new QCheckBox(QStringLiteral("Include Sub-Folders"), page), "chkIncSubFolders");
    auto* cmdChkAll = namedButton("Check all", "cmdChkAll", page);
    auto* cmdUnChkAll = namedButton("Uncheck all", "cmdUnChkAll", page);
    connect(cmdChkAll, &QPushButton::clicked, this, [this] { tickAll(true); });
    connect(cmdUnChkAll, &QPushButton::clicked, this, [this] { tickAll(false); });
    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(m_chkIncSubFolders);
    listButtons->addStretch();
    listButtons->addWidget(cmdChkAll);
    listButtons->addWidget(cmdUnChkAll);

    m_cmbFileMask2 = maskBox("cmbFileMask2", page);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_lvFolders, 1);
    layout->addLayout(listButtons);
    layout->addLayout(labelled("File Mask :", "Label4", m_cmbFileMask2, page));
    return page;
}

void AdvMarkFrm::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        const bool sizeRuleOffered = m_model.engine == Engine::SameNames;
        m_sizeRangeFrame->setEnabled(sizeRuleOffered);
        AdvMarkChoices stored = loadAdvMarkChoices(m_settings);
        // Files of one group have one size unless the names decided the
        // group; a size rule left from such a search would rank nothing.
        if (!sizeRuleOffered)
            chooseKeepRule(stored, RuleFrame::FileSize, Keep::None);
        showChoices(stored);
        fillFolders();
    }
    QDialog::showEvent(event);
}

void AdvMarkFrm::hideEvent(QHideEvent* event) {
    if (!event->spontaneous())
        saveAdvMarkChoices(m_settings, choices());
    QDialog::hideEvent(event);
}

AdvMarkChoices AdvMarkFrm::choices() const {
    AdvMarkChoices chosen;
    const auto checkedOf = [](const auto& options) {
        std::size_t i = 0;
        while (i + 1 < options.size() && !options[i]->isChecked())
            ++i;
        return i;
    };
    chosen.dateRule = static_cast<Keep>(checkedOf(m_rules[0]));
    chosen.sizeRule = static_cast<Keep>(checkedOf(m_rules[1]));
    chosen.versionRule = static_cast<Keep>(checkedOf(m_rules[2]));
    chosen.limit = static_cast<Limit>(checkedOf(m_limits));
    chosen.limitText = m_txtSizeLimitSize->text().toStdString();
    chosen.limitUnit = m_cmbSizeLimitOptions->currentText().toStdString();
    chosen.rangeMask = m_cmbFileMask1->currentText().toStdString();
    chosen.includeSubFolders = m_chkIncSubFolders->isChecked();
    chosen.folderMask = m_cmbFileMask2->currentText().toStdString();
    return chosen;
}

void AdvMarkFrm::showChoices(const AdvMarkChoices& choices) {
    showRules(choices);
    m_limits[static_cast<std::size_t>(choices.limit)]->setChecked(true);
    m_txtSizeLimitSize->setText(qs(choices.limitText));
    m_cmbSizeLimitOptions->setCurrentIndex(m_cmbSizeLimitOptions->findText(qs(choices.limitUnit)));
    m_cmbFileMask1->setEditText(qs(choices.rangeMask));
    m_chkIncSubFolders->setChecked(choices.includeSubFolders);
    m_cmbFileMask2->setEditText(qs(choices.folderMask));
    limitChosen();
}

void AdvMarkFrm::showRules(const AdvMarkChoices& choices) {
    m_rules[0][index(choices.dateRule)]->setChecked(true);
    m_rules[1][index(choices.sizeRule)]->setChecked(true);
    m_rules[2][index(choices.versionRule)]->setChecked(true);
}

void AdvMarkFrm::ruleClicked(RuleFrame frame, Keep keep) {
    AdvMarkChoices chosen = choices();
    chooseKeepRule(chosen, frame, keep);
    showRules(chosen);
}

void AdvMarkFrm::limitChosen() {
    const bool specify = m_limits[static_cast<std::size_t>(Limit::Specify)]->isChecked();
    m_txtSizeLimitSize->setEnabled(specify);
    m_cmbSizeLimitOptions->setEnabled(specify);
}

void AdvMarkFrm::fillFolders() {
    if (m_shownFolders == m_model.lvFolders)
        return;
    m_shownFolders = m_model.lvFolders;
    m_lvFolders->clear();
    for (const std::string& folder : m_shownFolders) {
        auto* item = new QTreeWidgetItem(m_lvFolders, {withVisibleControls(qs(folder))});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
    }
}

void AdvMarkFrm::tickAll(bool ticked) {
    for (int row = 0; row < m_lvFolders->topLevelItemCount(); ++row)
        m_lvFolders->topLevelItem(row)->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
}

void AdvMarkFrm::cmdOK_Click() {
    bool marked = false;
    if (m_tabStrip1->currentIndex() == 0) {
        marked = markByRange(m_model, m_ui, choices());
        if (!marked && !m_model.rows.empty()) // the limit was not a number
            m_txtSizeLimitSize->setFocus();
    } else {
        const int count = m_lvFolders->topLevelItemCount();
        std::vector<bool> ticked(static_cast<std::size_t>(count));
        for (int row = 0; row < count; ++row)
            ticked[static_cast<std::size_t>(row)] =
                m_lvFolders->topLevelItem(row)->checkState(0) == Qt::Checked;
        marked = markByFolders(m_model, m_ui, ticked, m_chkIncSubFolders->isChecked(),
                               m_cmbFileMask2->currentText().toStdString());
        for (int row = 0; row < count; ++row)
            if (ticked[static_cast<std::size_t>(row)])
                m_lvFolders->topLevelItem(row)->setCheckState(0, Qt::Checked);
    }
    if (marked)
        accept();
}

} // namespace twinsift
