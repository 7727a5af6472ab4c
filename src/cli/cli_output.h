#pragma once

#include "core/window_model.h"

#include <ostream>
#include <string>
#include <vector>

namespace twinsift {

// The result rows as groups of paths, in list order: each path on a line of
// its own and an empty line after each group; with `null` each path ends in
// NUL and each group in one more NUL. A row starts a new group when its
// "Group" text differs from the row above.
void printGroups(const WindowModel& model, std::ostream& out, bool null);

// The outcome as one JSON document: engine, status, counters, elapsed time
// and, when `withGroups`, the groups numbered from 1 with each file's path,
// size, time stamp and version. A path that is not valid UTF-8 is shown with
// U+FFFD in "path" and given exactly in "path_base64".
void printJson(const WindowModel& model, std::ostream& out, bool withGroups);

// The texts of the visible, non-empty status panels, in panel order.
std::vector<std::string> statusLines(const WindowModel& model);

// The engine choice as the --engine option names it.
std::string engineName(const WindowModel& model);

} // namespace twinsift
