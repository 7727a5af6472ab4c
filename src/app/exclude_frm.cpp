#include "app/exclude_frm.h"

#include "app/desktop_services.h"
#include "app/visible_text.h"
#include "core/guard.h"
#include "scan/exclusion_list.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace twinsift {
namespace {

constexpr char kProcedure[] = "Exclusion List";

QPushButton* namedButton(const QString& caption, const char* name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    // Enter belongs to the extension box; no button takes it by default.
    button->setAutoDefault(false);
    return button;
}

QListWidget* checkList(const char* name, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    return list;
}

void appendItem(QListWidget& list, const ExclusionEntry& entry) {
    auto* item =
        new QListWidgetItem(withVisibleControls(QString::fromUtf8(
                                entry.text.data(), static_cast<qsizetype>(entry.text.size()))),
                            &list);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(entry.checked ? Qt::Checked : Qt::Unchecked);
}

// Keeps the check boxes of `widget` and the entries' checked states as one.
void followCheckBoxes(QListWidget& widget, std::vector<ExclusionEntry>& entries) {
    QObject::connect(&widget, &QListWidget::itemChanged, &widget, [&](QListWidgetItem* item) {
        const int row = widget.row(item);
        if (row >= 0 && static_cast<std::size_t>(row) < entries.size())
            entries[static_cast<std::size_t>(row)].checked = item->checkState() == Qt::Checked;
    });
}

// Removes the selected entry; nothing is removed when none is selected. The
// selection does not move on to the next entry, so a second press removes
// nothing more.
void removeSelected(QListWidget& widget, std::vector<ExclusionEntry>& entries) {
    const auto selected = widget.selectedItems();
    if (selected.isEmpty())
        return;
    const int row = widget.row(selected.first());
    if (row < 0 || static_cast<std::size_t>(row) >= entries.size())
        return;
    entries.erase(entries.begin() + row);
    delete widget.takeItem(row);
    widget.clearSelection();
}

} // namespace

