#pragma once

#include "core/window_model.h"
#include "platform/user_interface.h"

#include <array>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace twinsift {

class SettingsStore;
class UserInterface;

inline constexpr double kTwipsPerPixel = 15;
inline constexpr double kMinimumWidthTwips = 10350;
inline constexpr double kMinimumHeightTwips = 5000;

// The main window's outer geometry in twips.
struct WindowGeometry {
    double left = 0;
    double top = 0;
    double width = 12000;
    double height = 8000;
};

// A stored setting that could not be read, and the default used instead.
struct UnreadableSetting {
    std::string section;
    std::string key;
    std::string value;
    std::string defaultValue;
};

// The saved geometry of "WindowSize", with a window saved while minimised
// (far off-screen) brought back: a top below -200 or a left below -500 becomes
// 100. A stored value that is not a number is added to `unreadable` and its
// default used.
WindowGeometry savedWindowGeometry(const SettingsStore& settings,
                                   std::vector<UnreadableSetting>& unreadable);
// The geometry moved and shrunk so that the window lies inside `workArea`,
// never below the minimum size.
WindowGeometry clampToWorkArea(WindowGeometry geometry, const WindowGeometry& workArea);
void saveWindowGeometry(SettingsStore& settings, const WindowGeometry& geometry);

// What the process was started with: "-un" as an argument starts no window,
// "--help" and "--version" ask for a text on standard output instead; the
// first other argument, its double quotes removed, is a session path.
struct CommandLine {
    bool noWindow = false;
    bool help = false;
    bool version = false;
    std::string sessionPath;
};
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// The window model as the load handler leaves it: start-up status texts and
// the two toggles from "Options". Only a stored "11" selects permanent
// deletion; a toggle that is not a number is added to `unreadable` and keeps
// its default.
void applyStartupState(WindowModel& model, const SettingsStore& settings,
                       std::vector<UnreadableSetting>& unreadable);

// The message that tells the user which settings were replaced by their defaults.
MessageBoxRequest unreadableSettingsMessage(const std::vector<UnreadableSetting>& unreadable);

// The tip dialog's texts, in their order, and its settings.
const std::array<std::string_view, 13>& tipTexts();
std::size_t randomTipIndex(std::mt19937& generator);
bool showTipsAtStartup(const SettingsStore& settings);
void setShowTipsAtStartup(SettingsStore& settings, bool show);

// The run-as-administrator warning: only for an OS description naming
// "Windows NT 6", until the user asked not to see it again.
bool vistaWarningWanted(const std::string& osDescription, const SettingsStore& settings);
void setVistaWarningDismissed(SettingsStore& settings, bool dismissed);

} // namespace twinsift
