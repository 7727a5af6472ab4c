#include "app/main_frm.h"

#include "app/desktop_services.h"
#include "app/exclude_frm.h"
#include "app/folder_frm.h"
#include "app/image_list.h"
#include "app/named_lock.h"
#include "app/result_list_model.h"
#include "app/scan_dialogs.h"
#include "app/skipped_sign.h"
#include "app/tip_frm.h"
#include "commands/command_line_session.h"
#include "core/file_info.h"
#include "core/guard.h"
#include "core/runtime_error.h"
#include "core/window_commands.h"
#include "persist/parameters_file.h"
#include "platform/app_paths.h"
#include "platform/settings_store.h"
#include "platform/shell_services.h"
#include "platform/user_interface.h"
#include "scan/search_paths.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <utility>

namespace twinsift {
namespace {

QString qs(const char* text) {
    return QString::fromUtf8(text);
}
QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

// Windows of later commands that New Session and the viewer switch close.
void closeWindowNamed(const std::string& name) {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == QString::fromStdString(name))
            window->close();
}

// The menu commands that the scanning state disables together.
const char* const kScanDisabledMenus[] = {"MScan",        "MNewSession", "MSaveSession",
                                          "MLoadSession", "MExport",     "MClose"};
const char* const kScanDisabledMenuBars[] = {"MAction", "MHelp", "MnuFile"};

struct ToolbarButton {
    int index;
    const char* caption;
    const char* tip;
    int image;
};

const ToolbarButton kToolbarButtons[] = {
    {1, "Scan", "Click here to start your search", ImageList::Scan},
    {2, "Cancel", "Cancel current process", ImageList::Cancel},
    {4, "Mark", "Select the desire marking option for deletion/moving/copeing files",
     ImageList::Mark},
    {5, "Copy", "Click here to copy all marked files", ImageList::Copy},
    {6, "Move", "Click here to move all marked files", ImageList::Move},
    {7, "Delete", "Click here to delete all marked files", ImageList::Delete},
    {8, "Rename", "Click here to rename selected file", ImageList::Rename},
    {10, "Export", "Export the result to selected format", ImageList::Export},
    {11, "Viewer", "Show/Hide picture viewer", image::PreviewOn},
    {12, "Recycle", "Set the default deletion destination", image::DeleteToTrash},
};

const char* const kSearchListHeaders[] = {"Search Locations ", "Sub Folders", "File Type",
                                          "Min Size",          "Max Size",    "Min Date",
                                          "Max Date"};

} // namespace

MainFrm::MainFrm(MainFrmServices services, CommandLine commandLine, QWidget* parent)
    : QMainWindow(parent), m_services(std::move(services)), m_commandLine(std::move(commandLine)) {
    setObjectName(QStringLiteral("MainFrm"));
    setWindowTitle(qs(kWindowTitle));
    setMinimumSize(static_cast<int>(kMinimumWidthTwips / kTwipsPerPixel),
                   static_cast<int>(kMinimumHeightTwips / kTwipsPerPixel));
    m_model.changed = [this] {
        render();
        renderResults();
    };

    m_timer1 = new QTimer(this);
    m_timer1->setInterval(1000);
    connect(m_timer1, &QTimer::timeout, this, [this] {
        showElapsedTime(m_model);
        m_panels[4]->setText(qs(m_model.statusPanels[4].text));
    });
    m_timer2 = new QTimer(this);
    m_timer2->setInterval(500);
    m_timer2->setSingleShot(true);
    connect(m_timer2, &QTimer::timeout, this, &MainFrm::playEndSound);

    buildMenus();
    buildToolbar();
    buildCentralArea();
    buildStatusBar();
}

MainFrm::~MainFrm() = default;

QAction* MainFrm::addAction(QMenu* menu, const char* name, const char* caption,
                            const QKeySequence& shortcut) {
    QAction* action = menu->addAction(qs(caption));
    action->setObjectName(qs(name));
    action->setShortcut(shortcut);
    return action;
}

