#pragma once

#include "commands/scan_command.h"

#include <optional>
#include <string>

namespace twinsift {

class UserInterface;

// Opens the session named on the command line and scans it, or tells the
// user that it was not found and returns nothing.
std::optional<ScanOutcome> openCommandLineSession(WindowModel& model,
                                                  const std::string& sessionPath, UserInterface& ui,
                                                  const ScanSettings& settings);

} // namespace twinsift
