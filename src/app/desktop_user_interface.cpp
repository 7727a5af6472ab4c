#include "app/desktop_user_interface.h"

#include "app/bug_frm.h"
#include "app/desktop_services.h"
#include "app/scan_dialogs.h"
#include "app/warning_frm.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <utility>
#include <vector>

namespace twinsift {
namespace {

using Button = QMessageBox::StandardButton;

std::vector<std::pair<Button, MsgAnswer>> buttonsOf(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::OK:
        return {{QMessageBox::Ok, MsgAnswer::OK}};
    case MsgButtons::OKCancel:
        return {{QMessageBox::Ok, MsgAnswer::OK}, {QMessageBox::Cancel, MsgAnswer::Cancel}};
    case MsgButtons::AbortRetryIgnore:
        return {{QMessageBox::Abort, MsgAnswer::Abort},
                {QMessageBox::Retry, MsgAnswer::Retry},
                {QMessageBox::Ignore, MsgAnswer::Ignore}};
    case MsgButtons::YesNoCancel:
        return {{QMessageBox::Yes, MsgAnswer::Yes},
                {QMessageBox::No, MsgAnswer::No},
                {QMessageBox::Cancel, MsgAnswer::Cancel}};
    case MsgButtons::YesNo:
        return {{QMessageBox::Yes, MsgAnswer::Yes}, {QMessageBox::No, MsgAnswer::No}};
    case MsgButtons::RetryCancel:
        return {{QMessageBox::Retry, MsgAnswer::Retry}, {QMessageBox::Cancel, MsgAnswer::Cancel}};
    case MsgButtons::YesYesToAllNoCancel:
        return {{QMessageBox::Yes, MsgAnswer::Yes},
                {QMessageBox::YesToAll, MsgAnswer::YesToAll},
                {QMessageBox::No, MsgAnswer::No},
                {QMessageBox::Cancel, MsgAnswer::Cancel}};
    }
    return {{QMessageBox::Ok, MsgAnswer::OK}};
}

QMessageBox::Icon qtIcon(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Closing a box with Escape or its close button answers like its way out.
MsgAnswer closedAnswer(const std::vector<std::pair<Button, MsgAnswer>>& buttons) {
    for (MsgAnswer way : {MsgAnswer::Cancel, MsgAnswer::No, MsgAnswer::Abort})
        for (const auto& [button, answer] : buttons)
            if (answer == way)
                return answer;
    return buttons.front().second;
}

} // namespace

QWidget* DesktopUserInterface::owner() const {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    // A box asked from a window of the main one's, such as the picture
    // viewer, belongs over that window rather than behind it.
    QWidget* active = QApplication::activeWindow();
    for (const QWidget* window = active; window; window = window->parentWidget())
        if (window == m_parent)
            return active;
    return m_parent;
}

MsgAnswer DesktopUserInterface::messageBox(const MessageBoxRequest& request) {
    // The texts break lines with CR LF; a label breaks them at the LF alone.
    const QString text = QString::fromStdString(request.text).remove(QLatin1Char('\r'));
    QMessageBox box(qtIcon(request.icon), QString::fromStdString(request.title), {},
                    QMessageBox::NoButton, owner());
    box.setObjectName(QStringLiteral("MessageBox"));
    // Messages quote file and folder names, which must never be read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    const auto buttons = buttonsOf(request.buttons);
    for (const auto& [button, answer] : buttons)
        box.addButton(button);
    const auto defaultIndex = static_cast<std::size_t>(std::max(request.defaultButton, 1)) - 1;
    box.setDefaultButton(buttons[std::min(defaultIndex, buttons.size() - 1)].first);
    const int clicked = box.exec();
    for (const auto& [button, answer] : buttons)
        if (clicked == button)
            return answer;
    return closedAnswer(buttons);
}

ErrorReportAnswer DesktopUserInterface::errorReport(const ErrorRecord& error) {
    BugFrm dialog(m_sendReport, owner());
    dialog.setError(error);
    dialog.exec();
    return dialog.outcome() == BugFrm::Retry ? ErrorReportAnswer::Retry : ErrorReportAnswer::Abort;
}

bool DesktopUserInterface::tooManyFilesWarning(long files) {
    frmTooManyFiles dialog(files, owner());
    dialog.adjustSize();
    CentreOnWorkArea(dialog);
    return dialog.exec() == QDialog::Accepted;
}

OriginalsAnswer DesktopUserInterface::originalsWarning(WindowModel& model,
                                                       const std::vector<std::size_t>& rows) {
    WarningFrm dialog(model, rows, *this, owner());
    dialog.adjustSize();
    CentreOnWorkArea(dialog);
    dialog.exec();
    return dialog.answer();
}

std::optional<std::string> DesktopUserInterface::inputBox(const std::string& prompt,
                                                          const std::string& title,
                                                          const std::string& defaultText) {
    QInputDialog dialog(owner());
    dialog.setObjectName(QStringLiteral("InputBox"));
    dialog.setWindowTitle(QString::fromStdString(title));
    // The label exists once it has a text; only then can it be made plain.
    dialog.setLabelText(QStringLiteral(" "));
    for (QLabel* label : dialog.findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    dialog.setLabelText(QString::fromStdString(prompt));
    const QString shown = QString::fromStdString(defaultText);
    dialog.setTextValue(shown);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    // A name that is not UTF-8 is shown with replacement characters; left as
    // shown, it is meant as it was, not as shown.
    if (dialog.textValue() == shown)
        return defaultText;
    return dialog.textValue().toStdString();
}

std::string DesktopUserInterface::browseFolder(const std::string& title, bool /*newStyle*/) {
    const QString folder =
        QFileDialog::getExistingDirectory(owner(), QString::fromStdString(title), m_lastFolder);
    if (!folder.isEmpty())
        m_lastFolder = folder;
    return folder.toStdString();
}

QStringList DesktopUserInterface::qtFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << parts[i].trimmed() + QStringLiteral(" (") + patterns.trimmed() +
                       QLatin1Char(')');
    }
    return filters;
}

