#include "app/about_frm.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtGlobal>

namespace twinsift {

AboutFrm::AboutFrm(const std::string& dataFolder, const QString& settingsFile, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("AboutFrm"));
    setWindowTitle(QStringLiteral("About Twinsift"));
    auto* heading = new QLabel(QStringLiteral("Twinsift " TWINSIFT_VERSION));
    heading->setObjectName(QStringLiteral("lblTitle"));
    QFont larger = heading->font();
    larger.setPointSizeF(larger.pointSizeF() * 1.4);
    larger.setBold(true);
    heading->setFont(larger);
    auto* intro = new QLabel(QStringLiteral("Finds sets of identical files and lets you remove "
                                            "the copies you do not need."));
    intro->setWordWrap(true);

    const std::pair<const char*, QString> facts[] = {
        {"Version", QStringLiteral(TWINSIFT_VERSION)},
        {"Licence", QStringLiteral("GNU General Public License, version 3 or later")},
        {"Qt", QString::fromLatin1(qVersion())},
        {"Data folder", QString::fromStdString(dataFolder)},
        {"Settings", settingsFile}};
    auto* form = new QFormLayout;
    for (const auto& [caption, text] : facts) {
        // Plain text: the folders come from the environment.
        auto* value = new QLabel(text);
        value->setObjectName(QString::fromLatin1(caption));
        value->setTextFormat(Qt::PlainText);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        value->setAccessibleName(QString::fromLatin1(caption));
        form->addRow(QString::fromLatin1(caption) + QLatin1Char(':'), value);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(420);
}

} // namespace twinsift