void MainFrm::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("MnuFile"));
    addAction(file, "MScan", "Scan", Qt::Key_F5);
    addAction(file, "MCancel", "Cancel", Qt::Key_F6)->setEnabled(false);
    file->addSeparator();
    addAction(file, "MNewSession", "New Session", QKeySequence(Qt::CTRL | Qt::Key_N));
    addAction(file, "MLoadSession", "Load Session", QKeySequence(Qt::CTRL | Qt::Key_L));
    addAction(file, "MSaveSession", "Save Session", QKeySequence(Qt::CTRL | Qt::Key_S));
    file->addSeparator();
    addAction(file, "MExport", "Export", QKeySequence(Qt::CTRL | Qt::Key_E));
    file->addSeparator();
    addAction(file, "MPicViewer", "Show Picture Viewer")->setCheckable(true);
    addAction(file, "MSendToRecycleBin", "Send to Recycle Bin")->setCheckable(true);
    file->addSeparator();
    addAction(file, "MClose", "Close", QKeySequence(Qt::CTRL | Qt::Key_X));

    m_actionMenu = menuBar()->addMenu(QStringLiteral("Action"));
    m_actionMenu->setObjectName(QStringLiteral("MAction"));
    QMenu* mark = m_actionMenu->addMenu(QStringLiteral("Mark Quick"));
    mark->setObjectName(QStringLiteral("MMark"));
    addAction(mark, "MNone", "None");
    addAction(mark, "minvert", "Invert Mark");
    mark->addSeparator();
    addAction(mark, "MMarkAll", "Mark All");
    addAction(mark, "mnuAdvMarking", "Advance Marking")->setVisible(false);
    addAction(mark, "MMarkAllDuplicates", "Mark All Duplicates",
              QKeySequence(Qt::CTRL | Qt::Key_D));
    mark->addSeparator();
    addAction(mark, "MMarkingSelected", "Mark Selected");
    addAction(mark, "mnuUnMarkSelected", "UnMark Selected");
    mark->addSeparator();
    addAction(mark, "MMarkFolder", "Mark Folder");
    addAction(mark, "mnuFolderAndSubFolder", "Mark Folder and Sub Folders");
    addAction(m_actionMenu, "mnuAdvMarkForm", "Advance Marking",
              QKeySequence(Qt::CTRL | Qt::Key_A));
    m_actionMenu->addSeparator();
    addAction(m_actionMenu, "MCopyMarkFiles", "Copy", QKeySequence(Qt::CTRL | Qt::Key_C));
    addAction(m_actionMenu, "MMoveSelected", "Move ", QKeySequence(Qt::CTRL | Qt::Key_M));
    addAction(m_actionMenu, "MDelete", "Delete", Qt::Key_Delete);
    addAction(m_actionMenu, "MRename", "Rename", QKeySequence(Qt::CTRL | Qt::Key_R));
    m_actionMenu->addSeparator();
    addAction(m_actionMenu, "mnuRemoveFromResult", "Remove from result list",
              QKeySequence(Qt::CTRL | Qt::Key_K));
    m_actionMenu->addSeparator();
    addAction(m_actionMenu, "MOpenFile", "Open File", QKeySequence(Qt::CTRL | Qt::Key_O));
    addAction(m_actionMenu, "MOpenFolder", "Open Folder", QKeySequence(Qt::CTRL | Qt::Key_F));
    addAction(m_actionMenu, "mnuOpenAllMarkFiles", "Open Mark Files",
              QKeySequence(Qt::CTRL | Qt::Key_J))
        ->setVisible(false);
    m_actionMenu->addSeparator();
    addAction(m_actionMenu, "MCopyPath", "Copy path to clipboard",
              QKeySequence(Qt::CTRL | Qt::Key_W));
    m_actionMenu->addSeparator();
    addAction(m_actionMenu, "MFileProperties", "File Properties",
              QKeySequence(Qt::CTRL | Qt::Key_P));

    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("MHelp"));
    addAction(help, "MHelpTopics", "Help Topics", Qt::Key_F1);
    addAction(help, "mnuTip", "Tip of the day", Qt::Key_F2);
    help->addSeparator();
    addAction(help, "mnuFaq", "FAQ");
    addAction(help, "mnuHelponline", "Help Online");

    connect(findChild<QAction*>(QStringLiteral("MNewSession")), &QAction::triggered, this,
            &MainFrm::newSession);
    connect(findChild<QAction*>(QStringLiteral("MClose")), &QAction::triggered, this,
            &QWidget::close);
    connect(findChild<QAction*>(QStringLiteral("MScan")), &QAction::triggered, this,
            &MainFrm::runScan);
    connect(findChild<QAction*>(QStringLiteral("MCancel")), &QAction::triggered, this,
            &MainFrm::cancelScan);
    auto* escape = new QShortcut(Qt::Key_Escape, this);
    connect(escape, &QShortcut::activated, this, &MainFrm::cancelScan);
    connect(findChild<QAction*>(QStringLiteral("MPicViewer")), &QAction::triggered, this,
            &MainFrm::togglePictureViewer);
    connect(findChild<QAction*>(QStringLiteral("MSendToRecycleBin")), &QAction::triggered, this,
            &MainFrm::toggleRecycleBin);
    connect(findChild<QAction*>(QStringLiteral("mnuTip")), &QAction::triggered, this,
            &MainFrm::showTips);
    connect(findChild<QAction*>(QStringLiteral("mnuFaq")), &QAction::triggered, this,
            [this] { openHelpPage("help/faq.html"); });
    connect(findChild<QAction*>(QStringLiteral("mnuHelponline")), &QAction::triggered, this,
            [this] { openHelpPage("help/index.html"); });
}

