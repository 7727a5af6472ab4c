#pragma once

// A user who never answers back: every question gets its first, harmless
// answer, so a benchmark times the work and not a dialog.

#include "platform/user_interface.h"

namespace twinsift::bench {

class NoQuestions : public UserInterface {
public:
    MsgAnswer messageBox(const MessageBoxRequest&) override { return MsgAnswer::OK; }
    ErrorReportAnswer errorReport(const ErrorRecord&) override { return ErrorReportAnswer::Abort; }
    std::optional<std::string> inputBox(const std::string&, const std::string&,
                                        const std::string&) override {
        return std::nullopt;
    }
    std::string browseFolder(const std::string&, bool) override { return {}; }
    std::string openFileDialog(const std::string&, const std::string&,
                               const std::string&) override {
        return {};
    }
    std::string saveFileDialog(const std::string&, const std::string&, const std::string&,
                               const std::string&) override {
        return {};
    }
    bool tooManyFilesWarning(long) override { return true; }
    OriginalsAnswer originalsWarning(WindowModel&, const std::vector<std::size_t>&) override {
        return OriginalsAnswer::Closed;
    }
};

} // namespace twinsift::bench
