#pragma once

#include "core/buz_timer.h"
#include "core/io_result.h"
#include "fileops/file_operation.h"

#include <ctime>
#include <string>
#include <vector>

namespace twinsift {

class UserInterface;

// The lines of the deletion error log, without their CR LF ends: the
// heading with the saving time ("Created at : 07-Dec-2026 02:05:09 PM"), then
// one "number, description, path" line per failure, its control characters
// written as "\n", "\r", "\t" or "\x1B" (a backslash stays as it is).
std::vector<std::string> errorLogLines(const std::vector<FileOpFailure>& failures,
                                       std::time_t savedAt);

// Writes the log with CR LF ends in one atomic replace: a reader sees the old
// file or the whole new one. A folder at `path` is refused.
IoResult writeErrorLog(const std::string& path, const std::vector<FileOpFailure>& failures,
                       std::time_t savedAt);

// "Save Err Log": proposes "Error dd-mm-yyyy" in the save dialog ("Error
// Logs", "Error Logs|*.log") and writes the log there, created at the time
// the dialog returned; a cancelled dialog writes nothing, and a folder or a
// failed write gets a message.
void saveErrorLog(const std::vector<FileOpFailure>& failures, UserInterface& ui,
                  const buzTimer::SecondsClock& now = buzTimer::systemSeconds);

} // namespace twinsift
