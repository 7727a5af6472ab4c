#include "app/file_properties_frm.h"
#include "app/visible_text.h"

#include "fileops/single_file.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace twinsift {

FilePropertiesFrm::FilePropertiesFrm(const std::string& path, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FilePropertiesFrm"));
    setWindowTitle(QStringLiteral("File Properties"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* form = new QFormLayout;
    for (const auto& [caption, text] : fileProperties(path)) {
        // Plain text: a file name is whatever its creator chose.
        auto* value = new QLabel(withVisibleControls(QString::fromStdString(text)));
        value->setObjectName(QString::fromStdString(caption));
        value->setTextFormat(Qt::PlainText);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setWordWrap(true);
        form->addRow(QString::fromStdString(caption + ":"), value);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("cmdClose"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(420);
}

} // namespace twinsift
