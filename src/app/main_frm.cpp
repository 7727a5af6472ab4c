#include "app/main_frm.h"

#include "app/about_frm.h"
#include "app/adv_mark_frm.h"
#include "app/desktop_services.h"
#include "app/exclude_frm.h"
#include "app/export_frm.h"
#include "app/file_cm_frm.h"
#include "app/file_del_frm.h"
#include "app/file_info_frm.h"
#include "app/file_properties_frm.h"
#include "app/folder_frm.h"
#include "app/image_list.h"
#include "app/named_lock.h"
#include "app/result_list_model.h"
#include "app/result_list_view.h"
#include "app/save_frm.h"
#include "app/scan_dialogs.h"
#include "app/search_path_list.h"
#include "app/skipped_sign.h"
#include "app/tip_frm.h"
#include "app/visible_text.h"
#include "app/window_layout.h"
#include "commands/command_line_session.h"
#include "core/file_info.h"
#include "core/format.h"
#include "core/guard.h"
#include "core/runtime_error.h"
#include "core/window_commands.h"
#include "fileops/single_file.h"
#include "marking/quick_marks.h"
#include "persist/parameters_file.h"
#include "platform/app_paths.h"
#include "platform/settings_store.h"
#include "platform/shell_services.h"
#include "platform/user_interface.h"
#include "scan/search_paths.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QChildEvent>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolTip>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
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

// Where an action goes: a menu of the menu bar, the Mark Quick submenu or the toolbar.
enum class Place { MenuBar, File, Action, Mark, Help, Toolbar };
// A slot for every place, so that any entry may look its place up; the menu
// bar's and the toolbar's stay empty.
constexpr std::size_t kPlaces = static_cast<std::size_t>(Place::Toolbar) + 1;

// The states that the scanning state and the engine choice switch.
bool idle(const WindowModel& model) {
    return model.menusEnabled;
}
bool toolbarEnabled(const WindowModel& model) {
    return model.toolbarEnabled;
}
bool cancellable(const WindowModel& model) {
    return model.MCancelEnabled;
}
bool never(const WindowModel&) {
    return false;
}
bool markAllShown(const WindowModel& model) {
    return model.MMarkAllVisible;
}
bool markAllDuplicatesShown(const WindowModel& model) {
    return model.MMarkAllDuplicatesVisible;
}
bool advancedMarkingShown(const WindowModel& model) {
    return model.mnuAdvMarkFormVisible;
}
bool viewerOn(const WindowModel& model) {
    return model.pictureViewerOn();
}
bool toRecycleBin(const WindowModel& model) {
    return model.sendsToRecycleBin();
}
int viewerImage(const WindowModel& model) {
    return model.pictureViewerOn() ? image::PreviewOn : image::PreviewOff;
}
int recycleBinImage(const WindowModel& model) {
    return model.sendsToRecycleBin() ? image::DeleteToTrash : image::DeletePermanent;
}

const char* const kSearchListHeaders[] = {"Search Locations ", "Sub Folders", "File Type",
                                          "Min Size",          "Max Size",    "Min Date",
                                          "Max Date"};

} // namespace

struct MainFrm::ActionEntry {
    Place place;
    const char* name = nullptr; // none: a separator
    const char* caption = "";
    std::optional<Place> opens{}; // the menu that this entry is
    const char* shortcut = "";
    const char* tip = "";
    int icon = -1;
    void (MainFrm::*handler)() = nullptr;
    // A command of the core, run under the error report's guard; for those
    // that need the window's own widgets, `handler`.
    void (*command)(WindowModel&, UserInterface&) = nullptr;
    // Rules over the window model; none: enabled and visible, not checkable,
    // `icon` throughout.
    bool (*enabled)(const WindowModel&) = nullptr;
    bool (*visible)(const WindowModel&) = nullptr;
    bool (*checked)(const WindowModel&) = nullptr;
    int (*image)(const WindowModel&) = nullptr;
};

