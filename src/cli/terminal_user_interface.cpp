#include "cli/terminal_user_interface.h"

#include "cli/cli_output.h"

#include <vector>

namespace twinsift {
namespace {

std::vector<MsgAnswer> buttonAnswers(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::OK:
        return {MsgAnswer::OK};
    case MsgButtons::OKCancel:
        return {MsgAnswer::OK, MsgAnswer::Cancel};
    case MsgButtons::AbortRetryIgnore:
        return {MsgAnswer::Abort, MsgAnswer::Retry, MsgAnswer::Ignore};
    case MsgButtons::YesNoCancel:
        return {MsgAnswer::Yes, MsgAnswer::No, MsgAnswer::Cancel};
    case MsgButtons::YesNo:
        return {MsgAnswer::Yes, MsgAnswer::No};
    case MsgButtons::RetryCancel:
        return {MsgAnswer::Retry, MsgAnswer::Cancel};
    case MsgButtons::YesYesToAllNoCancel:
        return {MsgAnswer::Yes, MsgAnswer::YesToAll, MsgAnswer::No, MsgAnswer::Cancel};
    }
    return {MsgAnswer::OK};
}

// Message texts break lines with CR LF, as the dialogs show them; between
// those breaks the text may hold names, so each line is made safe on its own.
std::string terminalText(const std::string& text) {
    std::string out;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find("\r\n", start);
        out += terminalSafe(std::string_view(text).substr(start, end - start));
        if (end == std::string::npos)
            return out;
        out += '\n';
        start = end + 2;
    }
}

} // namespace

MsgAnswer TerminalUserInterface::messageBox(const MessageBoxRequest& request) {
    m_err << "twinsift-cli: " << terminalText(request.text) << '\n';
    const std::vector<MsgAnswer> answers = buttonAnswers(request.buttons);
    const auto index = static_cast<std::size_t>(request.defaultButton - 1);
    return index < answers.size() ? answers[index] : answers.front();
}

ErrorReportAnswer TerminalUserInterface::errorReport(const ErrorRecord& error) {
    m_errorReported = true;
    m_err << "twinsift-cli: " << error.procedure << ": error " << error.number << ": "
          << terminalText(error.description) << '\n';
    return ErrorReportAnswer::Abort;
}

std::optional<std::string> TerminalUserInterface::inputBox(const std::string&, const std::string&,
                                                           const std::string&) {
    return std::nullopt;
}

bool TerminalUserInterface::tooManyFilesWarning(long) {
    return true;
}

// Nobody is there to choose which copy stays: the answer was chosen before the run.
OriginalsAnswer TerminalUserInterface::originalsWarning(WindowModel&,
                                                        const std::vector<std::size_t>&) {
    return m_originalsAnswer;
}

std::string TerminalUserInterface::browseFolder(const std::string&, bool) {
    return {};
}

std::string TerminalUserInterface::openFileDialog(const std::string&, const std::string&,
                                                  const std::string&) {
    return {};
}

std::string TerminalUserInterface::saveFileDialog(const std::string&, const std::string&,
                                                  const std::string&, const std::string&) {
    return {};
}

} // namespace twinsift
