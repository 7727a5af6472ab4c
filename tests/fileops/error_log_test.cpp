#include "fileops/error_log.h"

#include "support/scripted_answerer.h"
#include "support/temp_dir.h"

#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>

namespace twinsift {
namespace {

using test::ScriptedAnswerer;
using test::TempDir;

// 2026-12-07 14:05:09 local time.
std::time_t afternoon() {
    return test::localTime(2026, 12, 7, 14, 5, 9);
}

const std::vector<FileOpFailure> twoFailures = {
    {"1005", "Unable to delete file: Permission denied", "/a/b.txt"},
    {"1005", "Unable to delete file: changed since the search",
     "/a/c\xff\r\n1005, forged\t\x1b\\.txt"}};

TEST(ErrorLogTest, twoFailuresMakeNineCrLfLinesWithTheSavingTime) {
    const TempDir dir;
    const std::string path = dir.path() + "log.log";
    ASSERT_TRUE(writeErrorLog(path, twoFailures, afternoon()).ok());
    const std::string rule(51, '-');
    EXPECT_EQ(test::readFile(path), rule + "\r\n" + "Twinsift Deletion Error Log File.\r\n" +
                                        "Created at : 07-Dec-2026 02:05:09 PM\r\n" + rule +
                                        "\r\n \r\nError No, Description, File Name\r\n" + rule +
                                        "\r\n1005, Unable to delete file: Permission denied, "
                                        "/a/b.txt\r\n1005, Unable to delete file: changed since "
                                        "the search, /a/c\xff\\r\\n1005, "
                                        "forged\\t\\x1B\\.txt\r\n");
    EXPECT_EQ(errorLogLines(twoFailures, afternoon()).size(), 9u);

    // A second save under the name replaces the first and leaves no temporary file.
    ASSERT_TRUE(writeErrorLog(path, {}, afternoon()).ok());
    EXPECT_EQ(errorLogLines({}, afternoon()).size(), 7u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
    EXPECT_EQ(test::readFile(path).find("/a/b.txt"), std::string::npos);
}

TEST(ErrorLogTest, saveProposesTodaysNameStampsTheSavingTimeAndRefusesAFolder) {
    const TempDir dir;
    const std::string folder = dir.mkdir("folder");
    ScriptedAnswerer user;
    user.expectSaveFile(folder)
        .expectMessage({"cannot write '" + folder + "': Is a directory", "Error", MsgIcon::Critical,
                        MsgButtons::OK},
                       MsgAnswer::OK)
        .expectSaveFile("")
        .expectSaveFile(dir.path() + "saved.log");
    // Each look at the clock is an hour later: the dialog stood open.
    std::int64_t hours = 0;
    const auto clock = [&hours] { return afternoon() + 3600 * hours++; };
    saveErrorLog(twoFailures, user, clock);
    saveErrorLog(twoFailures, user, clock);
    saveErrorLog(twoFailures, user, clock);
    EXPECT_NE(test::readFile(dir.path() + "saved.log").find("Created at : 07-Dec-2026 06:05:09 PM"),
              std::string::npos);
    const test::Question& asked = user.asked().front();
    EXPECT_EQ(asked.proposedName, "Error 07-12-2026");
    EXPECT_EQ(asked.title, "Error Logs");
    EXPECT_EQ(asked.filter, "Error Logs|*.log");
    // Neither the refused folder nor the cancelled dialog wrote anything.
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              2);
}

} // namespace
} // namespace twinsift
