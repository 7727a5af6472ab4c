#pragma once

#include "core/window_model.h"

#include <ostream>
#include <string>
#include <vector>

namespace twinsift {

// The result rows as groups of paths: one path a line and a blank line
// between groups, or with `null` each path ended by NUL and an empty entry
// between groups. A row starts a new group when its "Group" text differs
// from the row above.
void printGroups(const WindowModel& model, std::ostream& out, bool null);

// The outcome as one JSON document: status, engine, counters, elapsed time
// and, when `withGroups`, the groups with each file's path, size and time
// stamp. A path that is not valid UTF-8 is shown with U+FFFD in "path" and
// given exactly, as hexadecimal bytes, in "pathHex".
void printJson(const WindowModel& model, std::ostream& out, bool withGroups);

// The texts of the visible, non-empty status panels, in panel order.
std::vector<std::string> statusLines(const WindowModel& model);

// The engine choice as the --engine option names it.
std::string engineName(const WindowModel& model);

} // namespace twinsift
