#pragma once

#include "core/window_model.h"

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace twinsift {

// The result rows as groups of paths, in list order: each path on a line of
// its own and an empty line after each group; with `null` each path ends in
// NUL and each group in one more NUL. A row starts a new group when its
// "Group" text differs from the row above.
void printGroups(const WindowModel& model, std::ostream& out, bool null);

// The marked rows' paths in list order, exactly as they are, each ending in
// a line end or, with `null`, in NUL.
void printMarked(const WindowModel& model, std::ostream& out, bool null);

// The outcome as one JSON document: engine, status, counters, elapsed time
// and, when `withGroups`, the groups numbered from 1 with each file's path,
// size, time stamp, version and mark, and the paths the search left out with their
// reasons ("skipped", "skipped_count"). A path that is not valid UTF-8 is
// shown with U+FFFD in "path" and given exactly in "path_base64".
void printJson(const WindowModel& model, std::ostream& out, bool withGroups);

// `text` as it may go to a terminal: control characters (C0, DEL, C1), bytes
// that are not UTF-8 and "\" itself are written as escapes ("\x1B", "\\"),
// so that a hostile file name shows as what it is and cannot command the
// terminal. A line break is escaped too: the caller breaks lines.
std::string terminalSafe(std::string_view text);

// A message line on the error stream: "twinsift-cli: " and the text made safe.
void printMessage(std::ostream& err, std::string_view text);

// The paths the search left out with their reasons, a message line each: the
// first kSkippedLines, then how many more there were.
inline constexpr std::size_t kSkippedLines = 20;
void printSkipped(const WindowModel& model, std::ostream& err);

// A line of progress on a terminal, rewritten in place; nothing when the
// stream is no terminal.
class TerminalLine {
public:
    TerminalLine(std::ostream& err, bool enabled) : m_err(err), m_enabled(enabled) {}
    void show(const std::string& text);
    // Empties the line, so that the next message starts on a clean one.
    void clear();

private:
    static constexpr int kWidth = 79;
    std::ostream& m_err;
    bool m_enabled;
    std::string m_shown;
};

// "1,204": a count as the terminal's questions show it.
std::string groupedCount(std::int64_t count);

// The texts of the visible, non-empty status panels, in panel order.
std::vector<std::string> statusLines(const WindowModel& model);

// The engine choice as the --engine option names it.
std::string engineName(const WindowModel& model);

} // namespace twinsift
