#pragma once

#include <string>
#include <vector>

namespace twinsift {

struct WindowModel;
class ShellServices;
class UserInterface;

// Rename: asks for the focused row's new name until it holds none of the
// nine forbidden characters, then renames the file without ever replacing
// another (an existing name is said and asked again). The row takes the new
// name; its other cells stay. Nothing without rows or a focused row.
void renameFocusedFile(WindowModel& model, UserInterface& ui, ShellServices& shell);

// The full paths of the marked rows in list order ("Open Mark Files").
std::vector<std::string> markedPaths(const WindowModel& model);

// Whether the picture viewer shows a file: the last four characters of its
// name, lower-cased, are one of the viewer's types, or its name ends in one
// of the types the platform's image readers add.
bool isPictureName(const std::string& name);

} // namespace twinsift
