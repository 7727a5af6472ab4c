#include "app/skipped_sign.h"
#include "app/visible_text.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace twinsift {
namespace {

QString countText(std::int64_t count) {
    return count == 1 ? QStringLiteral("1 item was") : QStringLiteral("%1 items were").arg(count);
}

} // namespace

SkippedSign::SkippedSign(const SkipList& skipped, QWidget* parent)
    : QToolButton(parent), m_skipped(skipped) {
    setObjectName(QStringLiteral("SkippedSign"));
    setIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
    setAutoRaise(true);
    setVisible(false);
    connect(this, &QToolButton::clicked, this, &SkippedSign::showList);
}

void SkippedSign::render() {
    const std::int64_t count = m_skipped.count();
    setVisible(count > 0);
    setToolTip(countText(count) + QStringLiteral(" left out of the search. Click for the list."));
}

void SkippedSign::showList() {
    auto* dialog = new QDialog(window());
    dialog->setObjectName(QStringLiteral("SkippedFrm"));
    dialog->setWindowTitle(QStringLiteral("Skipped"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);

    const auto& items = m_skipped.items();
    QString heading = countText(m_skipped.count()) + QStringLiteral(" left out of the search.");
    if (static_cast<std::int64_t>(items.size()) < m_skipped.count())
        heading += QStringLiteral(" The first %1 are listed.").arg(items.size());
    auto* label = new QLabel(heading, dialog);
    label->setTextFormat(Qt::PlainText);

    auto* list = new QTreeWidget(dialog);
    list->setObjectName(QStringLiteral("lvSkipped"));
    list->setHeaderLabels({QStringLiteral("Path"), QStringLiteral("Reason")});
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    for (const SkippedItem& item : items)
        new QTreeWidgetItem(list, {withVisibleControls(QString::fromStdString(item.path)),
                                   withVisibleControls(QString::fromStdString(item.reason))});
    list->header()->setSectionResizeMode(0, QHeaderView::Stretch);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);

    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(label);
    layout->addWidget(list);
    layout->addWidget(buttons);
    dialog->resize(640, 360);
    dialog->show();
}

} // namespace twinsift
