#include "core/startup.h"

#include "core/convert.h"
#include "core/format.h"
#include "platform/settings_store.h"
#include "platform/user_interface.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace twinsift {
namespace {

double numberSetting(const SettingsStore& settings, const std::string& section,
                     const std::string& key, double defaultValue,
                     std::vector<UnreadableSetting>& unreadable) {
    const std::string defaultText = formatFixed(defaultValue, 0);
    const std::string text = settings.getSetting(section, key, defaultText);
    if (const auto value = readNumber(text))
        return *value;
    unreadable.push_back({section, key, text, defaultText});
    return defaultValue;
}

// The text of a single-precision number, as the store has always held them.
std::string singleText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value),
                                      std::chars_format::fixed);
    return std::string(buffer, result.ptr);
}

// A stored value as the message shows it: short enough for one line.
std::string shownValue(const std::string& value) {
    constexpr std::size_t kShown = 40;
    return value.size() <= kShown ? value : value.substr(0, kShown) + "...";
}

} // namespace

WindowGeometry savedWindowGeometry(const SettingsStore& settings,
                                   std::vector<UnreadableSetting>& unreadable) {
    WindowGeometry g;
    g.width = numberSetting(settings, "WindowSize", "W", g.width, unreadable);
    g.height = numberSetting(settings, "WindowSize", "H", g.height, unreadable);
    g.top = numberSetting(settings, "WindowSize", "T", g.top, unreadable);
    g.left = numberSetting(settings, "WindowSize", "L", g.left, unreadable);
    if (g.top < -200)
        g.top = 100;
    if (g.left < -500)
        g.left = 100;
    return g;
}

WindowGeometry clampToWorkArea(WindowGeometry geometry, const WindowGeometry& workArea) {
    // Every value ends between the area's bounds, so a stored 1e300 turns into
    // pixels that an int holds.
    geometry.width = std::max(kMinimumWidthTwips, std::min(geometry.width, workArea.width));
    geometry.height = std::max(kMinimumHeightTwips, std::min(geometry.height, workArea.height));
    const auto place = [](double start, double length, double areaStart, double areaLength) {
        return std::max(areaStart, std::min(start, areaStart + areaLength - length));
    };
    geometry.left = place(geometry.left, geometry.width, workArea.left, workArea.width);
    geometry.top = place(geometry.top, geometry.height, workArea.top, workArea.height);
    return geometry;
}

void saveWindowGeometry(SettingsStore& settings, const WindowGeometry& geometry) {
    settings.saveSetting("WindowSize", "W", singleText(geometry.width));
    settings.saveSetting("WindowSize", "H", singleText(geometry.height));
    settings.saveSetting("WindowSize", "T", singleText(geometry.top));
    settings.saveSetting("WindowSize", "L", singleText(geometry.left));
}

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    for (const std::string& argument : arguments) {
        if (argument == "-un") {
            line.noWindow = true;
        } else if (argument == "--help" || argument == "-h") {
            line.help = true;
        } else if (argument == "--version") {
            line.version = true;
        } else if (line.sessionPath.empty()) {
            line.sessionPath = argument;
            std::erase(line.sessionPath, '"');
        }
    }
    return line;
}

void applyStartupState(WindowModel& model, const SettingsStore& settings,
                       std::vector<UnreadableSetting>& unreadable) {
    model.statusPanels[PanelFiles].text = status_text::files(0);
    model.statusPanels[PanelFolders].text = status_text::folders(0);
    model.statusPanels[PanelDuplicates].text = "Duplicates : 0";
    const double display =
        numberSetting(settings, "Options", "Display", image::PreviewOn, unreadable);
    model.display = static_cast<int>(std::clamp(std::round(display), -1e9, 1e9));
    // Permanent deletion only when asked for in so many words: a damaged value
    // must never turn it on.
    const std::string recycleBin =
        settings.getSetting("Options", "RecycleBin", std::to_string(image::DeleteToTrash));
    if (!readNumber(recycleBin))
        unreadable.push_back(
            {"Options", "RecycleBin", recycleBin, std::to_string(image::DeleteToTrash)});
    model.recycleBin = recycleBin == std::to_string(image::DeletePermanent) ? image::DeletePermanent
                                                                            : image::DeleteToTrash;
}

MessageBoxRequest unreadableSettingsMessage(const std::vector<UnreadableSetting>& unreadable) {
    std::string text = "These saved settings could not be read; their defaults are used:";
    for (const UnreadableSetting& setting : unreadable)
        text += "\r\n" + setting.section + "/" + setting.key + " = \"" + shownValue(setting.value) +
                "\" (default " + setting.defaultValue + ")";
    return {text, "Settings", MsgIcon::Exclamation, MsgButtons::OK, 1};
}

const std::array<std::string_view, 13>& tipTexts() {
    static const std::array<std::string_view, 13> tips = {
        "Using a byte to byte checking is the best way to ensure that all true duplicates "
        "have been found.",
        "Looking for duplicates by name alone can help to find old versions of files that are "
        "no longer needed. However, without checking byte to byte and crc32 you could delete "
        "files that are not truly duplicates.",
        "You can control if files are deleted permanently, or moved to the Trash first. "
        "Moving to the Trash is the safest and most wise method of removal but the downside "
        "of using the Trash is that the space occupied by the removed files is not freed "
        "until you actually empty the Trash.",
        "You can quickly select/mark all duplicate files, or all files except a specific file "
        "using the appropriate Mark method on the Action > Mark menu.",
        "All items on the Action menu are also available on the context menu which can be "
        "accessed by right clicking on a result window.",
        "You can open a file in it's associated viewer by double clicking on it in the results.",
        "Many common commands have shortcut keys. Shortcuts are listed next to the text of "
        "items in menus.",
        "Ignoring system files and hidden files cleans up the results and protects against "
        "accidental deletion of important files.",
        "You can specify minimum and maximum file sizes for search, by doing so you can "
        "concentrate on files that waste a lot of disk space.",
        "Twinsift automatically preview common image format e.g. jpeg, gif, bmp etc when "
        "select a file.",
        "Welcome to Twinsift. Twinsift can search your computer for TRUE duplicate files by "
        "using byte to byte, CRC32, Same Name to give you most accurate results.",
        "Twinsift WARN if you by mistake select/mark all files within each group then you are "
        "given an opportunity to cancel the deletion or continue with the deletion.",
        "Now you can save search sessions including result for later review. This will help "
        "you when you deal with huge number of files. Just click on File > Save Sessions and "
        "from Save Dialog select \"Save search parameters and result\" and click on Save",
    };
    return tips;
}

std::size_t randomTipIndex(std::mt19937& generator) {
    std::uniform_int_distribution<std::size_t> pick(0, tipTexts().size() - 1);
    return pick(generator);
}

bool showTipsAtStartup(const SettingsStore& settings) {
    return readNumber(settings.getSetting("Options", "Show Tips at Startup", "1")) == 1.0;
}

void setShowTipsAtStartup(SettingsStore& settings, bool show) {
    settings.saveSetting("Options", "Show Tips at Startup", show ? "1" : "0");
}

bool vistaWarningWanted(const std::string& osDescription, const SettingsStore& settings) {
    return osDescription.find("Windows NT 6") != std::string::npos &&
           readNumber(settings.getSetting("Options", "Vista Message", "0")) == 0.0;
}

void setVistaWarningDismissed(SettingsStore& settings, bool dismissed) {
    settings.saveSetting("Options", "Vista Message", dismissed ? "1" : "0");
}

} // namespace twinsift
