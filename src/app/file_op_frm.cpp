#include "app/file_op_frm.h"

#include "app/visible_text.h"
#include "core/guard.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>
#include <limits>

namespace twinsift {
namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

const char* guardLabel(FileOpMode mode) {
    switch (mode) {
    case FileOpMode::Delete:
        return "Delete Files X";
    case FileOpMode::Move:
        return "Move Files X";
    case FileOpMode::Copy:
        return "Copy Files X";
    }
    return "";
}

// QProgressBar counts in int.
int barValue(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, 0, std::numeric_limits<int>::max()));
}

} // namespace

FileOpFrm::FileOpFrm(const WindowModel& model, FileOpServices services, QWidget* parent)
    : QDialog(parent), m_model(model), m_services(std::move(services)),
      m_lblFileName(new QLabel(QStringLiteral("Progress"), this)), m_pBar(new QProgressBar(this)),
      m_errList(new QTreeWidget(this)), m_cmdOK(new QPushButton(QStringLiteral("&OK"), this)),
      m_cmdClose(new QPushButton(QStringLiteral("&Close"), this)) {
    setModal(true);
    m_lblFileName->setObjectName(QStringLiteral("lblFileName"));
    m_lblFileName->setTextFormat(Qt::PlainText); // file names are not markup
    m_pBar->setObjectName(QStringLiteral("PBar"));
    m_pBar->setRange(0, 1);
    m_pBar->setValue(0);
    m_errList->setObjectName(QStringLiteral("ErrList"));
    m_errList->setRootIsDecorated(false);
    m_errList->setHeaderLabels(
        {QStringLiteral("Error No "), QStringLiteral("Description"), QStringLiteral("File Name")});
    m_errList->header()->resizeSection(1, 260);
    m_errList->setMinimumHeight(120);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);
    m_cmdClose->setObjectName(QStringLiteral("cmdClose"));
    connect(m_cmdOK, &QPushButton::clicked, this, &FileOpFrm::cmdOK_Click);
    connect(m_cmdClose, &QPushButton::clicked, this, &QWidget::close);
}

void FileOpFrm::setMarkedCount(std::int64_t count) {
    showProgress(0, count);
}

void FileOpFrm::addProgress(QBoxLayout& layout) {
    layout.addWidget(m_lblFileName);
    layout.addWidget(m_pBar);
    layout.addWidget(m_errList, 1);
}

void FileOpFrm::addButtons(QBoxLayout& layout, QPushButton* extra) {
    auto* row = new QHBoxLayout;
    if (extra)
        row->addWidget(extra);
    row->addStretch();
    row->addWidget(m_cmdOK);
    row->addWidget(m_cmdClose);
    layout.addLayout(row);
}

QCheckBox* FileOpFrm::tickBox(const char* caption, const char* name, bool ticked, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(ticked);
    return box;
}

void FileOpFrm::reject() {
    // A run has files half-way: it is stopped, never walked away from.
    if (m_state == State::Running) {
        m_cancelRequested = true;
        m_cmdOK->setEnabled(false);
        return;
    }
    QDialog::reject();
}

void FileOpFrm::cmdOK_Click() {
    if (m_state == State::Running) {
        reject();
        return;
    }
    if (m_state != State::Ready)
        return;
    if (const std::optional<FileOpSettings> settings = runSettings())
        run(*settings);
}

void FileOpFrm::run(const FileOpSettings& settings) {
    m_cancelRequested = false;
    enterState(State::Running);
    Guard(m_services.ui, guardLabel(settings.mode)).run({[&] {
        runFileOperation(m_model, settings, m_services.shell, m_services.ui, *this);
    }});
    // Also after an abandoned run: files may be gone, and the list must learn it.
    enterState(State::Ended);
    if (m_services.endSound)
        m_services.endSound();
    runEnded(settings);
}

void FileOpFrm::enterState(State state) {
    m_state = state;
    const bool running = state == State::Running;
    for (QWidget* option : m_options)
        option->setEnabled(!running);
    // Ended, it stays "&Cancel" and disabled: "&OK" is Close's then.
    m_cmdOK->setText(state == State::Ready ? QStringLiteral("&OK") : QStringLiteral("&Cancel"));
    m_cmdOK->setEnabled(state != State::Ended);
    m_cmdClose->setText(state == State::Ended ? QStringLiteral("&OK") : QStringLiteral("&Close"));
    m_cmdClose->setEnabled(!running);
    if (state == State::Ended)
        m_cmdClose->setDefault(true);
}

void FileOpFrm::showLabel(const std::string& text) {
    m_lblFileName->setText(withVisibleControls(qs(text)));
}

void FileOpFrm::showProgress(std::int64_t value, std::int64_t maximum) {
    m_pBar->setRange(0, std::max(1, barValue(maximum)));
    m_pBar->setValue(barValue(value));
}

void FileOpFrm::addFailure(const FileOpFailure& failure) {
    m_failures.push_back(failure);
    auto* item = new QTreeWidgetItem(m_errList);
    item->setText(0, qs(failure.number));
    item->setText(1, qs(failure.description));
    item->setText(2, withVisibleControls(qs(failure.path)));
    failureAdded();
}

} // namespace twinsift