// Laid out by hand, an entry to a line or two, so that it reads as the menus do.
// clang-format off
const MainFrm::ActionEntry MainFrm::kActions[] = {
    {.place = Place::MenuBar, .name = "MnuFile", .caption = "File", .opens = Place::File},
    {.place = Place::File, .name = "MScan", .caption = "Scan", .shortcut = "F5",
     .handler = &MainFrm::runScan, .enabled = idle},
    {.place = Place::File, .name = "MCancel", .caption = "Cancel", .shortcut = "F6",
     .handler = &MainFrm::cancelScan, .enabled = cancellable},
    {.place = Place::File},
    {.place = Place::File, .name = "MNewSession", .caption = "New Session", .shortcut = "Ctrl+N",
     .handler = &MainFrm::newSession, .enabled = idle},
    {.place = Place::File, .name = "MLoadSession", .caption = "Load Session", .shortcut = "Ctrl+L",
     .handler = &MainFrm::loadSession, .enabled = idle},
    {.place = Place::File, .name = "MSaveSession", .caption = "Save Session", .shortcut = "Ctrl+S",
     .handler = &MainFrm::saveSession, .enabled = idle},
    {.place = Place::File},
    {.place = Place::File, .name = "MExport", .caption = "Export", .shortcut = "Ctrl+E",
     .handler = &MainFrm::showExportFrm, .enabled = idle},
    {.place = Place::File},
    {.place = Place::File, .name = "MPicViewer", .caption = "Show Picture Viewer",
     .handler = &MainFrm::togglePictureViewer, .enabled = idle, .checked = viewerOn},
    {.place = Place::File, .name = "MSendToRecycleBin", .caption = "Move to Trash",
     .handler = &MainFrm::toggleRecycleBin, .enabled = idle, .checked = toRecycleBin},
    {.place = Place::File},
    {.place = Place::File, .name = "MClose", .caption = "Close", .shortcut = "Ctrl+X; Ctrl+Q",
     .handler = &MainFrm::closeWindow, .enabled = idle},

    {.place = Place::MenuBar, .name = "MAction", .caption = "Action", .opens = Place::Action,
     .enabled = idle},
    {.place = Place::Action, .name = "MMark", .caption = "Mark Quick", .opens = Place::Mark},
    {.place = Place::Mark, .name = "MNone", .caption = "None",
     .command = [](WindowModel& m, UserInterface&) { markNone(m); }, .enabled = idle},
    {.place = Place::Mark, .name = "minvert", .caption = "Invert Mark",
     .command = [](WindowModel& m, UserInterface&) { invertMarks(m); }, .enabled = idle},
    {.place = Place::Mark},
    {.place = Place::Mark, .name = "MMarkAll", .caption = "Mark All",
     .command = [](WindowModel& m, UserInterface&) { markAll(m); }, .enabled = idle,
     .visible = markAllShown},
    {.place = Place::Mark, .name = "mnuAdvMarking", .caption = "Advance Marking",
     .handler = &MainFrm::showAdvMarking, .enabled = idle, .visible = never},
    {.place = Place::Mark, .name = "MMarkAllDuplicates", .caption = "Mark All Duplicates",
     .shortcut = "Ctrl+D", .command = markAllDuplicates, .enabled = idle,
     .visible = markAllDuplicatesShown},
    {.place = Place::Mark},
    {.place = Place::Mark, .name = "MMarkingSelected", .caption = "Mark Selected",
     .command = [](WindowModel& m, UserInterface&) { MMarkingSelected_Click(m); },
     .enabled = idle},
    {.place = Place::Mark, .name = "mnuUnMarkSelected", .caption = "UnMark Selected",
     .command = [](WindowModel& m, UserInterface&) { mnuUnMarkSelected_Click(m); },
     .enabled = idle},
    {.place = Place::Mark},
    {.place = Place::Mark, .name = "MMarkFolder", .caption = "Mark Folder",
     .command = [](WindowModel& m, UserInterface&) { markFolder(m, false); }, .enabled = idle},
    {.place = Place::Mark, .name = "mnuFolderAndSubFolder",
     .caption = "Mark Folder and Sub Folders",
     .command = [](WindowModel& m, UserInterface&) { markFolder(m, true); }, .enabled = idle},
    {.place = Place::Action, .name = "mnuAdvMarkForm", .caption = "Advance Marking",
     .shortcut = "Ctrl+A", .handler = &MainFrm::showAdvMarking, .enabled = idle,
     .visible = advancedMarkingShown},
    {.place = Place::Action}, // MarkSep2
    {.place = Place::Action, .name = "MCopyMarkFiles", .caption = "Copy", .shortcut = "Ctrl+C",
     .handler = &MainFrm::copyMarked},
    {.place = Place::Action, .name = "MMoveSelected", .caption = "Move ", .shortcut = "Ctrl+M",
     .handler = &MainFrm::moveMarked},
    {.place = Place::Action, .name = "MDelete", .caption = "Delete", .shortcut = "Del",
     .handler = &MainFrm::deleteMarked},
    {.place = Place::Action, .name = "MRename", .caption = "Rename", .shortcut = "Ctrl+R",
     .handler = &MainFrm::renameFile},
    {.place = Place::Action},
    {.place = Place::Action, .name = "mnuRemoveFromResult", .caption = "Remove from result list",
     .shortcut = "Ctrl+K", .command = removeMarkedFromResult, .enabled = idle},
    {.place = Place::Action},
    {.place = Place::Action, .name = "MOpenFile", .caption = "Open File", .shortcut = "Ctrl+O",
     .handler = &MainFrm::openFile},
    {.place = Place::Action, .name = "MOpenFolder", .caption = "Open Folder", .shortcut = "Ctrl+F",
     .handler = &MainFrm::openFolder},
    {.place = Place::Action, .name = "mnuOpenAllMarkFiles", .caption = "Open Mark Files",
     .shortcut = "Ctrl+J", .handler = &MainFrm::openMarkFiles, .visible = never},
    {.place = Place::Action},
    {.place = Place::Action, .name = "MCopyPath", .caption = "Copy path to clipboard",
     .shortcut = "Ctrl+W", .handler = &MainFrm::copyPath},
    {.place = Place::Action},
    {.place = Place::Action, .name = "MFileProperties", .caption = "File Properties",
     .shortcut = "Ctrl+P", .handler = &MainFrm::showFileProperties},

    {.place = Place::MenuBar, .name = "MHelp", .caption = "Help", .opens = Place::Help,
     .enabled = idle},
    {.place = Place::Help, .name = "MHelpTopics", .caption = "Help Topics", .shortcut = "F1",
     .handler = &MainFrm::showHelpTopics},
    {.place = Place::Help, .name = "mnuTip", .caption = "Tip of the day", .shortcut = "F2",
     .handler = &MainFrm::showTips},
    {.place = Place::Help},
    {.place = Place::Help, .name = "mnuFaq", .caption = "FAQ", .handler = &MainFrm::openFaq},
    {.place = Place::Help, .name = "mnuHelponline", .caption = "Help Online",
     .handler = &MainFrm::openOnlineHelp},
    {.place = Place::Help},
    {.place = Place::Help, .name = "mnuAbout", .caption = "About Twinsift",
     .handler = &MainFrm::showAbout},

    {.place = Place::Toolbar, .name = "Toolbar1Button1", .caption = "Scan",
     .tip = "Click here to start your search", .icon = ImageList::Scan,
     .handler = &MainFrm::runScan, .enabled = toolbarEnabled},
    {.place = Place::Toolbar, .name = "Toolbar1Button2", .caption = "Cancel",
     .tip = "Cancel current process", .icon = ImageList::Cancel, .handler = &MainFrm::cancelScan,
     .enabled = cancellable},
    {.place = Place::Toolbar},
    {.place = Place::Toolbar, .name = "Toolbar1Button4", .caption = "Mark",
     .tip = "Select the desire marking option for deletion/moving/copeing files",
     .icon = ImageList::Mark, .handler = &MainFrm::popUpMarkMenu, .enabled = toolbarEnabled},
    {.place = Place::Toolbar, .name = "Toolbar1Button5", .caption = "Copy",
     .tip = "Click here to copy all marked files", .icon = ImageList::Copy,
     .handler = &MainFrm::copyMarked, .enabled = toolbarEnabled},
    {.place = Place::Toolbar, .name = "Toolbar1Button6", .caption = "Move",
     .tip = "Click here to move all marked files", .icon = ImageList::Move,
     .handler = &MainFrm::moveMarked, .enabled = toolbarEnabled},
    {.place = Place::Toolbar, .name = "Toolbar1Button7", .caption = "Delete",
     .tip = "Click here to delete all marked files", .icon = ImageList::Delete,
     .handler = &MainFrm::deleteMarked, .enabled = toolbarEnabled},
    {.place = Place::Toolbar, .name = "Toolbar1Button8", .caption = "Rename",
     .tip = "Click here to rename selected file", .icon = ImageList::Rename,
     .handler = &MainFrm::renameFile, .enabled = toolbarEnabled},
    {.place = Place::Toolbar},
    {.place = Place::Toolbar, .name = "Toolbar1Button10", .caption = "Export",
     .tip = "Export the result to selected format", .icon = ImageList::Export,
     .handler = &MainFrm::showExportFrm, .enabled = toolbarEnabled},
    {.place = Place::Toolbar, .name = "Toolbar1Button11", .caption = "Viewer",
     .tip = "Show/Hide picture viewer", .handler = &MainFrm::togglePictureViewer,
     .enabled = toolbarEnabled, .image = viewerImage},
    {.place = Place::Toolbar, .name = "Toolbar1Button12", .caption = "Trash",
     .tip = "Set the default deletion destination", .handler = &MainFrm::toggleRecycleBin,
     .enabled = toolbarEnabled, .image = recycleBinImage},
};
// clang-format on

