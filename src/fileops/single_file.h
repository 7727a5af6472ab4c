#pragma once

#include "core/startup.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace twinsift {

struct WindowModel;
class SettingsStore;
class ShellServices;
class UserInterface;

// Rename: asks for the focused row's new name until it holds none of the
// nine forbidden characters, then renames the file without ever replacing
// another (an existing name is said and asked again). The row takes the new
// name; its other facts stay. Nothing without rows or a focused row.
void renameFocusedFile(WindowModel& model, UserInterface& ui, ShellServices& shell);

// The full path of the focused row; nothing without rows or a focused row.
std::optional<std::string> focusedPath(const WindowModel& model);

// The full paths of the marked rows in list order ("Open Mark Files").
std::vector<std::string> markedPaths(const WindowModel& model);

// Whether the picture viewer shows a file: the last four characters of its
// name, lower-cased, are one of the viewer's types, or its name ends in one
// of the types the platform's image readers add.
bool isPictureName(const std::string& name);

// What the picture viewer does when the user moves to another row.
struct PicturePreview {
    enum Step { Nothing, Show, Hide };
    Step step = Nothing;
    std::string path; // Show: the picture to load
};
PicturePreview previewOfFocusedRow(const WindowModel& model);

// The viewer window's geometry in twips under "PicWindowSize"; a stored text
// that is not a number gives that value's default.
WindowGeometry savedPictureViewerGeometry(const SettingsStore& settings);
void savePictureViewerGeometry(SettingsStore& settings, const WindowGeometry& geometry);

// What a properties window shows of a file, caption and text in order:
// name, folder, size, times, permissions, owner, version. A file that cannot
// be examined gives its name, its folder and the reason.
std::vector<std::pair<std::string, std::string>> fileProperties(const std::string& path);

} // namespace twinsift
