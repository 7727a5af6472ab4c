#include "fileops/error_log.h"

#include "core/convert.h"
#include "core/format.h"
#include "core/runtime_error.h"
#include "core/text_file.h"
#include "platform/user_interface.h"

#include <cerrno>
#include <sys/stat.h>

namespace twinsift {

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
        lines.push_back(failure.number + ", " + failure.description + ", " + failure.path);
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

void saveErrorLog(const std::vector<FileOpFailure>& failures, UserInterface& ui, std::time_t now) {
    const std::string path = ui.saveFileDialog("Error Logs|*.log", "Error Logs", "",
                                               "Error " + dayMonthYearText(localDateTime(now)));
    if (path.empty())
        return;
    const IoResult written = writeErrorLog(path, failures, now);
    if (!written.ok())
        ui.messageBox({written.error().message(), "Error", MsgIcon::Critical, MsgButtons::OK});
}

} // namespace twinsift
