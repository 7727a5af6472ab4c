#pragma once

#include "core/window_model.h"

#include <string>

namespace twinsift {

class UserInterface;

// The header line and one line per SearchList row, joined by CR LF, without
// a final line end: what both the parameters file and a session file begin with.
std::string searchParametersText(const WindowModel& model);

// Writes searchParametersText and CR LF to `path`, replacing the file. Never
// reports a failure: a file that cannot be written is left absent or partial.
// Nothing is written for an empty path. The window geometry that goes with it
// belongs to the front end (saveWindowGeometry).
void SaveSearchParameters(const WindowModel& model, const std::string& path);

// How far reading a parameters file came.
struct ParametersFileOutcome {
    enum Stop {
        None,      // read to its end, or to the first result line
        ShortLine, // a line with too few fields ended the read without a message
        Failure,   // an error report was shown and the user abandoned the read
    };
    bool opened = false; // what OpenParametersFile returns
    Stop stop = None;
    int line = 0; // the line being read when it stopped (1 = header)
};

// Starts a new session, then restores from `path` the engine, the protection
// and hidden switches and every search-path line (icon 15 and 16 rows alike),
// leaving the result lines alone. A missing file ends it silently; any other
// failure goes to the error report as "ParaFile Opening".
ParametersFileOutcome readParametersFile(WindowModel& model, const std::string& path,
                                         UserInterface& ui);

// readParametersFile for the session commands: true once the file was open,
// also when a later line stopped the read; a short line that ended the read
// is told to the user.
bool OpenParametersFile(WindowModel& model, const std::string& path, UserInterface& ui);

} // namespace twinsift
