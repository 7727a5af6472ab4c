#pragma once

#include <cstdint>
#include <string>

namespace twinsift {

constexpr std::uint16_t HighWord(std::uint32_t value) {
    return static_cast<std::uint16_t>(value >> 16);
}

constexpr std::uint16_t LowWord(std::uint32_t value) {
    return static_cast<std::uint16_t>(value & 0xFFFF);
}

// True when the path names a regular file, hidden or not. A folder, a symbolic
// link or any error gives false.
bool FileExists(const std::string& path);

// The text after the last "." of a file name; empty when there is none.
std::string ExtensionOf(const std::string& name);

// The file version of a program file (".exe", ".dll", ".ocx", in any case) as
// "a.b.c.d"; "N/A" for other names, for files without a version resource and
// for anything that cannot be read.
std::string VersionText(const std::string& path);

} // namespace twinsift