void MainFrm::buildToolbar() {
    QToolBar* toolbar = addToolBar(QStringLiteral("Toolbar"));
    toolbar->setObjectName(QStringLiteral("Toolbar1"));
    toolbar->setMovable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar->setIconSize(QSize(24, 24));
    for (const ToolbarButton& button : kToolbarButtons) {
        if (button.index == 4 || button.index == 10)
            m_toolbarButtons[static_cast<std::size_t>(button.index - 1)] = toolbar->addSeparator();
        QAction* action = toolbar->addAction(ImageList::icon(button.image), qs(button.caption));
        action->setObjectName(QStringLiteral("Toolbar1Button%1").arg(button.index));
        action->setToolTip(qs(button.tip));
        m_toolbarButtons[static_cast<std::size_t>(button.index)] = action;
    }
    m_toolbarButtons[2]->setEnabled(false);
    connect(m_toolbarButtons[1], &QAction::triggered, this, &MainFrm::runScan);
    connect(m_toolbarButtons[2], &QAction::triggered, this, &MainFrm::cancelScan);
    connect(m_toolbarButtons[11], &QAction::triggered, this, &MainFrm::togglePictureViewer);
    connect(m_toolbarButtons[12], &QAction::triggered, this, &MainFrm::toggleRecycleBin);
}

