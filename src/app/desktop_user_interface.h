#pragma once

#include "app/bug_frm.h"
#include "platform/user_interface.h"

#include <QPointer>
#include <QString>
#include <functional>
#include <utility>

class QWidget;

namespace twinsift {

// Every question the program asks, as real Qt dialogs over the main window.
class DesktopUserInterface : public UserInterface {
public:
    // The window the dialogs belong to.
    void setParentWindow(QWidget* window) { m_parent = window; }
    // Writes and opens the problem report for the error shown.
    void setReportSender(BugFrm::ReportSender sendReport) { m_sendReport = std::move(sendReport); }

    MsgAnswer messageBox(const MessageBoxRequest& request) override;
    ErrorReportAnswer errorReport(const ErrorRecord& error) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override;
    std::string browseFolder(const std::string& title, bool newStyle) override;
    std::string openFileDialog(const std::string& filter, const std::string& title,
                               const std::string& initialFolder) override;
    std::string saveFileDialog(const std::string& filter, const std::string& title,
                               const std::string& initialFolder,
                               const std::string& proposedName) override;
    bool tooManyFilesWarning(long files) override;
    OriginalsAnswer originalsWarning(WindowModel& model,
                                     const std::vector<std::size_t>& rows) override;

    // "Twinsift(*.tsf)|*.tsf|All|*.*" as Qt name filters.
    static QStringList qtFilters(const std::string& filter);
    // The extension ("tsf") of a Qt name filter's first pattern; empty for "*" or "*.*".
    static QString filterExtension(const QString& qtFilter);

private:
    // Whose centre a dialog opens over: the dialog that asks, or the main window.
    QWidget* owner() const;

    BugFrm::ReportSender m_sendReport;
    QPointer<QWidget> m_parent;
    QString m_lastFolder;
};

} // namespace twinsift