QString DesktopUserInterface::filterExtension(const QString& qtFilter) {
    static const QRegularExpression firstPattern(QStringLiteral("\\(\\*\\.([^ .*?)]+)[ )]"));
    const QRegularExpressionMatch match = firstPattern.match(qtFilter);
    return match.hasMatch() ? match.captured(1) : QString();
}

std::string DesktopUserInterface::openFileDialog(const std::string& filter,
                                                 const std::string& title,
                                                 const std::string& initialFolder) {
    QFileDialog dialog(owner(), QString::fromStdString(title),
                       QString::fromStdString(initialFolder));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(qtFilters(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front().toStdString();
}

std::string DesktopUserInterface::saveFileDialog(const std::string& filter,
                                                 const std::string& title,
                                                 const std::string& initialFolder,
                                                 const std::string& proposedName) {
    QFileDialog dialog(owner(), QString::fromStdString(title),
                       QString::fromStdString(initialFolder));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(qtFilters(filter));
    dialog.selectFile(QString::fromStdString(proposedName));
    while (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        QString path = dialog.selectedFiles().front();
        const QString extension = filterExtension(dialog.selectedNameFilter());
        if (QFileInfo(path).suffix().isEmpty() && !extension.isEmpty()) {
            // The dialog asked about the name as typed; ask again for the name we save to.
            path += QLatin1Char('.') + extension;
            if (QFileInfo::exists(path) &&
                messageBox({QFileInfo(path).fileName().toStdString() +
                                " already exists.\nDo you want to replace it?",
                            title, MsgIcon::Exclamation, MsgButtons::YesNo, 2}) != MsgAnswer::Yes)
                continue;
        }
        return path.toStdString();
    }
    return {};
}

} // namespace twinsift