MainFrm::MainFrm(MainFrmServices services, CommandLine commandLine, QWidget* parent)
    : QMainWindow(parent), m_services(std::move(services)), m_commandLine(std::move(commandLine)) {
    setObjectName(QStringLiteral("MainFrm"));
    setWindowTitle(qs(kWindowTitle));
    setMinimumSize(static_cast<int>(kMinimumWidthTwips / kTwipsPerPixel),
                   static_cast<int>(kMinimumHeightTwips / kTwipsPerPixel));
    m_model.listener = this;

    m_timer1 = new QTimer(this);
    m_timer1->setInterval(1000);
    connect(m_timer1, &QTimer::timeout, this, [this] {
        showElapsedTime(m_model);
        m_panels[PanelElapsed]->setText(qs(m_model.statusPanels[PanelElapsed].text));
    });
    m_timer2 = new QTimer(this);
    m_timer2->setInterval(500);
    m_timer2->setSingleShot(true);
    connect(m_timer2, &QTimer::timeout, this, &MainFrm::playEndSound);

    buildActions();
    buildCentralArea();
    buildStatusBar();
    arrangeKeyboardAccess();
    renderActions();
}

MainFrm::~MainFrm() = default;

void MainFrm::buildActions() {
    QToolBar* toolbar = addToolBar(QStringLiteral("Toolbar"));
    toolbar->setObjectName(QStringLiteral("Toolbar1"));
    toolbar->setMovable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar->setIconSize(QSize(24, 24));
    std::array<QMenu*, kPlaces> menus{};
    for (const ActionEntry& entry : kActions) {
        QMenu* menu = menus[static_cast<std::size_t>(entry.place)];
        QAction* action = nullptr;
        if (entry.opens) {
            // Alt and the first letter open a menu of the menu bar.
            QMenu* opened = entry.place == Place::MenuBar
                                ? menuBar()->addMenu(QLatin1Char('&') + qs(entry.caption))
                                : menu->addMenu(qs(entry.caption));
            opened->setObjectName(qs(entry.name));
            menus[static_cast<std::size_t>(*entry.opens)] = opened;
            action = opened->menuAction();
        } else if (!entry.name) {
            action = entry.place == Place::Toolbar ? toolbar->addSeparator() : menu->addSeparator();
        } else {
            action = new QAction(ImageList::icon(entry.icon), qs(entry.caption), this);
            action->setObjectName(qs(entry.name));
            // The first key is the one the menu shows.
            action->setShortcuts(QKeySequence::listFromString(qs(entry.shortcut)));
            action->setToolTip(qs(entry.tip));
            action->setCheckable(entry.checked != nullptr);
            if (entry.handler)
                connect(action, &QAction::triggered, this, entry.handler);
            if (entry.command)
                connect(action, &QAction::triggered, this, [this, &entry] {
                    Guard(m_services.ui, entry.caption).run({[this, &entry] {
                        entry.command(m_model, m_services.ui);
                    }});
                });
            if (entry.place == Place::Toolbar)
                toolbar->addAction(action);
            else
                menu->addAction(action);
        }
        m_actions.push_back(action);
    }
    m_actionMenu = menus[static_cast<std::size_t>(Place::Action)];
    m_markMenu = menus[static_cast<std::size_t>(Place::Mark)];
    auto* escape = new QShortcut(Qt::Key_Escape, this);
    connect(escape, &QShortcut::activated, this, &MainFrm::cancelScan);
}

