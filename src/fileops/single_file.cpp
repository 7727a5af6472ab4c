#include "fileops/single_file.h"

#include "core/convert.h"
#include "core/file_info.h"
#include "core/format.h"
#include "core/io_result.h"
#include "core/text_compare.h"
#include "core/window_model.h"
#include "platform/settings_store.h"
#include "platform/shell_services.h"
#include "platform/user_interface.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace twinsift {
namespace {

// The nine characters a name may not hold, and NUL, which would end the name
// early where the system reads it.
constexpr std::string_view kForbidden{"\\/:*?\"<>|\0", 10};

MessageBoxRequest forbiddenCharactersMessage() {
    return {"A file name cannot contain any of the following characters:\r\n\\ / : * ? \" <> |",
            "Error", MsgIcon::None, MsgButtons::OK, 1};
}

MessageBoxRequest nameTakenMessage(const std::string& name) {
    return {"\"" + name + "\" already exists in this folder.\r\nPlease type another name.",
            "Rename", MsgIcon::Exclamation, MsgButtons::OK, 1};
}

std::string permissionsText(mode_t mode) {
    std::string text = S_ISREG(mode) ? "-" : S_ISDIR(mode) ? "d" : S_ISLNK(mode) ? "l" : "?";
    constexpr std::array<std::pair<mode_t, char>, 9> kBits{{{S_IRUSR, 'r'},
                                                            {S_IWUSR, 'w'},
                                                            {S_IXUSR, 'x'},
                                                            {S_IRGRP, 'r'},
                                                            {S_IWGRP, 'w'},
                                                            {S_IXGRP, 'x'},
                                                            {S_IROTH, 'r'},
                                                            {S_IWOTH, 'w'},
                                                            {S_IXOTH, 'x'}}};
    for (const auto& [bit, letter] : kBits)
        text += (mode & bit) ? letter : '-';
    char octal[8];
    std::snprintf(octal, sizeof octal, "%04o", static_cast<unsigned>(mode & 07777));
    return text + " (" + octal + ")";
}

std::string ownerText(uid_t uid, gid_t gid) {
    std::array<char, 16384> buffer{};
    std::string user = std::to_string(uid);
    passwd account{};
    passwd* found = nullptr;
    if (::getpwuid_r(uid, &account, buffer.data(), buffer.size(), &found) == 0 && found)
        user = found->pw_name;
    std::string groupName = std::to_string(gid);
    group entry{};
    group* foundGroup = nullptr;
    if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &foundGroup) == 0 && foundGroup)
        groupName = foundGroup->gr_name;
    return user + ", group " + groupName;
}

std::string timeText(const statx_timestamp& stamp) {
    return dateTimeText(localDateTime(static_cast<std::time_t>(stamp.tv_sec)));
}

double storedTwips(const SettingsStore& settings, const char* key, double defaultValue) {
    return readNumber(settings.getSetting("PicWindowSize", key, formatFixed(defaultValue, 0)))
        .value_or(defaultValue);
}

} // namespace

void renameFocusedFile(WindowModel& model, UserInterface& ui, ShellServices& shell) {
    const std::optional<std::string> path = focusedPath(model);
    if (!path)
        return;
    const std::size_t row = *model.focusedRow;
    const std::string current = model.rows[row].name();
    const std::string folder = model.rows[row].folder();
    for (;;) {
        const std::string answer =
            ui.inputBox("Please type new name for\r\n" + current, "Rename", current).value_or("");
        if (answer.find_first_of(kForbidden) != std::string::npos) {
            ui.messageBox(forbiddenCharactersMessage());
            continue;
        }
        const std::string name(trimmed(answer));
        if (name.empty() || name == current)
            return;
        const IoResult renamed = shell.ShellRename(*path, folder + name);
        if (renamed.ok()) {
            renameResultRow(model, row, name);
            return;
        }
        if (renamed.error().error != EEXIST) {
            ui.messageBox(
                {renamed.error().message(), "Rename", MsgIcon::Critical, MsgButtons::OK, 1});
            return;
        }
        ui.messageBox(nameTakenMessage(name));
    }
}

