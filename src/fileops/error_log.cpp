#include "fileops/error_log.h"

#include "core/convert.h"
#include "core/format.h"
#include "core/runtime_error.h"
#include "core/text_file.h"
#include "platform/user_interface.h"

#include <cerrno>
#include <sys/stat.h>

namespace twinsift {

namespace {

// A name with a line break must not split its line or forge another.
std::string withControlsEscaped(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (byte < 0x20 || byte == 0x7f)
            out += {'\\', 'x', "0123456789ABCDEF"[byte >> 4], "0123456789ABCDEF"[byte & 0xf]};
        else
            out += c;
    }
    return out;
}

} // namespace

std::vector<std::string> errorLogLines(const std::vector<FileOpFailure>& failures,
                                       std::time_t savedAt) {
    const std::string rule(51, '-');
    std::vector<std::string> lines = {rule,
                                      "Twinsift Deletion Error Log File.",
                                      "Created at : " + reportStampText(localDateTime(savedAt)),
                                      rule,
                                      " ",
                                      "Error No, Description, File Name",
                                      rule};
    for (const FileOpFailure& failure : failures)
        lines.push_back(
            withControlsEscaped(failure.number + ", " + failure.description + ", " + failure.path));
    return lines;
}

IoResult writeErrorLog(const std::string& path, const std::vector<FileOpFailure>& failures,
                       std::time_t savedAt) {
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode))
        return IoError{"write", path, EISDIR};
    std::string text;
    for (const std::string& line : errorLogLines(failures, savedAt))
        text += line + "\r\n";
    try {
        replaceWholeFile(path, text);
    } catch (const RuntimeError& error) {
        return IoError{"write", path, 0, {}, error.description()};
    }
    return {};
}

void saveErrorLog(const std::vector<FileOpFailure>& failures, UserInterface& ui,
                  const buzTimer::SecondsClock& now) {
    const std::string path = ui.saveFileDialog("Error Logs|*.log", "Error Logs", "",
                                               "Error " + dayMonthYearText(localDateTime(now())));
    if (path.empty())
        return;
    // The dialog may have stood open for a while.
    const IoResult written = writeErrorLog(path, failures, now());
    if (!written.ok())
        ui.messageBox({written.error().message(), "Error", MsgIcon::Critical, MsgButtons::OK});
}

} // namespace twinsift