void MainFrm::buildCentralArea() {
    auto* searchList = new SearchPathList;
    connect(searchList, &SearchPathList::foldersDropped, this,
            [this](const std::vector<std::string>& folders) {
                addDroppedFolders(m_model, m_services.settings, m_services.ui, folders);
            });
    m_searchList = searchList;
    m_searchList->setRootIsDecorated(false);
    m_searchList->setColumnCount(7);
    QStringList headers;
    for (const char* header : kSearchListHeaders)
        headers << qs(header);
    m_searchList->setHeaderLabels(headers);
    m_searchList->setColumnWidth(0, 260);
    connect(m_searchList, &QTreeWidget::itemSelectionChanged, this, &MainFrm::searchPathChosen);
    connect(m_searchList, &QTreeWidget::itemDoubleClicked, this, &MainFrm::editSearchPath);

    auto* cmdAdd = new QPushButton(ImageList::icon(ImageList::AddPath), QStringLiteral("A&dd..."));
    cmdAdd->setObjectName(QStringLiteral("cmdAdd"));
    cmdAdd->setToolTip(QStringLiteral("Click here to add search path"));
    auto* cmdRemove =
        new QPushButton(ImageList::icon(ImageList::RemovePath), QStringLiteral("&Remove"));
    cmdRemove->setObjectName(QStringLiteral("cmdRemove"));
    cmdRemove->setToolTip(QStringLiteral("Click here to remove selected search path"));
    m_cmdRemove = cmdRemove;
    auto* cmdExclude =
        new QPushButton(ImageList::icon(ImageList::ExcludeList), QStringLiteral("E&xclude..."));
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
    const char* const optionCaptions[] = {"&Byte to Byte", "C&yclic Redundancy Check (CRC32)",
                                          "Sa&me Name Files", "&Zero Size Files "};
    for (int i = 0; i < 4; ++i) {
        auto* option = new QRadioButton(qs(optionCaptions[i]));
        option->setObjectName(QStringLiteral("Option%1").arg(i + 1));
        engineLayout->addWidget(option);
        m_options[static_cast<std::size_t>(i)] = option;
        connect(option, &QRadioButton::toggled, this, [this, i](bool checked) {
            if (!checked)
                return;
            selectEngine(m_model, static_cast<Engine>(i + 1));
            m_model.notices().statusChanged();
        });
    }
    m_chkFuzzy = new QCheckBox(QStringLiteral("Use F&uzzy Logic"));
    m_chkFuzzy->setObjectName(QStringLiteral("chkFuzzy"));
    m_chkProtect = new QCheckBox(QStringLiteral("&Protect System Folders"));
    m_chkProtect->setObjectName(QStringLiteral("chkProtect"));
    m_chkIncludeHidden = new QCheckBox(QStringLiteral("&Include Hidden Folders and Files"));
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

    m_rlv = new ResultListView(m_model, m_services.ui, m_services.launcher, m_actionMenu);
    connect(m_rlv, &ResultListView::previewWanted, this, &MainFrm::previewPicture);

    m_splitter = new QSplitter(Qt::Vertical);
    m_splitter->addWidget(top);
    m_splitter->addWidget(m_rlv);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setChildrenCollapsible(false);
    setCentralWidget(m_splitter);

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
        if (i == PanelProgress) {
            m_progressBar = new QProgressBar;
            m_progressBar->setObjectName(QStringLiteral("StatusProgress"));
            m_progressBar->setTextVisible(false);
            m_progressBar->setFixedWidth(120);
            m_progressBar->hide();
            statusBar()->addWidget(m_progressBar);
        }
    }
    m_panels[PanelProgress]->installEventFilter(this);
    m_skippedSign = new SkippedSign(m_model.skipped);
    statusBar()->addPermanentWidget(m_skippedSign);
}