ExcludeFrm::ExcludeFrm(ExclusionList& list, std::string filePath, UserInterface& ui,
                       QWidget* parent)
    : QDialog(parent), m_list(list), m_filePath(std::move(filePath)), m_ui(ui),
      m_lstExFolders(checkList("lstExFolders", this)),
      m_lstExExtension(checkList("lstExExtension", this)), m_txtAddExtension(new QLineEdit(this)),
      m_cmdRemoveExFolder(namedButton(QStringLiteral("Remove"), "cmdRemoveExFolder", this)),
      m_cmdRemoveExExtension(namedButton(QStringLiteral("Remove"), "cmdRemoveExExtension", this)) {
    setObjectName(QStringLiteral("ExcludeFrm"));
    setWindowTitle(QStringLiteral("Exclusion List"));

    auto* Frame2 = new QGroupBox(QStringLiteral("Exclude following folders from search"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    auto* cmdAddExFolder = namedButton(QStringLiteral("Add"), "cmdAddExFolder", Frame2);
    auto* folderButtons = new QVBoxLayout;
    folderButtons->addWidget(cmdAddExFolder);
    folderButtons->addWidget(m_cmdRemoveExFolder);
    folderButtons->addStretch();
    auto* folderLayout = new QHBoxLayout(Frame2);
    folderLayout->addWidget(m_lstExFolders, 1);
    folderLayout->addLayout(folderButtons);

    auto* Frame1 =
        new QGroupBox(QStringLiteral("Exclude following file extensions from search"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto* Label1 =
        new QLabel(QStringLiteral("Ignore these file extionsions from scanning"), Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    m_txtAddExtension->setObjectName(QStringLiteral("txtAddExtension"));
    auto* cmdAddExExtension = namedButton(QStringLiteral("Add"), "cmdAddExExtension", Frame1);
    auto* typing = new QHBoxLayout;
    typing->addWidget(m_txtAddExtension, 1);
    typing->addWidget(cmdAddExExtension);
    auto* extensionButtons = new QVBoxLayout;
    extensionButtons->addWidget(m_cmdRemoveExExtension);
    extensionButtons->addStretch();
    auto* extensionList = new QHBoxLayout;
    extensionList->addWidget(m_lstExExtension, 1);
    extensionList->addLayout(extensionButtons);
    auto* extensionLayout = new QVBoxLayout(Frame1);
    extensionLayout->addWidget(Label1);
    extensionLayout->addLayout(typing);
    extensionLayout->addLayout(extensionList, 1);

    auto* Label2 = new QLabel(
        QStringLiteral("You can temporarily remove a folder/extension by unchecking it, or remove "
                       "it altogether by selecting it and pressing the \"Remove\" button."),
        this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setWordWrap(true);
    auto* cmdOK = namedButton(QStringLiteral("OK"), "cmdOK", this);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Label2, 1);
    bottom->addWidget(cmdOK, 0, Qt::AlignBottom);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame2, 1);
    layout->addWidget(Frame1, 1);
    layout->addLayout(bottom);
    resize(460, 480);

    fillLists();
    followCheckBoxes(*m_lstExFolders, m_list.folders);
    followCheckBoxes(*m_lstExExtension, m_list.extensions);
    m_txtAddExtension->installEventFilter(this);
    connect(m_txtAddExtension, &QLineEdit::textEdited, this, &ExcludeFrm::keepExtensionCharacters);
    connect(cmdAddExFolder, &QPushButton::clicked, this, &ExcludeFrm::cmdAddExFolder_Click);
    connect(cmdAddExExtension, &QPushButton::clicked, this, &ExcludeFrm::cmdAddExExtension_Click);
    connect(m_cmdRemoveExFolder, &QPushButton::clicked, this, [this] {
        removeSelected(*m_lstExFolders, m_list.folders);
        updateRemoveButtons();
    });
    connect(m_cmdRemoveExExtension, &QPushButton::clicked, this, [this] {
        removeSelected(*m_lstExExtension, m_list.extensions);
        updateRemoveButtons();
    });
    connect(cmdOK, &QPushButton::clicked, this, &ExcludeFrm::cmdOK_Click);
}

bool ExcludeFrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_txtAddExtension && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            cmdAddExExtension_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ExcludeFrm::fillLists() {
    const QSignalBlocker folders(m_lstExFolders);
    const QSignalBlocker extensions(m_lstExExtension);
    m_lstExFolders->clear();
    m_lstExExtension->clear();
    for (const auto& entry : m_list.folders)
        appendItem(*m_lstExFolders, entry);
    for (const auto& entry : m_list.extensions)
        appendItem(*m_lstExExtension, entry);
    updateRemoveButtons();
}

void ExcludeFrm::updateRemoveButtons() {
    m_cmdRemoveExFolder->setEnabled(!m_list.folders.empty());
    m_cmdRemoveExExtension->setEnabled(!m_list.extensions.empty());
}

void ExcludeFrm::cmdAddExFolder_Click() {
    const std::string path = m_ui.browseFolder("Choose Folder to exclude", true);
    if (m_list.addFolder(path)) {
        const QSignalBlocker blocker(m_lstExFolders);
        appendItem(*m_lstExFolders, m_list.folders.back());
    }
    updateRemoveButtons();
}

void ExcludeFrm::cmdAddExExtension_Click() {
    if (m_list.addExtension(m_txtAddExtension->text().toStdString())) {
        const QSignalBlocker blocker(m_lstExExtension);
        appendItem(*m_lstExExtension, m_list.extensions.back());
        m_txtAddExtension->clear();
        m_txtAddExtension->setFocus();
    }
    updateRemoveButtons();
}

// Typing and pasting alike: whatever is not a letter A to Z or a digit is
// dropped, so the box never holds a "." or a blank. Editing keys still work.
void ExcludeFrm::keepExtensionCharacters() {
    const QString typed = m_txtAddExtension->text();
    QString kept;
    int cursor = m_txtAddExtension->cursorPosition();
    for (qsizetype i = 0; i < typed.size(); ++i) {
        const char32_t character = typed.at(i).unicode();
        if (isExtensionCharacter(character))
            kept += typed.at(i);
        else if (i < cursor)
            --cursor;
    }
    if (kept != typed) {
        m_txtAddExtension->setText(kept);
        m_txtAddExtension->setCursorPosition(cursor);
    }
}

void ExcludeFrm::cmdOK_Click() {
    Guard guard(m_ui, kProcedure);
    if (guard.step(2, [this] { m_list.save(m_filePath); }))
        accept();
}

void showExcludeFrm(KeptExclusionList& kept, UserInterface& ui, QWidget* parent) {
    const bool firstUse = !kept.isLoaded();
    Guard guard(ui, kProcedure);
    // A retried load reads the file afresh; an abandoned one shows what it read.
    guard.step(1, [&] {
        if (firstUse)
            kept.forget();
        kept.inUse();
    });
    ExcludeFrm dialog(kept.inUse(), kept.filePath(), ui, parent);
    CentreOnWorkArea(dialog);
    if (dialog.exec() != QDialog::Accepted)
        kept.forget();
}

} // namespace twinsift