void MainFrm::buildCentralArea() {
    m_searchList = new QTreeWidget;
    m_searchList->setObjectName(QStringLiteral("SearchList"));
    m_searchList->setRootIsDecorated(false);
    m_searchList->setColumnCount(7);
    QStringList headers;
    for (const char* header : kSearchListHeaders)
        headers << qs(header);
    m_searchList->setHeaderLabels(headers);
    m_searchList->setColumnWidth(0, 260);
    connect(m_searchList, &QTreeWidget::itemSelectionChanged, this, &MainFrm::searchPathChosen);
    connect(m_searchList, &QTreeWidget::itemDoubleClicked, this, &MainFrm::editSearchPath);

    auto* cmdAdd = new QPushButton(ImageList::icon(ImageList::AddPath), QStringLiteral("Add..."));
    cmdAdd->setObjectName(QStringLiteral("cmdAdd"));
    cmdAdd->setToolTip(QStringLiteral("Click here to add search path"));
    auto* cmdRemove =
        new QPushButton(ImageList::icon(ImageList::RemovePath), QStringLiteral("Remove"));
    cmdRemove->setObjectName(QStringLiteral("cmdRemove"));
    cmdRemove->setToolTip(QStringLiteral("Click here to remove selected search path"));
    m_cmdRemove = cmdRemove;
    auto* cmdExclude =
        new QPushButton(ImageList::icon(ImageList::ExcludeList), QStringLiteral("Exclude..."));
    cmdExclude->setObjectName(QStringLiteral("cmdExclude"));
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {cmdAdd, cmdRemove, cmdExclude})
        buttons->addWidget(button);
    buttons->addStretch();
    connect(cmdAdd, &QPushButton::clicked, this, &MainFrm::addSearchPath);
    connect(cmdRemove, &QPushButton::clicked, this, &MainFrm::removeSearchPath);
    connect(cmdExclude, &QPushButton::clicked, this, &MainFrm::showExclusions);

    auto* frame1 = new QGroupBox(QStringLiteral("Search Engine"));
    frame1->setObjectName(QStringLiteral("Frame1"));
    auto* engineLayout = new QVBoxLayout(frame1);
    const char* const optionCaptions[] = {"Byte to Byte", "Cyclic Redundancy Check (CRC32)",
                                          "Same Name Files", "Zero Size Files "};
    for (int i = 0; i < 4; ++i) {
        auto* option = new QRadioButton(qs(optionCaptions[i]));
        option->setObjectName(QStringLiteral("Option%1").arg(i + 1));
        engineLayout->addWidget(option);
        m_options[static_cast<std::size_t>(i)] = option;
        connect(option, &QRadioButton::toggled, this, [this, i](bool checked) {
            if (!checked)
                return;
            selectEngine(m_model, static_cast<Engine>(i + 1));
            render();
        });
    }
    m_chkFuzzy = new QCheckBox(QStringLiteral("Use Fuzzy Logic"));
    m_chkFuzzy->setObjectName(QStringLiteral("chkFuzzy"));
    m_chkProtect = new QCheckBox(QStringLiteral("Protect Windows Folders"));
    m_chkProtect->setObjectName(QStringLiteral("chkProtect"));
    m_chkIncludeHidden = new QCheckBox(QStringLiteral("Include Hidden Folders and Files"));
    m_chkIncludeHidden->setObjectName(QStringLiteral("chkIncludeHidden"));
    const std::pair<QCheckBox*, Switch*> switches[] = {
        {m_chkFuzzy, &m_model.chkFuzzy},
        {m_chkProtect, &m_model.chkProtect},
        {m_chkIncludeHidden, &m_model.chkIncludeHidden}};
    for (const auto& [box, state] : switches)
        engineLayout->addWidget(box);
    connect(m_chkFuzzy, &QCheckBox::toggled, this, &MainFrm::fuzzyToggled);
    connect(m_chkProtect, &QCheckBox::toggled, this, &MainFrm::protectToggled);
    connect(m_chkIncludeHidden, &QCheckBox::toggled, this,
            [this](bool checked) { m_model.chkIncludeHidden.checked = checked; });

    auto* top = new QWidget;
    auto* topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addWidget(m_searchList, 1);
    topLayout->addLayout(buttons);
    topLayout->addWidget(frame1);

    m_results = new ResultListModel(m_model, this);
    m_rlv = new QTableView;
    m_rlv->setObjectName(QStringLiteral("RLV"));
    m_rlv->setModel(m_results);
    m_rlv->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_rlv->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_rlv->setShowGrid(false);
    m_rlv->setWordWrap(false);
    m_rlv->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_rlv->verticalHeader()->hide();
    // Fixed row heights keep a million rows as cheap as a hundred.
    m_rlv->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_rlv->verticalHeader()->setDefaultSectionSize(m_rlv->fontMetrics().height() + 6);
    QHeaderView* header = m_rlv->horizontalHeader();
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    const int widths[kResultColumnCount] = {220, 95, 125, 95, 55, 300, 0, 0, 0, 55};
    for (int column = 0; column < kResultColumnCount; ++column)
        header->resizeSection(column, widths[column]);
    for (int key : {ColSortSize, ColSortDate, ColSortGrpno})
        header->setSectionHidden(key, true);
    m_rlv->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_rlv, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        m_actionMenu->popup(m_rlv->viewport()->mapToGlobal(pos));
    });

    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(top);
    splitter->addWidget(m_rlv);
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);
    setCentralWidget(splitter);

    m_searchControls = {m_searchList, cmdAdd, cmdExclude, m_rlv};
    for (QRadioButton* option : m_options)
        m_searchControls.push_back(option);
}