void MainFrm::arrangeKeyboardAccess() {
    m_searchList->setAccessibleName(QStringLiteral("Search Locations"));
    m_rlv->setAccessibleName(QStringLiteral("Result List"));
    m_skippedSign->setAccessibleName(QStringLiteral("Left out of the search"));
    // Top to bottom, left to right, as the controls are laid out.
    std::vector<QWidget*> order{m_searchList};
    for (const char* name : {"cmdAdd", "cmdRemove", "cmdExclude"})
        order.push_back(findChild<QAbstractButton*>(QString::fromLatin1(name)));
    order.insert(order.end(), m_options.begin(), m_options.end());
    order.insert(order.end(), {m_chkFuzzy, m_chkProtect, m_chkIncludeHidden, m_rlv});
    for (QWidget* control : order)
        if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            QString caption = button->text();
            button->setAccessibleName(
                caption.remove(QLatin1Char('&')).remove(QStringLiteral("...")).trimmed());
            button->setAccessibleDescription(button->toolTip());
        }
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void MainFrm::statusChanged() {
    setWindowTitle(withVisibleControls(qs(m_model.caption)));
    for (std::size_t i = 0; i < m_panels.size(); ++i) {
        m_panels[i]->setText(withVisibleControls(qs(m_model.statusPanels[i].text)));
        m_panels[i]->setVisible(m_model.statusPanels[i].visible);
    }
    m_skippedSign->render();
    renderActions();
    for (QWidget* control : m_searchControls)
        control->setEnabled(m_model.searchControlsEnabled);
    renderRemoveButton();
    syncTimers();

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
    m_rlv->renderSortIndicators();
    renderProgress();
}

namespace {

// The bar's value and maximum for `progress`; 0 of 0 is the busy bar.
std::pair<int, int> barSteps(const WorkProgress& progress) {
    if (progress.total <= 0)
        return {0, 0};
    // Scaled into the bar's int range as the counts of a huge run may not fit.
    constexpr int kSteps = 10000;
    const double done = static_cast<double>(std::min(progress.done, progress.total));
    return {static_cast<int>(done / static_cast<double>(progress.total) * kSteps), kSteps};
}

} // namespace

const QProgressBar* MainFrm::runningDialogBar() const {
    for (const QDialog* dialog : findChildren<QDialog*>(Qt::FindDirectChildrenOnly)) {
        if (!dialog->isVisible())
            continue;
        for (const QProgressBar* bar : dialog->findChildren<QProgressBar*>())
            if (bar->value() > bar->minimum() && bar->value() < bar->maximum())
                return bar;
    }
    return nullptr;
}

void MainFrm::renderProgress() {
    std::optional<std::pair<int, int>> shown; // value and maximum; 0 of 0: busy
    if (const QProgressBar* running = runningDialogBar())
        shown = {running->value() - running->minimum(), running->maximum() - running->minimum()};
    else if (m_model.scanning)
        shown = barSteps(m_model.progress);
    m_progressBar->setVisible(shown.has_value());
    if (shown) {
        m_progressBar->setRange(0, shown->second);
        m_progressBar->setValue(shown->first);
    }
}

