#pragma once

#include "cli/cli_options.h"
#include "marking/quick_marks.h"

#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <string>

namespace twinsift {

struct WindowModel;
class UserInterface;
class TerminalUserInterface;

// The path made absolute without resolving links, as a folder text ending in
// "/": how search paths and the folders of listed rows are written.
std::string absoluteFolder(const std::string& path);

// Marks the listed rows as the options ask: the --mark rule first, then the
// --mark-folder folders (with their sub-folders) on top, the list left in
// group order. Nothing without a marking option or with an empty list.
void markAsAsked(WindowModel& model, UserInterface& ui, const CliOptions& options);

// The steps before an action: for --delete and --move the protection check,
// which keeps one file of each fully marked group unless the options allow
// whole groups, then the marked totals. Nothing when no action was asked for
// or nothing is marked.
std::optional<MarkedTotals> prepareAction(WindowModel& model, TerminalUserInterface& ui,
                                          const CliOptions& options);

// Where the terminal asks its one question and learns of an interrupt.
struct ActionConsole {
    std::istream* in = nullptr; // answers when it is a terminal; otherwise --yes is needed
    std::ostream& err;
    bool errIsTerminal = false;
    std::function<bool()> interrupted;
};

// The action on the marked rows of `model`: printed with --dry-run, else
// asked once (without --yes) and run; each failure is a message line on the
// error stream, and --error-log gets the log. Returns the exit status.
int runAction(WindowModel& model, TerminalUserInterface& ui, const CliOptions& options,
              MarkedTotals totals, const ActionConsole& console);

} // namespace twinsift
