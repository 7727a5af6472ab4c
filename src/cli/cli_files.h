#pragma once

#include "cli/cli_options.h"

#include <ostream>

namespace twinsift {

struct WindowModel;
class UserInterface;

// The list of --load-session in `model`, as a search would leave it, compared
// again (--rescan) or rid of dead rows (--recheck) as asked. The excluded
// folders the file holds are dropped: the run searches nothing with them.
// False when the load failed or was cancelled.
bool loadSessionList(WindowModel& model, UserInterface& ui, const CliOptions& options,
                     std::ostream& err, bool errIsTerminal);

// --save-session, then --export, of the list as it is; false at the first
// that failed.
bool writeListFiles(const WindowModel& model, UserInterface& ui, const CliOptions& options,
                    std::ostream& err, bool errIsTerminal);

} // namespace twinsift
