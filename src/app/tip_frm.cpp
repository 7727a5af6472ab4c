#include "app/tip_frm.h"

#include "core/startup.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace twinsift {
namespace {

QLabel* wrappedLabel(const QString& text, const char* name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    return label;
}

} // namespace

frmTip::frmTip(SettingsStore& settings, QWidget* parent)
    : QDialog(parent), m_random(std::random_device{}()) {
    setObjectName(QStringLiteral("frmTip"));
    setWindowTitle(QStringLiteral("Tip of the Day"));

    auto* caption = new QLabel(QStringLiteral("Did you know..."), this);
    QFont bold = caption->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    caption->setFont(bold);

    m_lblTipText = wrappedLabel(QString(), "lblTipText", this);
    m_lblTipText->setMinimumSize(380, 110);
    m_lblTipText->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* chkLoadTipsAtStartup = new QCheckBox(QStringLiteral("&Show Tips at Startup"), this);
    chkLoadTipsAtStartup->setObjectName(QStringLiteral("chkLoadTipsAtStartup"));
    chkLoadTipsAtStartup->setChecked(showTipsAtStartup(settings));
    connect(chkLoadTipsAtStartup, &QCheckBox::toggled, this,
            [&settings](bool checked) { setShowTipsAtStartup(settings, checked); });

    auto* cmdNextTip = new QPushButton(QStringLiteral("&Next Tip"), this);
    cmdNextTip->setObjectName(QStringLiteral("cmdNextTip"));
    connect(cmdNextTip, &QPushButton::clicked, this, &frmTip::showRandomTip);
    auto* cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(chkLoadTipsAtStartup);
    buttons->addStretch();
    buttons->addWidget(cmdNextTip);
    buttons->addWidget(cmdOK);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(m_lblTipText, 1);
    layout->addLayout(buttons);

    showRandomTip();
}

void frmTip::showRandomTip() {
    const std::string_view tip = tipTexts()[randomTipIndex(m_random)];
    m_lblTipText->setText(QString::fromUtf8(tip.data(), static_cast<qsizetype>(tip.size())));
}

VistaWarning::VistaWarning(SettingsStore& settings, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("VistaWarning"));
    setWindowTitle(QStringLiteral("Vista Users"));

    auto* heading = new QLabel(QStringLiteral("Please run as Administrator..."), this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    auto* check = new QCheckBox(QStringLiteral("Dont Show This..."), this);
    check->setObjectName(QStringLiteral("chkDontShow"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this, check, &settings] {
        setVistaWarningDismissed(settings, check->isChecked());
        accept();
    });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(check);
    buttons->addStretch();
    buttons->addWidget(ok);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(wrappedLabel(
        QStringLiteral(
            "Vista users must open and run the \"Twinsift\" program \"as administrator\"."),
        "Label2", this));
    layout->addWidget(wrappedLabel(
        QStringLiteral("This is done by right clicking on the \"Twinsift\" icon and choosing from "
                       "the pop up menu \"run as administrator\" and follow instructions."),
        "Label3", this));
    layout->addLayout(buttons);
}

} // namespace twinsift