void MainFrm::buildStatusBar() {
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    for (std::size_t i = 0; i < m_panels.size(); ++i) {
        auto* panel = new QLabel;
        panel->setTextFormat(Qt::PlainText); // paths of the files being scanned
        panel->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i + 1));
        panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        panel->setMinimumWidth(i == 0 ? 200 : 90);
        statusBar()->addWidget(panel, i == 0 ? 1 : 0);
        m_panels[i] = panel;
    }
    m_skippedSign = new SkippedSign(m_model.skipped);
    statusBar()->addPermanentWidget(m_skippedSign);
}

void MainFrm::render() {
    setWindowTitle(qs(m_model.caption));
    for (std::size_t i = 0; i < m_panels.size(); ++i) {
        m_panels[i]->setText(qs(m_model.statusPanels[i].text));
        m_panels[i]->setVisible(m_model.statusPanels[i].visible);
    }
    m_skippedSign->render();

    const QSignalBlocker blockSelection(m_searchList);
    m_searchList->clear();
    for (const SearchPathRow& row : m_model.SearchList) {
        auto* item = new QTreeWidgetItem(m_searchList);
        item->setText(0, qs(row.text));
        item->setIcon(0, ImageList::icon(row.icon));
        for (std::size_t i = 0; i < row.subItems.size(); ++i)
            item->setText(static_cast<int>(i) + 1, qs(row.subItems[i]));
    }
    if (m_model.selectedSearchPath >= 0 &&
        m_model.selectedSearchPath < m_searchList->topLevelItemCount())
        m_searchList->setCurrentItem(m_searchList->topLevelItem(m_model.selectedSearchPath));
    renderCommandStates();

    {
        QRadioButton* selected = m_options[static_cast<std::size_t>(m_model.engine) - 1];
        const QSignalBlocker block(selected);
        selected->setChecked(true);
    }
    const std::pair<QCheckBox*, const Switch*> switches[] = {
        {m_chkFuzzy, &m_model.chkFuzzy},
        {m_chkProtect, &m_model.chkProtect},
        {m_chkIncludeHidden, &m_model.chkIncludeHidden}};
    for (const auto& [box, state] : switches) {
        const QSignalBlocker block(box);
        box->setChecked(state->checked);
        box->setEnabled(state->enabled);
    }
    findChild<QAction*>(QStringLiteral("MMarkAll"))->setVisible(m_model.MMarkAllVisible);
    findChild<QAction*>(QStringLiteral("MMarkAllDuplicates"))
        ->setVisible(m_model.MMarkAllDuplicatesVisible);
    findChild<QAction*>(QStringLiteral("mnuAdvMarkForm"))
        ->setVisible(m_model.mnuAdvMarkFormVisible);

    m_toolbarButtons[11]->setIcon(
        ImageList::icon(m_model.pictureViewerOn() ? image::PreviewOn : image::PreviewOff));
    m_toolbarButtons[12]->setIcon(ImageList::icon(
        m_model.sendsToRecycleBin() ? image::DeleteToTrash : image::DeletePermanent));
    findChild<QAction*>(QStringLiteral("MPicViewer"))->setChecked(m_model.pictureViewerOn());
    findChild<QAction*>(QStringLiteral("MSendToRecycleBin"))
        ->setChecked(m_model.sendsToRecycleBin());
}

