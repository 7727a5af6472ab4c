#pragma once

#include "cli/cli_options.h"

#include <ostream>

namespace twinsift {

struct WindowModel;
class UserInterface;

// --export of the list as it is; false when it failed, `ui` having told why.
bool writeListFiles(const WindowModel& model, UserInterface& ui, const CliOptions& options,
                    std::ostream& err, bool errIsTerminal);

} // namespace twinsift
