#include "platform/app_paths.h"

#include "core/runtime_error.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

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

} // namespace
} // namespace twinsift