void MainFrm::childEvent(QChildEvent* event) {
    QMainWindow::childEvent(event);
    // Polished as it is first shown, when its controls are all there: a
    // file operation, an export or a session file shows its progress in the
    // status bar too.
    auto* dialog = qobject_cast<QDialog*>(event->child());
    if (event->type() != QEvent::ChildPolished || !dialog)
        return;
    for (QProgressBar* bar : dialog->findChildren<QProgressBar*>())
        connect(bar, &QProgressBar::valueChanged, this, &MainFrm::renderProgress,
                Qt::UniqueConnection);
    connect(dialog, &QDialog::finished, this, &MainFrm::renderProgress, Qt::UniqueConnection);
}

void MainFrm::searchPathsChanged() {
    const QSignalBlocker blockSelection(m_searchList);
    m_searchList->clear();
    for (const SearchPathRow& row : m_model.SearchList) {
        auto* item = new QTreeWidgetItem(m_searchList);
        item->setText(0, withVisibleControls(qs(row.text)));
        item->setIcon(0, ImageList::icon(row.icon));
        for (std::size_t i = 0; i < row.subItems.size(); ++i)
            item->setText(static_cast<int>(i) + 1, withVisibleControls(qs(row.subItems[i])));
    }
    if (m_model.selectedSearchPath >= 0 &&
        m_model.selectedSearchPath < m_searchList->topLevelItemCount())
        m_searchList->setCurrentItem(m_searchList->topLevelItem(m_model.selectedSearchPath));
    renderRemoveButton();
}

void MainFrm::rowsChanged(RowRange rows) {
    m_rlv->results().rowsChanged(rows);
}

void MainFrm::rowsInserted(RowRange rows) {
    m_rlv->results().rowsInserted(rows);
}

void MainFrm::rowsRemoved(const std::vector<RowRange>& removed) {
    m_rlv->results().rowsRemoved(removed);
}

void MainFrm::rowsReordered(const std::vector<std::size_t>& formerRow) {
    m_rlv->results().rowsReordered(formerRow);
}

void MainFrm::listReplaced() {
    m_rlv->results().listReplaced();
}

void MainFrm::renderActions() {
    for (std::size_t i = 0; i < m_actions.size(); ++i) {
        const ActionEntry& entry = kActions[i];
        QAction* action = m_actions[i];
        if (entry.enabled)
            action->setEnabled(entry.enabled(m_model));
        if (entry.visible)
            action->setVisible(entry.visible(m_model));
        if (entry.checked)
            action->setChecked(entry.checked(m_model));
        if (entry.image)
            action->setIcon(ImageList::icon(entry.image(m_model)));
    }
}

void MainFrm::renderRemoveButton() {
    m_cmdRemove->setEnabled(m_model.cmdRemoveEnabled && !m_searchList->selectedItems().isEmpty());
}

void MainFrm::syncTimers() {
    if (m_model.Timer1Enabled != m_timer1->isActive())
        m_model.Timer1Enabled ? m_timer1->start() : m_timer1->stop();
    if (m_model.Timer2Enabled && !m_timer2->isActive())
        m_timer2->start();
}

void MainFrm::startEndSound() {
    m_model.Timer2Enabled = true;
    syncTimers();
}

