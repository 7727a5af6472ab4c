#include "platform/app_paths.h"
#include "platform/system_info.h"

#include "core/runtime_error.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <regex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace twinsift {
namespace {
using test::ScopedEnv;

TEST(UserDataFolderTest, isMadeBelowXdgDataHomeOrHomeAndNowhereElse) {
    const test::TempDir home;
    {
        const ScopedEnv data("XDG_DATA_HOME", (home.path() + "data").c_str());
        EXPECT_EQ(userDataFolder(), home.path() + "data/Twinsift/");
    }
    const ScopedEnv data("XDG_DATA_HOME", "relative/data"); // not absolute: ignored
    const ScopedEnv homeVariable("HOME", home.path().c_str());
    const std::string folder = userDataFolder();
    EXPECT_EQ(folder, home.path() + ".local/share/Twinsift/");
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // Without a usable home it never falls back to a shared folder.
    const ScopedEnv noData("XDG_DATA_HOME", nullptr);
    for (const char* unusable : {static_cast<const char*>(nullptr), "", "home/me"}) {
        const ScopedEnv unusableHome("HOME", unusable);
        try {
            ADD_FAILURE() << "fell back to " << userDataFolder();
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.number(), err::PathNotFound);
            EXPECT_NE(error.description().find("HOME"), std::string::npos);
        }
    }
    // The shipped resources are still found.
    EXPECT_FALSE(findResource("bugreport.brpt").empty());
}

TEST(SystemInfoTest, formatsEachLineWithCrLfAndMemoryInItsOwnUnit) {
    SystemInfo info;
    info.computerName = "build-host";
    info.systemName = "Linux";
    info.release = "6.1.0-18-amd64";
    info.version = "#1 SMP PREEMPT_DYNAMIC Debian 6.1.76-1";
    // 1043321 * 16 + 521660 is just under half a unit more, + 521661 just over.
    info.totalRamBytes = 1043321ULL * 16 + 521660;
    info.availableRamBytes = 1043321ULL * 3 + 521661;
    info.ipAddress = "192.168.1.20";

    EXPECT_EQ(GetSysInfo(info), "Computer Name: build-host\r\n"
                                "OS : Linux 6.1.0-18-amd64\r\n"
                                "Service Pack: #1 SMP PREEMPT_DYNAMIC Debian 6.1.76-1\r\n"
                                "Total Ram: 16\r\n"
                                "Ram Available: 4\r\n"
                                "IP Address: 192.168.1.20\r\n");
    // An unresolved host gives an empty address line.
    EXPECT_TRUE(GetSysInfo({}).ends_with("Total Ram: 0\r\nRam Available: 0\r\nIP Address: \r\n"));
}

TEST(SystemInfoTest, readsMemAvailableOnlyFromItsOwnLine) {
    EXPECT_EQ(detail::memAvailableBytes("MemTotal:       16318412 kB\n"
                                        "MemFree:         1020304 kB\n"
                                        "MemAvailable:    8000000 kB\n"),
              8000000ULL * 1024);
    EXPECT_EQ(detail::memAvailableBytes("XMemAvailable: 5 kB\nMemAvailable: 7 kB\n"), 7 * 1024);
    EXPECT_EQ(detail::memAvailableBytes("MemTotal: 5 kB\n"), std::nullopt);
    EXPECT_EQ(detail::memAvailableBytes("MemAvailable: lots\n"), std::nullopt);
    EXPECT_EQ(detail::memAvailableBytes("MemAvailable:"), std::nullopt);
    EXPECT_EQ(detail::memAvailableBytes("MemAvailable: 99999999999999999999 kB"), std::nullopt);
}

TEST(SystemInfoTest, describesTheRunningMachine) {
    const SystemInfo info = readSystemInfo();
    char host[256] = {};
    ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
    EXPECT_EQ(info.computerName, host);
    EXPECT_EQ(info.systemName, "Linux");
    EXPECT_GT(info.totalRamBytes, 0u);
    EXPECT_LE(info.availableRamBytes, info.totalRamBytes);
    EXPECT_TRUE(info.ipAddress.empty() ||
                std::regex_match(info.ipAddress, std::regex(R"(\d+\.\d+\.\d+\.\d+)")))
        << info.ipAddress;

    EXPECT_EQ(osDescription(), osDescription(info));
    EXPECT_TRUE(osDescription().starts_with("OS : Linux "));
}

} // namespace
} // namespace twinsift
