#pragma once

#include "core/runtime_error.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace twinsift {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
// YesYesToAllNoCancel: the question a file operation asks for each file when
// it does not answer its own questions.
enum class MsgButtons {
    OK,
    OKCancel,
    AbortRetryIgnore,
    YesNoCancel,
    YesNo,
    RetryCancel,
    YesYesToAllNoCancel
};
enum class MsgAnswer { OK, Cancel, Abort, Retry, Ignore, Yes, No, YesToAll };

struct MessageBoxRequest {
    std::string text;
    std::string title;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::OK;
    int defaultButton = 1; // 1-based position among the buttons
};

enum class ErrorReportAnswer { Retry, Abort };

// The buttons of the original-protection warning, or its close box.
enum class OriginalsAnswer { KeepAllOriginals, IgnoreWarnings, Continue, Closed };

struct WindowModel;

// Everything the core asks or tells the user goes through this interface. The
// desktop answers with real dialogs, the terminal front end from its options
// and the tests from a script that fails on any question it did not expect.
class UserInterface {
public:
    virtual ~UserInterface() = default;

    virtual MsgAnswer messageBox(const MessageBoxRequest& request) = 0;

    // Shows the error report for an unexpected failure; Retry re-runs the
    // failing step, Abort leaves the command.
    virtual ErrorReportAnswer errorReport(const ErrorRecord& error) = 0;

    // Empty when the user cancels.
    virtual std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                                const std::string& defaultText) = 0;

    // The too-many-files warning ("frmTooManyFiles") for a scan that found
    // `files` files: true to go on (OK), false to stop (Cancel).
    virtual bool tooManyFilesWarning(long files) = 0;

    // The original-protection warning ("WarningFrm") for a group whose rows
    // `rows` (list order) are all marked. Ticking or unticking a file there
    // marks or unmarks its row of `model` at once.
    virtual OriginalsAnswer originalsWarning(WindowModel& model,
                                             const std::vector<std::size_t>& rows) = 0;

    // The choosers return the chosen path, or an empty text when cancelled.
    // A filter is "description|pattern|description|pattern...".
    virtual std::string browseFolder(const std::string& title, bool newStyle) = 0;
    virtual std::string openFileDialog(const std::string& filter, const std::string& title,
                                       const std::string& initialFolder) = 0;
    virtual std::string saveFileDialog(const std::string& filter, const std::string& title,
                                       const std::string& initialFolder,
                                       const std::string& proposedName) = 0;
};

} // namespace twinsift
