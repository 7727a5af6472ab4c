#include "platform/app_paths.h"

#include "core/runtime_error.h"
#include "support/temp_dir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace twinsift {
namespace {

// Sets or unsets one environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

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