void MainFrm::playEndSound() {
    m_model.Timer2Enabled = false;
    const std::string sound = findResource("end.wav");
    if (!sound.empty())
        m_services.sound.play(sound);
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
    std::vector<UnreadableSetting> unreadable;
    Guard(m_services.ui, "Loading")
        .run({[this] {
                  if (vistaWarningWanted(m_services.osDescription, m_services.settings))
                      VistaWarning(m_services.settings, this).exec();
              },
              [this] {
                  m_rlv->arrangeColumns();
                  restoreWindowLayout(m_services.settings, *m_rlv->horizontalHeader(), *m_splitter);
                  m_rlv->columnsRestored();
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
    // The idle hint from the very first start, not only after a New Session.
    m_model.statusPanels[PanelProgress].text = status_text::NewSessionHint;
    m_model.notices().statusChanged();
    m_model.notices().searchPathsChanged();
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
    // Placed again now that the window has its frame, before the tip: once
    // the tip is closed the window stays where it is, also where the user
    // moved it meanwhile.
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) {
        std::vector<UnreadableSetting> reportedAtLoad;
        setGeometryInTwips(savedWindowGeometry(m_services.settings, reportedAtLoad));
    }
    if (showTipsAtStartup(m_services.settings))
        showTips();
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
              },
              [this] {
                  saveWindowLayout(m_services.settings, *m_rlv->horizontalHeader(), *m_splitter);
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
    // A session opened from the command line brings its own search paths.
    m_model.notices().statusChanged();
    m_model.notices().searchPathsChanged();
    // A close asked for during the scan, and only that scan.
    if (std::exchange(m_closeAfterScan, false))
        QTimer::singleShot(0, this, &QWidget::close);
}

void MainFrm::cancelScan() {
    if (m_model.MCancelEnabled)
        CancelScan(m_model, m_services.ui);
}

void MainFrm::closeWindow() {
    close();
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
}

void MainFrm::editSearchPath() {
    editFolders(m_model, m_services.settings, m_services.ui, this);
}

void MainFrm::removeSearchPath() {
    if (m_searchList->selectedItems().isEmpty())
        return;
    removeSelectedSearchPath(m_model);
    m_model.notices().searchPathsChanged();
}

void MainFrm::showExclusions() {
    showExcludeFrm(m_exclusions, m_services.ui, this);
}

void MainFrm::showAdvMarking() {
    if (!m_advMarkFrm)
        m_advMarkFrm = new AdvMarkFrm(m_model, m_services.settings, m_services.ui, this);
    CentreOnWorkArea(*m_advMarkFrm);
    m_advMarkFrm->exec();
}

void MainFrm::showExportFrm() {
    Guard(m_services.ui, "Export").run({[this] {
        frmExport wizard(
            m_model,
            {m_services.settings, m_services.ui, m_services.launcher, [this] { startEndSound(); }},
            this);
        CentreOnWorkArea(wizard);
        wizard.exec();
    }});
}

void MainFrm::popUpMarkMenu() {
    if (m_model.rows.empty()) {
        m_services.ui.messageBox(
            {"No items marked/checked", "Error", MsgIcon::None, MsgButtons::OK, 1});
        return;
    }
    const QWidget* button = findChild<QToolBar*>(QStringLiteral("Toolbar1"))
                                ->widgetForAction(findChild<QAction*>("Toolbar1Button4"));
    m_markMenu->popup(button->mapToGlobal(QPoint(0, button->height())));
}

bool MainFrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_panels[PanelProgress] || event->type() != QEvent::ToolTip)
        return QMainWindow::eventFilter(watched, event);
    showFreedSpace(static_cast<QHelpEvent*>(event)->globalPos());
    return true;
}

// Counted when asked for, so that a mark-box click on a long list pays for
// one count only.
void MainFrm::showFreedSpace(QPoint where) {
    const MarkedTotals totals = countMarked(m_model);
    if (totals.count == 0) {
        QToolTip::hideText();
        return;
    }
    // Up to: a file with other hard links keeps its space.
    std::string tip = "Deleting the marked files would free up to " + SizeText(totals.bytes);
    if (m_model.sendsToRecycleBin())
        tip += " once the Trash is emptied";
    QToolTip::showText(where, qs(tip + "."), m_panels[PanelProgress]);
}

void MainFrm::newSession() {
    Guard(m_services.ui, "New Session").run({[this] {
        twinsift::newSession(m_model);
        closeWindowNamed("FileInfoFrm");
        closeWindowNamed("AdvMarkFrm");
    }});
}

void MainFrm::saveSession() {
    Guard(m_services.ui, "Save Session").run({[this] { showSaveFrm("Save", nullptr); }});
}

void MainFrm::loadSession() {
    Guard guard(m_services.ui, "Load Session");
    ExclusionList* exclusions = nullptr;
    if (!guard.step(1, [&] { exclusions = &m_exclusions.inUse(); }))
        return;
    const std::size_t excludedBefore = exclusions->folders.size();
    bool loaded = false;
    guard.step(2, [&] { loaded = showSaveFrm("Open", exclusions); });
    if (!loaded)
        return;
    // Kept only in memory they would be gone with the next start.
    if (exclusions->folders.size() > excludedBefore)
        guard.step(3, [&] { exclusions->save(m_exclusions.filePath()); });
    scanEnded(std::nullopt);
    if (!m_model.rows.empty())
        m_rlv->setFocus();
}

bool MainFrm::showSaveFrm(const std::string& mode, ExclusionList* exclusions) {
    // The windows that show rows would show the old ones while the load yields.
    const auto closeRowWindows = [] {
        closeWindowNamed("FileInfoFrm");
        closeWindowNamed("AdvMarkFrm");
    };
    SaveFrm dialog(mode, m_model,
                   {m_services.settings, m_services.ui, [this] { startEndSound(); }, exclusions,
                    closeRowWindows},
                   this);
    CentreOnWorkArea(dialog);
    dialog.exec();
    return dialog.ran();
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
    m_model.notices().statusChanged();
}

void MainFrm::toggleRecycleBin() {
    twinsift::toggleRecycleBin(m_model, m_services.settings, m_services.ui);
    m_model.notices().statusChanged();
}

