#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace twinsift {

// The whole content of a file; nothing when it does not exist. Any other
// failure throws the RuntimeError that systemError gives.
std::optional<std::string> readWholeFile(const std::string& path);

// Writes `text` to a sibling file and renames it over `path`, so that a
// failure half-way (a full disk) leaves the earlier file as it was. Throws the
// RuntimeError of the failure (76 "Path not found" when the folder is missing);
// no partial file is left behind.
void replaceWholeFile(const std::string& path, std::string_view text);

} // namespace twinsift
