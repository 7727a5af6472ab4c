#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace twinsift {

// What the problem report tells about the machine.
struct SystemInfo {
    std::string computerName;
    std::string systemName; // kernel name, "Linux"
    std::string release;    // kernel release
    std::string version;    // kernel build text
    std::uint64_t totalRamBytes = 0;
    std::uint64_t availableRamBytes = 0;
    std::string ipAddress; // first IPv4 address of the host name; empty when none
};

// The facts of the running machine.
SystemInfo readSystemInfo();

// The system-information text, one CR LF ended line each: computer name, OS,
// "Service Pack", total and available memory in units of 1043321 bytes,
// IP address.
std::string GetSysInfo(const SystemInfo& info);

// "OS : " + kernel name + " " + release, the operating-system line of the
// system information; the start-up check for old Windows versions reads it.
std::string osDescription(const SystemInfo& info);
std::string osDescription();

namespace detail {
// The MemAvailable figure of a /proc/meminfo text in bytes.
std::optional<std::uint64_t> memAvailableBytes(std::string_view meminfo);
} // namespace detail

} // namespace twinsift
