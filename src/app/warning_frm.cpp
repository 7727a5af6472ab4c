#include "app/warning_frm.h"

#include "app/visible_text.h"
#include "core/window_model.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <utility>

namespace twinsift {
namespace {

constexpr char kKeepOne[] = "It is highly recommended to keep at least one original file";

QPushButton* namedButton(const char* caption, const char* name, const char* tip, QWidget* parent) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(QString::fromLatin1(tip));
    return button;
}

} // namespace

WarningFrm::WarningFrm(WindowModel& model, std::vector<std::size_t> rows, UserInterface& ui,
                       QWidget* parent)
    : QDialog(parent), m_model(model), m_rows(std::move(rows)), m_ui(ui),
      m_wList(new QTreeWidget(this)) {
    setObjectName(QStringLiteral("WarningFrm"));
    setWindowTitle(QStringLiteral("Warning!"));

    auto* Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    auto* Label1 = new QLabel(QString::fromLatin1(kKeepOne), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    auto* lblmsg =
        new QLabel(QStringLiteral("Both original and duplicate files are marked "), this);
    lblmsg->setObjectName(QStringLiteral("lblmsg"));
    auto* texts = new QVBoxLayout;
    texts->addWidget(Label1);
    texts->addWidget(lblmsg);
    auto* top = new QHBoxLayout;
    top->addWidget(Image1, 0, Qt::AlignTop);
    top->addLayout(texts, 1);

    m_wList->setObjectName(QStringLiteral("WList"));
    m_wList->setRootIsDecorated(false);
    m_wList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_wList->setHeaderLabels({QStringLiteral("File Name"), QStringLiteral("Size(Bytes)"),
                              QStringLiteral("Last Modified."), QStringLiteral("File Version"),
                              QStringLiteral("Group"), QStringLiteral("Path")});
    m_wList->header()->resizeSection(0, 180);
    m_wList->setMinimumSize(640, 160);
    fillList();
    connect(m_wList, &QTreeWidget::itemChanged, this, &WarningFrm::tickChanged);

    auto* Command1 = namedButton("&Keep all original files", "Command1",
                                 "It will automatically keep one file in each group.", this);
    auto* Command2 =
        namedButton("Ig&nore warnings", "Command2",
                    "Press these button if you want to ignore repeated warnings!", this);
    auto* Command3 = namedButton("&Continue", "Command3", "", this);
    connect(Command1, &QPushButton::clicked, this,
            [this] { answerWith(OriginalsAnswer::KeepAllOriginals); });
    connect(Command2, &QPushButton::clicked, this,
            [this] { answerWith(OriginalsAnswer::IgnoreWarnings); });
    connect(Command3, &QPushButton::clicked, this, &WarningFrm::cmdContinue_Click);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* button : {Command1, Command2, Command3})
        buttons->addWidget(button);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_wList, 1);
    layout->addLayout(buttons);
}

void WarningFrm::fillList() {
    const QSignalBlocker quiet(m_wList);
    for (const std::size_t row : m_rows) {
        if (row >= m_model.rows.size())
            continue;
        const ResultRow& r = m_model.rows[row];
        auto* item = new QTreeWidgetItem(m_wList);
        int column = 0;
        for (const ResultColumn shown :
             {ColFileName, ColSize, ColLastModified, ColFileVersion, ColGroup, ColInFolder})
            item->setText(column++,
                          withVisibleControls(QString::fromStdString(std::string(r.text(shown)))));
        // The line's result row travels with it, whatever lines were left out.
        item->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<qulonglong>(row)));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, r.marked() ? Qt::Checked : Qt::Unchecked);
    }
}

void WarningFrm::tickChanged(QTreeWidgetItem* item) {
    const auto row = static_cast<std::size_t>(item->data(0, Qt::UserRole).toULongLong());
    markRows(m_model, {row, row}, item->checkState(0) == Qt::Checked);
}

void WarningFrm::answerWith(OriginalsAnswer answer) {
    m_answer = answer;
    accept();
}

void WarningFrm::cmdContinue_Click() {
    bool allTicked = true;
    for (int line = 0; line < m_wList->topLevelItemCount(); ++line)
        allTicked = allTicked && m_wList->topLevelItem(line)->checkState(0) == Qt::Checked;
    if (allTicked &&
        m_ui.messageBox(
            {"You have not made any changes, are you sure you want to continue?\r\n\r\n" +
                 std::string(kKeepOne),
             "Confirm", MsgIcon::Exclamation, MsgButtons::YesNo, 2}) != MsgAnswer::Yes)
        return;
    answerWith(OriginalsAnswer::Continue);
}

} // namespace twinsift
