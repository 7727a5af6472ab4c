#include "core/runtime_error.h"
#include "core/text_file.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace twinsift {
namespace {

using test::readFile;
using test::TempDir;

std::set<std::string> namesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

TEST(ReplaceWholeFileTest, keepsPermissionsAndNeverWritesThroughALinkPlantedBesideTheFile) {
    const TempDir shared;
    const TempDir elsewhere;
    const std::string victim = elsewhere.write("victim", "precious");
    const std::string target = shared.write("default.tsf", "old");
    ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
    // Another user who can write the folder guesses the sibling's name.
    ASSERT_EQ(::symlink(victim.c_str(), (target + ".partial").c_str()), 0);

    replaceWholeFile(target, "new text");

    EXPECT_EQ(readFile(target), "new text");
    EXPECT_EQ(readFile(victim), "precious");
    EXPECT_EQ(namesIn(shared.path()),
              (std::set<std::string>{"default.tsf", "default.tsf.partial"}));
    struct stat status {};
    ASSERT_EQ(::stat(target.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
}

TEST(ReplaceWholeFileTest, failureLeavesTheEarlierFileAndNoSibling) {
    const TempDir dir;
    try {
        replaceWholeFile(dir.path() + "missing/file.txt", "x");
        ADD_FAILURE() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), err::PathNotFound);
    }
    // A folder in the way of the rename: the written sibling is removed again.
    dir.mkdir("taken");
    EXPECT_THROW(replaceWholeFile(dir.path() + "taken", "x"), RuntimeError);
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"taken"});
}

} // namespace
} // namespace twinsift
