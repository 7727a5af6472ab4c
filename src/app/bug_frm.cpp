#include "app/bug_frm.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace twinsift {
namespace {

QLabel* namedLabel(const QString& text, const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText); // descriptions may name files
    label->setText(text);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QPushButton* namedButton(const QString& text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

} // namespace

BugFrm::BugFrm(ReportSender sendReport, QWidget* parent)
    : QDialog(parent), m_sendReport(std::move(sendReport)) {
    setObjectName(QStringLiteral("BugFrm"));
    setWindowTitle(QStringLiteral("Bug Report"));

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(48, 48));
    auto* lblmsg1 =
        namedLabel(QStringLiteral("Please tell Quellane about this problem."), "lblmsg1", this);
    QFont bold = lblmsg1->font();
    bold.setBold(true);
    lblmsg1->setFont(bold);
    auto* lblmsg2 = namedLabel(
        QStringLiteral("We are very sorry for the inconvenience and we would like to provide a fix "
                       "for this error. You may help us a great deal by reporting this error via "
                       "email. please fill the text box below and press the Send Error Report "
                       "button. Thanks for your time."),
        "lblmsg2", this);
    lblmsg2->setWordWrap(true);

    // The four labels carry the record for the problem report; Text1 shows it.
    m_lblErrNo = namedLabel({}, "lblErrNo", this);
    m_lblErrDesc = namedLabel({}, "lblErrDesc", this);
    m_lblErrPro = namedLabel({}, "lblErrPro", this);
    m_lblErrLine = namedLabel({}, "lblErrLine", this);
    for (QLabel* label : {m_lblErrNo, m_lblErrDesc, m_lblErrPro, m_lblErrLine})
        label->hide();

    m_text1 = new QPlainTextEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    QFont courier(QStringLiteral("Courier"));
    courier.setStyleHint(QFont::TypeWriter);
    courier.setFixedPitch(true);
    m_text1->setFont(courier);
    m_text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text1->setMinimumHeight(5 * m_text1->fontMetrics().lineSpacing());

    auto* command1 = namedButton(QStringLiteral("Retry"), "Command1", this);
    auto* command2 = namedButton(QStringLiteral("Abort"), "Command2", this);
    auto* command3 = namedButton(QStringLiteral("Send Error Report"), "Command3", this);
    command1->setDefault(true);
    connect(command1, &QPushButton::clicked, this, [this] { finish(Retry); });
    connect(command2, &QPushButton::clicked, this, [this] { finish(Abort); });
    connect(command3, &QPushButton::clicked, this, [this] {
        if (m_sendReport)
            m_sendReport(m_error, m_text1->toPlainText().toStdString());
    });

    auto* heading = new QHBoxLayout;
    heading->addWidget(icon, 0, Qt::AlignTop);
    auto* messages = new QVBoxLayout;
    messages->addWidget(lblmsg1);
    messages->addWidget(lblmsg2);
    heading->addLayout(messages, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(command3);
    buttons->addStretch();
    buttons->addWidget(command1);
    buttons->addWidget(command2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(heading);
    layout->addWidget(new QLabel(QStringLiteral("Error Details:"), this));
    layout->addWidget(m_text1, 1);
    layout->addLayout(buttons);
    resize(560, 320);
}

QString BugFrm::detailsText(const ErrorRecord& error) {
    return QStringLiteral("Error       : %1\r\nDescription : %2\r\nProcedure   : %3\r\n"
                          "Error Line  : %4\r\n")
        .arg(QString::number(error.number), QString::fromStdString(error.description),
             QString::fromStdString(error.procedure), QString::number(error.line));
}

void BugFrm::setError(const ErrorRecord& error) {
    m_error = error;
    m_outcome = None;
    m_lblErrNo->setText(QString::number(error.number));
    m_lblErrDesc->setText(QString::fromStdString(error.description));
    m_lblErrPro->setText(QString::fromStdString(error.procedure));
    m_lblErrLine->setText(QString::number(error.line));
    // A text box breaks lines at "\n"; the carriage returns would show as boxes.
    m_text1->setPlainText(detailsText(error).remove(QLatin1Char('\r')));
}

void BugFrm::finish(Outcome outcome) {
    m_outcome = outcome;
    hide();
    done(outcome);
}

} // namespace twinsift