void MainFrm::renderCommandStates() {
    for (std::size_t i = 1; i < m_toolbarButtons.size(); ++i)
        if (m_toolbarButtons[i] && i != 2)
            m_toolbarButtons[i]->setEnabled(m_model.toolbarEnabled);
    m_toolbarButtons[2]->setEnabled(m_model.MCancelEnabled);
    findChild<QAction*>(QStringLiteral("MCancel"))->setEnabled(m_model.MCancelEnabled);
    for (const char* name : kScanDisabledMenus)
        findChild<QAction*>(qs(name))->setEnabled(m_model.menusEnabled);
    for (const char* name : kScanDisabledMenuBars)
        findChild<QMenu*>(qs(name))->menuAction()->setEnabled(m_model.menusEnabled);
    for (QWidget* control : m_searchControls)
        control->setEnabled(m_model.searchControlsEnabled);
    m_cmdRemove->setEnabled(m_model.cmdRemoveEnabled && !m_searchList->selectedItems().isEmpty());
    syncTimers();
}

void MainFrm::syncTimers() {
    if (m_model.Timer1Enabled != m_timer1->isActive())
        m_model.Timer1Enabled ? m_timer1->start() : m_timer1->stop();
    if (m_model.Timer2Enabled && !m_timer2->isActive())
        m_timer2->start();
}

void MainFrm::playEndSound() {
    m_model.Timer2Enabled = false;
    const std::string sound = findResource("end.wav");
    if (!sound.empty())
        m_services.sound.play(sound);
}

void MainFrm::renderResults() {
    m_results->reload();
    QHeaderView* header = m_rlv->horizontalHeader();
    header->setSortIndicatorShown(false);
    for (int column = 0; column < kResultColumnCount; ++column) {
        const SortIndicator indicator = m_model.sortIndicators[static_cast<std::size_t>(column)];
        if (indicator != SortIndicator::None) {
            header->setSortIndicator(column, indicator == SortIndicator::Ascending
                                                 ? Qt::AscendingOrder
                                                 : Qt::DescendingOrder);
            header->setSortIndicatorShown(true);
        }
    }
}

WindowGeometry MainFrm::geometryInTwips() const {
    const bool normal = !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized));
    const QRect frame = normal ? frameGeometry() : normalGeometry();
    const QSize size = normal ? this->size() : normalGeometry().size();
    return {frame.x() * kTwipsPerPixel, frame.y() * kTwipsPerPixel, size.width() * kTwipsPerPixel,
            size.height() * kTwipsPerPixel};
}

void MainFrm::setGeometryInTwips(const WindowGeometry& geometry) {
    // The screen the window was on, or the primary one when it is gone.
    const QScreen* screen = QGuiApplication::primaryScreen();
    for (const QScreen* candidate : QGuiApplication::screens()) {
        const QRect area = candidate->availableGeometry();
        if (geometry.left >= area.left() * kTwipsPerPixel &&
            geometry.left < (area.right() + 1) * kTwipsPerPixel &&
            geometry.top >= area.top() * kTwipsPerPixel &&
            geometry.top < (area.bottom() + 1) * kTwipsPerPixel)
            screen = candidate;
    }
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const WindowGeometry g =
        clampToWorkArea(geometry, {area.left() * kTwipsPerPixel, area.top() * kTwipsPerPixel,
                                   area.width() * kTwipsPerPixel, area.height() * kTwipsPerPixel});
    move(static_cast<int>(g.left / kTwipsPerPixel), static_cast<int>(g.top / kTwipsPerPixel));
    resize(static_cast<int>(g.width / kTwipsPerPixel), static_cast<int>(g.height / kTwipsPerPixel));
}

std::string MainFrm::defaultParametersPath() const {
    return m_defaultsWritable ? userDataFolder() + "default.tsf" : std::string();
}