void MainFrm::openFaq() {
    openHelpPage("help/faq.html");
}

void MainFrm::openOnlineHelp() {
    openHelpPage("help/index.html");
}

void MainFrm::openHelpPage(const char* page) {
    const std::string path = findResource(page);
    if (path.empty())
        m_services.ui.messageBox({"The help file \"" + std::string(page) + "\" was not found.",
                                  "Error", MsgIcon::None, MsgButtons::OK, 1});
    else if (!m_services.launcher.openDocument(path))
        tellNoAssociatedProgram(m_services.ui);
}

void MainFrm::showAbout() {
    Guard(m_services.ui, "About").run({[this] {
        AboutFrm about(userDataFolder(),
                       QSettings(QStringLiteral("Twinsift"), QStringLiteral("Twinsift")).fileName(),
                       this);
        about.exec();
    }});
}

void MainFrm::deleteMarked() {
    fileOperation(FileOpMode::Delete);
}

void MainFrm::moveMarked() {
    fileOperation(FileOpMode::Move);
}

void MainFrm::copyMarked() {
    fileOperation(FileOpMode::Copy);
}

void MainFrm::fileOperation(FileOpMode mode) {
    const bool copying = mode == FileOpMode::Copy;
    UserInterface& ui = m_services.ui;
    Guard guard(ui, copying ? "Copy Files" : "Delete/Move Files");
    std::optional<MarkedTotals> totals;
    const auto begin = [&] {
        totals = copying ? beginCopy(m_model, ui) : beginDeleteOrMove(m_model, ui);
    };
    if (!guard.step(1, begin) || !totals)
        return;
    std::string destination;
    if (mode != FileOpMode::Delete) {
        destination = ui.browseFolder(destinationPrompt(mode), false);
        if (destination.empty())
            return;
    }
    bool ran = false;
    if (!guard.step(2, [&] { ran = showFileOpFrm(mode, destination, totals->count); }) || !ran ||
        copying)
        return;
    guard.step(3, [&] { updateListAfterFileOperation(m_model, ui); });
}

bool MainFrm::showFileOpFrm(FileOpMode mode, const std::string& destination, std::int64_t count) {
    FileOpServices services{m_services.shell, m_services.ui, m_services.launcher,
                            [this] { startEndSound(); }};
    std::unique_ptr<FileOpFrm> dialog;
    if (mode == FileOpMode::Delete)
        dialog = std::make_unique<fileDelFrm>(m_model, std::move(services), this);
    else
        dialog = std::make_unique<FileCMFrm>(mode, destination, m_model, std::move(services), this);
    dialog->setMarkedCount(count);
    CentreOnWorkArea(*dialog);
    dialog->exec();
    return !dialog->NothingDone();
}

void MainFrm::renameFile() {
    Guard(m_services.ui, "Rename").run({[this] {
        renameFocusedFile(m_model, m_services.ui, m_services.shell);
    }});
}

void MainFrm::openFile() {
    m_rlv->openFocusedFile();
}

void MainFrm::openFolder() {
    const std::optional<std::string> path = focusedPath(m_model);
    if (path && !m_services.launcher.showInFileManager(*path))
        m_services.ui.messageBox({"No file manager could show \"" + *path + "\".", "Error",
                                  MsgIcon::None, MsgButtons::OK, 1});
}

void MainFrm::openMarkFiles() {
    // One message for the whole command, however many files found no program.
    bool allOpened = true;
    for (const std::string& path : markedPaths(m_model))
        allOpened = m_services.launcher.openDocument(path) && allOpened;
    if (!allOpened)
        tellNoAssociatedProgram(m_services.ui);
}

void MainFrm::copyPath() {
    if (const std::optional<std::string> path = focusedPath(m_model))
        QGuiApplication::clipboard()->setText(qs(*path));
}

void MainFrm::showFileProperties() {
    const std::optional<std::string> path = focusedPath(m_model);
    if (!path || m_services.shell.ShowProperties(*path))
        return;
    (new FilePropertiesFrm(*path, this))->show();
}

void MainFrm::showHelpTopics() {
    openHelpPage("help/index.html");
}

void MainFrm::previewPicture() {
    const PicturePreview preview = previewOfFocusedRow(m_model);
    if (preview.step == PicturePreview::Hide && m_fileInfoFrm)
        m_fileInfoFrm->hide();
    if (preview.step != PicturePreview::Show)
        return;
    if (!m_fileInfoFrm)
        m_fileInfoFrm = new FileInfoFrm(m_model, m_services.settings, m_services.ui, this);
    m_fileInfoFrm->LoadPic(preview.path);
    if (!m_fileInfoFrm->isVisible())
        m_fileInfoFrm->show();
}

} // namespace twinsift
