#pragma once

#include "platform/user_interface.h"

#include <ostream>

namespace twinsift {

// The user of a terminal run is not asked anything: a message is printed on
// the error stream, a question takes its default button, the too-many-files
// warning lets the scan go on, the warning about fully marked groups gets the
// answer the options chose (by default: the command does not act) and an
// error report is printed and abandons the command (Abort).
class TerminalUserInterface : public UserInterface {
public:
    explicit TerminalUserInterface(std::ostream& err) : m_err(err) {}

    // Whether an error report was printed: the run then failed.
    bool errorReported() const { return m_errorReported; }
    void answerOriginalsWith(OriginalsAnswer answer) { m_originalsAnswer = answer; }

    MsgAnswer messageBox(const MessageBoxRequest& request) override;
    ErrorReportAnswer errorReport(const ErrorRecord& error) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override;
    bool tooManyFilesWarning(long files) override;
    OriginalsAnswer originalsWarning(WindowModel& model,
                                     const std::vector<std::size_t>& rows) override;
    std::string browseFolder(const std::string& title, bool newStyle) override;
    std::string openFileDialog(const std::string& filter, const std::string& title,
                               const std::string& initialFolder) override;
    std::string saveFileDialog(const std::string& filter, const std::string& title,
                               const std::string& initialFolder,
                               const std::string& proposedName) override;

private:
    std::ostream& m_err;
    bool m_errorReported = false;
    OriginalsAnswer m_originalsAnswer = OriginalsAnswer::Closed;
};

} // namespace twinsift