void MainFrm::load() {
    QHeaderView* header = m_rlv->horizontalHeader();
    std::vector<UnreadableSetting> unreadable;
    Guard(m_services.ui, "Loading")
        .run({[this] {
                  if (vistaWarningWanted(m_services.osDescription, m_services.settings))
                      VistaWarning(m_services.settings, this).exec();
              },
              [header] {
                  header->moveSection(header->visualIndex(ColExt), 1);
                  header->moveSection(header->visualIndex(ColInFolder), 2);
              },
              [&] { applyStartupState(m_model, m_services.settings, unreadable); },
              [this] { m_tsMutex = std::make_unique<NamedLock>("TSMutex"); },
              [&] { setGeometryInTwips(savedWindowGeometry(m_services.settings, unreadable)); },
              [this] { m_model.helpFile = findResource("help/index.html"); }});
    if (!unreadable.empty())
        m_services.ui.messageBox(unreadableSettingsMessage(unreadable));
    // Apart from the steps above, so that abandoning one of them still reads the
    // user's search paths.
    Guard(m_services.ui, "Loading").run({[this] { loadDefaultParameters(); }});
    m_model.notifyChanged();
}

namespace {

// Moves a damaged file to the first free name "<path>.damaged", "-2", ...
// "-9", never over an earlier damaged copy, which may hold the only list of
// the user's search paths. The name taken, or nothing (errno says why).
std::optional<std::string> setAside(const std::string& path) {
    for (int attempt = 1; attempt <= 9; ++attempt) {
        std::string kept = path + ".damaged";
        if (attempt > 1)
            kept += "-" + std::to_string(attempt);
        if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, kept.c_str(), RENAME_NOREPLACE) == 0)
            return kept;
        if (errno != EEXIST)
            return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

void MainFrm::loadDefaultParameters() {
    // Written back at the close only once it was read whole, set aside or
    // found absent: a read abandoned half-way must not cost the rest.
    m_defaultsWritable = false;
    const std::string defaults = userDataFolder() + "default.tsf";
    if (!FileExists(defaults)) {
        m_defaultsWritable = true;
        return;
    }
    const ParametersFileOutcome outcome = readParametersFile(m_model, defaults, m_services.ui);
    if (outcome.stop == ParametersFileOutcome::None) {
        m_defaultsWritable = true;
        return;
    }
    // Whatever the read missed is still in the file: set it aside, so that the
    // next write of the defaults cannot take those search paths with it.
    std::string text = "The search paths in \"" + defaults + "\" could not all be read";
    if (outcome.line > 0)
        text += " (line " + std::to_string(outcome.line) + ")";
    if (const std::optional<std::string> kept = setAside(defaults)) {
        m_defaultsWritable = true;
        text += ". The file is kept as \"" + *kept +
                "\"; the search paths shown are those read "
                "before the damage.";
    } else {
        text += std::string(", and it could not be set aside: ") + std::strerror(errno) +
                ". Twinsift will not write it this time.";
    }
    m_services.ui.messageBox(
        {text, "Default Search Paths", MsgIcon::Exclamation, MsgButtons::OK, 1});
}

void MainFrm::showEvent(QShowEvent* event) {
    // Loading waits for the first show, so that whoever creates the window can
    // set the model's yield and the exclusion list first.
    if (!m_activated)
        load();
    QMainWindow::showEvent(event);
    if (!m_activated) {
        m_activated = true;
        // After the window has been drawn, so that what follows appears over it.
        QTimer::singleShot(0, this, &MainFrm::firstShow);
    }
}

void MainFrm::firstShow() {
    if (!m_commandLine.sessionPath.empty()) {
        const auto outcome = openCommandLineSession(m_model, m_commandLine.sessionPath,
                                                    m_services.ui, prepareScan());
        scanEnded(outcome);
        return;
    }
    if (showTipsAtStartup(m_services.settings))
        showTips();
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) {
        std::vector<UnreadableSetting> reportedAtLoad;
        setGeometryInTwips(savedWindowGeometry(m_services.settings, reportedAtLoad));
    }
}

void MainFrm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        m_model.minimised = isMinimized();
    if (event->type() == QEvent::WindowStateChange && !isMinimized()) {
        m_model.caption = kWindowTitle;
        setWindowTitle(qs(kWindowTitle));
    }
}

void MainFrm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (!isMinimized()) {
        m_model.caption = kWindowTitle;
        setWindowTitle(qs(kWindowTitle));
    }
}

