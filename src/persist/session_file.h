#pragma once

#include "core/window_model.h"
#include "persist/parameters_file.h"

#include <cstddef>
#include <functional>
#include <string>

namespace twinsift {

class UserInterface;

// Told after each result line how many of `total` are done, for a progress bar.
using SessionProgress = std::function<void(std::size_t done, std::size_t total)>;

// Writes the session file `path`: the header and search-path lines and, with
// `withResults`, one line per result row (the first after ";"), CR LF line ends,
// fields that would break a line written as field codes. One atomic replace: a
// failure leaves any earlier file whole. Errors go to the error report as
// "File Saving" (Retry / Abort). True once the file is written.
bool SaveSession(const WindowModel& model, const std::string& path, bool withResults,
                 UserInterface& ui, const SessionProgress& progress = {});

// What a session reader may be given besides the file.
struct SessionReading {
    // Told the folder of each search-path line that is not a folder to search.
    std::function<void(const std::string& folder)> excludedFolder;
    SessionProgress progress;
};

// How far reading a session file came, and what its result lines held.
struct SessionReadOutcome {
    bool opened = false;
    ParametersFileOutcome::Stop stop = ParametersFileOutcome::None;
    int line = 0; // the line being read when it stopped (1 = header)
    std::size_t resultLines = 0;
    std::size_t markedCount = 0;
    std::int64_t markedBytes = 0;
};

// Reads the session file `path` into a model that a new session emptied:
// the engine and switches (without the questions a click raises), the
// counters, the search paths (icon 15; the others go to `excludedFolder`),
// and one row per result line with its mark, groups numbered anew in the
// order their texts first appear, with GroupSizes, GroupCount, RowShades and
// lvFolders. The rows are not announced. Errors 53 and 9 end it without a
// message; any other goes to the error report as "File Opening", a row no
// scan could list (a name that is not plain, a folder that is not absolute
// and plain) among them. SearchCancelled set during a yield ends it as an
// abandoned error report does.
SessionReadOutcome readSessionFile(WindowModel& model, const std::string& path, UserInterface& ui,
                                   const SessionReading& reading);

} // namespace twinsift
