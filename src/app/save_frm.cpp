#include "app/save_frm.h"

#include "app/desktop_services.h"
#include "commands/session_command.h"
#include "core/window_commands.h"
#include "core/window_model.h"
#include "platform/settings_store.h"
#include "platform/user_interface.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

namespace twinsift {
namespace {

constexpr char kFilter[] = "Twinsift(*.tsf)|*.tsf";
// How often a long save or load redraws its progress bar.
constexpr qint64 kProgressIntervalMs = 50;

template <class Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* wrappedLabel(const char* text, const char* name, QWidget* parent) {
    auto* label = named(new QLabel(QString::fromLatin1(text), parent), name);
    label->setWordWrap(true);
    return label;
}

// QProgressBar counts in int.
int barValue(std::size_t value) {
    return static_cast<int>(std::min<std::size_t>(value, std::numeric_limits<int>::max()));
}

} // namespace

SaveFrm::SaveFrm(const std::string& mode, WindowModel& model, SaveFrmServices services,
                 QWidget* parent)
    : QDialog(parent), m_model(model), m_services(std::move(services)), m_saving(mode == "Save"),
      m_txtPath(named(new QLineEdit(this), "txtPath")),
      m_opt2(named(new QRadioButton(QStringLiteral("Save search parameters and result.")), "opt2")),
      m_ReScanc(named(new QCheckBox(QStringLiteral("Re-Scan (Search again for duplicates using "
                                                   "byte by byte search engine)")),
                      "ReScanc")),
      m_ReCheckc(named(new QCheckBox(QStringLiteral("Check for invalid/dead path")), "ReCheckc")),
      m_chkClose(named(new QCheckBox(QStringLiteral("Close these dialog after completion"), this),
                       "chkClose")),
      m_pr(named(new QProgressBar(this), "pr")),
      m_Command1(
          named(new QPushButton(m_saving ? QStringLiteral("&Save") : QStringLiteral("&Open"), this),
                "Command1")),
      m_Command2(named(new QPushButton(QStringLiteral("Cancel"), this), "Command2")) {
    setObjectName(QStringLiteral("SaveFrm"));
    setWindowTitle(m_saving ? QStringLiteral("Save Dialog") : QStringLiteral("Open Dialog"));
    setModal(true);

    auto* Label1 = named(new QLabel(QStringLiteral("Path "), this), "Label1");
    auto* cmdAdd = named(new QToolButton(this), "cmdAdd");
    cmdAdd->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    auto* path = new QHBoxLayout;
    path->addWidget(Label1);
    path->addWidget(m_txtPath, 1);
    path->addWidget(cmdAdd);

    auto* SaveFrame = named(new QGroupBox(this), "SaveFrame");
    auto* opt1 = named(new QRadioButton(QStringLiteral("Save parematers only")), "opt1");
    // Results by default: a session is mostly saved to review its result later.
    m_opt2->setChecked(true);
    auto* saveOptions = new QVBoxLayout(SaveFrame);
    saveOptions->addWidget(wrappedLabel("You can save search session for later review. This is "
                                        "very useful when you deal with huge number of files.",
                                        "Label2", SaveFrame));
    saveOptions->addWidget(opt1);
    saveOptions->addWidget(m_opt2);
    SaveFrame->setVisible(m_saving);

    auto* OpenFrame = named(new QGroupBox(this), "OpenFrame");
    auto* openOptions = new QVBoxLayout(OpenFrame);
    openOptions->addWidget(wrappedLabel("Please select the file and desire options and click "
                                        "open to load.",
                                        "Label3", OpenFrame));
    openOptions->addWidget(m_ReScanc);
    openOptions->addWidget(m_ReCheckc);
    OpenFrame->setVisible(!m_saving);

    m_chkClose->setChecked(m_services.settings.getSetting("Options", "ChkClose", "1") != "0");
    m_chkClose->setEnabled(m_saving);
    m_pr->setRange(0, 1);
    m_pr->setValue(0);
    m_Command1->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_Command1);
    buttons->addWidget(m_Command2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(path);
    layout->addWidget(SaveFrame);
    layout->addWidget(OpenFrame);
    layout->addWidget(m_chkClose);
    layout->addWidget(m_pr);
    layout->addLayout(buttons);

    connect(cmdAdd, &QToolButton::clicked, this, &SaveFrm::cmdAdd_Click);
    connect(m_Command1, &QPushButton::clicked, this, &SaveFrm::Command1_Click);
    connect(m_Command2, &QPushButton::clicked, this, &SaveFrm::reject);
    resize(520, 0);
}

void SaveFrm::done(int result) {
    m_services.settings.saveSetting("Options", "ChkClose", m_chkClose->isChecked() ? "1" : "0");
    QDialog::done(result);
}

void SaveFrm::reject() {
    if (!m_busy) {
        QDialog::reject();
        return;
    }
    // A long load can be stopped as a scan can; a save replaces the file
    // only once complete and is never walked away from half-way.
    if (m_model.MCancelEnabled)
        CancelScan(m_model, m_services.ui);
}

void SaveFrm::cmdAdd_Click() {
    UserInterface& ui = m_services.ui;
    const std::string chosen = m_saving ? ui.saveFileDialog(kFilter, "Saving Location", "", "")
                                        : ui.openFileDialog(kFilter, "Open Location", "");
    QString path = QString::fromStdString(chosen);
    while (path.endsWith(QLatin1Char(' ')))
        path.chop(1);
    m_txtPath->setText(path);
}

void SaveFrm::Command1_Click() {
    const QString path = m_txtPath->text();
    if (path.trimmed().isEmpty()) {
        refuseBoxText(m_services.ui, *m_txtPath, "File name not specified.");
        return;
    }
    m_Command1->setEnabled(false);
    m_Command2->setEnabled(!m_saving);
    m_ran = true;
    m_busy = true;
    // Blanks around the typed name are kept: they may belong to it.
    if (m_saving)
        saveSession(path.toStdString());
    else
        openSession(path.toStdString());
    m_busy = false;
    m_Command2->setEnabled(true);
}

void SaveFrm::saveSession(const std::string& path) {
    if (!SaveSession(m_model, path, m_opt2->isChecked(), m_services.ui, progress()))
        return;
    if (m_services.endSound)
        m_services.endSound();
    if (m_chkClose->isChecked())
        done(Accepted);
}

void SaveFrm::openSession(const std::string& path) {
    if (m_services.loadStarts)
        m_services.loadStarts();
    SessionLoad load;
    load.reScan = m_ReScanc->isChecked();
    load.reCheck = m_ReCheckc->isChecked();
    load.exclusions = m_services.exclusions;
    load.progress = progress();
    // Closed while the loader may still compare the files: the window shows that.
    load.fileRead = [this] { done(Accepted); };
    OpenTwinsiftFile(m_model, path, m_services.ui, load);
}

SessionProgress SaveFrm::progress() {
    // Told after every row: the bar is redrawn only now and then.
    return [this](std::size_t done, std::size_t total) {
        if (done < total && m_sinceProgress.isValid() &&
            m_sinceProgress.elapsed() < kProgressIntervalMs)
            return;
        m_sinceProgress.start();
        m_pr->setRange(0, std::max(1, barValue(total)));
        m_pr->setValue(barValue(done));
    };
}

} // namespace twinsift
