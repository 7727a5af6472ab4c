#pragma once

#include "core/runtime_error.h"

#include <QDialog>
#include <functional>
#include <string>

class QLabel;
class QPlainTextEdit;

namespace twinsift {

// "Bug Report": what went wrong in a guarded command, with Retry, Abort and
// "Send Error Report" (which writes and opens the problem report).
class BugFrm : public QDialog {
    Q_OBJECT
public:
    enum Outcome { None = 0, Retry = 1, Abort = 2 };

    // `sendReport` gets the error and what the text box holds.
    using ReportSender = std::function<void(const ErrorRecord&, const std::string& userText)>;

    explicit BugFrm(ReportSender sendReport, QWidget* parent = nullptr);

    void setError(const ErrorRecord& error);
    Outcome outcome() const { return m_outcome; }

    // The four lines of Text1.
    static QString detailsText(const ErrorRecord& error);

private:
    void finish(Outcome outcome);

    ReportSender m_sendReport;
    ErrorRecord m_error;
    Outcome m_outcome = None;
    QLabel* m_lblErrNo;
    QLabel* m_lblErrDesc;
    QLabel* m_lblErrPro;
    QLabel* m_lblErrLine;
    QPlainTextEdit* m_text1;
};

} // namespace twinsift
