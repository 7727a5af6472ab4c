#include "app/scan_dialogs.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace twinsift {
namespace {

QLabel* label(const QString& text, const char* name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QPushButton* button(const char* caption, const char* name, QWidget* parent) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

} // namespace

frmTooManyFiles::frmTooManyFiles(long files, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmTooManyFiles"));
    setWindowTitle(QStringLiteral("Warning"));

    auto* lblTitle = label(
        QStringLiteral("You are about to scan a collection of too many files, total %1 files.")
            .arg(files),
        "lblTitle", this);
    QFont bold = lblTitle->font();
    bold.setBold(true);
    lblTitle->setFont(bold);
    auto* heading = label(QStringLiteral("Recommendation:"), "lblRecommendation", this);
    heading->setFont(bold);
    // The recommendation's first line leaves room for its heading, which
    // stands over the start of that line.
    auto* recommendation = label(
        QString(35, QLatin1Char(' ')) +
            QStringLiteral("To reduce the number of files in a single search, you can set the "
                           "min. file size, say 10 KB, as you probably don't interest in some "
                           "small files. You can also exclude some folders."),
        "lblRecommendationText", this);
    recommendation->setMinimumWidth(420);
    auto* recommendationArea = new QGridLayout;
    recommendationArea->addWidget(recommendation, 0, 0);
    recommendationArea->addWidget(heading, 0, 0, Qt::AlignLeft | Qt::AlignTop);

    auto* ok = button("OK", "cmdOK", this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = button("Cancel", "cmdCancel", this);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblTitle);
    layout->addWidget(
        label(QStringLiteral("You are warned that it may resulted in errors."), "Label1", this));
    layout->addLayout(recommendationArea);
    layout->addWidget(
        label(QStringLiteral("To continue, click OK; to stop, click Cancel."), "Label3", this));
    layout->addLayout(buttons);
}

FuzzyFrm::FuzzyFrm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FuzzyFrm"));
    setWindowTitle(QStringLiteral("Fuzzy  match"));

    auto* text = label(
        QStringLiteral("Fuzzy match tolerate files with little difference. File transmission "
                       "errors over network can be ignored in this mode. Files downloaded by P2P "
                       "program e.g. eMule/Kazaa may contain this kind of files. (see example "
                       "below)"),
        "Label1", this);
    text->setMinimumWidth(400);
    auto* example = label(QStringLiteral("File A is identical to file B though there is little "
                                         "difference between them."),
                          "Label2", this);
    QFont italic = example->font();
    italic.setItalic(true);
    example->setFont(italic);
    // What the rule promises, so that nobody takes similar files for copies.
    auto* promise = label(QStringLiteral("Files of equal size match when at least half of their "
                                         "1000-byte blocks are equal; a shorter last block counts "
                                         "as one block more. Files under 1000 bytes never match. "
                                         "Look at each group before deleting."),
                          "Label3", this);

    auto* ok = button("OK", "cmdOK", this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(example);
    layout->addWidget(promise);
    layout->addLayout(buttons);
}

} // namespace twinsift
