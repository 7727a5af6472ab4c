#include "commands/command_line_session.h"

#include "persist/parameters_file.h"
#include "platform/user_interface.h"

namespace twinsift {

std::optional<ScanOutcome> openCommandLineSession(WindowModel& model,
                                                  const std::string& sessionPath, UserInterface& ui,
                                                  const ScanSettings& settings) {
    if (!OpenParametersFile(model, sessionPath, ui)) {
        ui.messageBox(
            {"\"" + sessionPath + "\"", "File Not Found", MsgIcon::Critical, MsgButtons::OK, 1});
        return std::nullopt;
    }
    return Scan(model, ui, settings);
}

} // namespace twinsift