std::optional<std::string> focusedPath(const WindowModel& model) {
    if (!model.focusedRow || *model.focusedRow >= model.rows.size())
        return std::nullopt;
    return model.rows[*model.focusedRow].fullPath();
}

std::vector<std::string> markedPaths(const WindowModel& model) {
    std::vector<std::string> paths;
    for (const ResultRow& row : model.rows)
        if (row.marked())
            paths.push_back(row.fullPath());
    return paths;
}

bool isPictureName(const std::string& name) {
    constexpr std::string_view kViewerTypes = ".bmp .dib .gif .jpg .wmf .emf .ico .cur";
    const std::string_view lastFour =
        std::string_view(name).substr(name.size() - std::min<std::size_t>(name.size(), 4));
    if (kViewerTypes.find(foldCase(lastFour)) != std::string_view::npos)
        return true;
    constexpr std::array<std::string_view, 6> kReadableTypes{"png", "jpeg", "webp",
                                                             "tif", "tiff", "svg"};
    const std::string extension = foldCase(ExtensionOf(name));
    return std::find(kReadableTypes.begin(), kReadableTypes.end(), extension) !=
           kReadableTypes.end();
}

PicturePreview previewOfFocusedRow(const WindowModel& model) {
    if (!model.pictureViewerOn())
        return {};
    const std::optional<std::string> path = focusedPath(model);
    if (!path)
        return {};
    if (!isPictureName(model.rows[*model.focusedRow].name()))
        return {PicturePreview::Hide, {}};
    return {PicturePreview::Show, *path};
}

WindowGeometry savedPictureViewerGeometry(const SettingsStore& settings) {
    WindowGeometry g;
    g.width = storedTwips(settings, "W", 2000);
    g.height = storedTwips(settings, "H", 2500);
    g.top = storedTwips(settings, "T", 2500);
    g.left = storedTwips(settings, "L", 9000);
    return g;
}

void savePictureViewerGeometry(SettingsStore& settings, const WindowGeometry& geometry) {
    settings.saveSetting("PicWindowSize", "W", formatFixed(geometry.width, 0));
    settings.saveSetting("PicWindowSize", "H", formatFixed(geometry.height, 0));
    settings.saveSetting("PicWindowSize", "T", formatFixed(geometry.top, 0));
    settings.saveSetting("PicWindowSize", "L", formatFixed(geometry.left, 0));
}

std::vector<std::pair<std::string, std::string>> fileProperties(const std::string& path) {
    const auto slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::vector<std::pair<std::string, std::string>> shown{{"Name", path.substr(folder.size())},
                                                           {"Folder", folder}};
    struct statx info {};
    if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME,
                &info) != 0) {
        shown.emplace_back("Error", IoError{"examine", path, errno}.message());
        return shown;
    }
    const auto size = static_cast<std::int64_t>(info.stx_size);
    std::string sizeText = std::to_string(size) + " bytes";
    if (size >= 1024)
        sizeText = SizeText(size) + " (" + sizeText + ")";
    shown.emplace_back("Size", sizeText);
    shown.emplace_back("Modified", timeText(info.stx_mtime));
    // As the list does: the modification time where the file system keeps no birth time.
    shown.emplace_back("Created",
                       timeText((info.stx_mask & STATX_BTIME) ? info.stx_btime : info.stx_mtime));
    shown.emplace_back("Accessed", timeText(info.stx_atime));
    shown.emplace_back("Permissions", permissionsText(info.stx_mode));
    shown.emplace_back("Owner", ownerText(info.stx_uid, info.stx_gid));
    shown.emplace_back("Version", VersionText(path));
    return shown;
}

} // namespace twinsift
