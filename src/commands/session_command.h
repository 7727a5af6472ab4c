#pragma once

#include "persist/session_file.h"

namespace twinsift {

class ExclusionList;

struct SessionLoad {
    bool reScan = false;  // "Re-Scan": compare the saved files again, byte by byte
    bool reCheck = false; // "Check for invalid/dead path"
    // Where search-path lines of an excluded folder (icon 16) go; none: dropped.
    ExclusionList* exclusions = nullptr;
    SessionProgress progress;       // the dialog's progress bar
    std::function<void()> fileRead; // the file is read: the session dialog closes
};

// Load Session: starts a new session and restores from `path` the engine and
// switches (no question asked), the search paths, the counters and the result
// rows with their marks, or re-runs the comparison over the saved files.
// True once the file was open and read, false when the load ended on an error
// or was cancelled.
bool OpenTwinsiftFile(WindowModel& model, const std::string& path, UserInterface& ui,
                      const SessionLoad& load);

} // namespace twinsift