void MainFrm::closeEvent(QCloseEvent* event) {
    if (m_model.scanning) {
        // The scan is inside a yield below us: stop it and close once it has unwound.
        stopScan(m_model);
        m_closeAfterScan = true;
        event->ignore();
        return;
    }
    unload();
    event->accept();
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window != this && window->isVisible())
            window->close();
}

void MainFrm::unload() {
    Guard(m_services.ui, "Unloading")
        .run({[this] { saveWindowGeometry(m_services.settings, geometryInTwips()); },
              [this] {
                  if (m_defaultsWritable)
                      SaveSearchParameters(m_model, defaultParametersPath());
              }});
}

ScanSettings MainFrm::prepareScan() {
    // The geometry goes with the default search paths, at every Scan as at Close.
    saveWindowGeometry(m_services.settings, geometryInTwips());
    closeWindowNamed("AdvMarkFrm");
    closeWindowNamed("FileInfoFrm");
    return {defaultParametersPath(), &m_exclusions.inUse()};
}

void MainFrm::runScan() {
    if (m_model.scanning)
        return;
    scanEnded(Scan(m_model, m_services.ui, prepareScan()));
}

void MainFrm::scanEnded(std::optional<ScanOutcome> outcome) {
    if (outcome == ScanOutcome::NoSearchPath)
        addSearchPath();
    m_model.notifyChanged();
    // A close asked for during the scan, and only that scan.
    if (std::exchange(m_closeAfterScan, false))
        QTimer::singleShot(0, this, &QWidget::close);
}

void MainFrm::cancelScan() {
    if (m_model.MCancelEnabled)
        CancelScan(m_model, m_services.ui);
}

void MainFrm::fuzzyToggled(bool checked) {
    m_model.chkFuzzy.checked = checked;
    if (!fuzzyNoteWanted(m_model))
        return;
    FuzzyFrm note(this);
    note.exec();
}

void MainFrm::protectToggled(bool checked) {
    m_model.chkProtect.checked = checked;
    protectionUnchecked(m_model, m_services.ui);
    const QSignalBlocker block(m_chkProtect);
    m_chkProtect->setChecked(m_model.chkProtect.checked);
}

void MainFrm::searchPathChosen() {
    // The selection, not the current item: the list makes its first row
    // current when it takes the focus, without the user choosing it.
    const QList<QTreeWidgetItem*> selected = m_searchList->selectedItems();
    m_model.selectedSearchPath =
        selected.isEmpty() ? -1 : m_searchList->indexOfTopLevelItem(selected.front());
    m_model.cmdRemoveEnabled = m_model.selectedSearchPath >= 0;
    m_cmdRemove->setEnabled(m_model.cmdRemoveEnabled);
}

void MainFrm::addSearchPath() {
    addFolders(m_model, m_services.settings, m_services.ui, this);
    render();
}

void MainFrm::editSearchPath() {
    editFolders(m_model, m_services.settings, m_services.ui, this);
    render();
}

void MainFrm::removeSearchPath() {
    if (m_searchList->selectedItems().isEmpty())
        return;
    removeSelectedSearchPath(m_model);
    render();
}

void MainFrm::showExclusions() {
    showExcludeFrm(m_exclusions, m_services.ui, this);
}

void MainFrm::newSession() {
    Guard(m_services.ui, "New Session").run({[this] {
        twinsift::newSession(m_model);
        closeWindowNamed("FileInfoFrm");
        closeWindowNamed("AdvMarkFrm");
        m_model.notifyChanged();
    }});
}

void MainFrm::showTips() {
    frmTip tips(m_services.settings, this);
    CentreOnWorkArea(tips);
    tips.exec();
}

void MainFrm::togglePictureViewer() {
    twinsift::togglePictureViewer(m_model, m_services.settings);
    if (!m_model.pictureViewerOn())
        closeWindowNamed("FileInfoFrm");
    render();
}

void MainFrm::toggleRecycleBin() {
    twinsift::toggleRecycleBin(m_model, m_services.settings, m_services.ui);
    render();
}

void MainFrm::openHelpPage(const char* page) {
    const std::string path = findResource(page);
    if (!path.empty())
        m_services.launcher.openDocument(path);
}

} // namespace twinsift
