#include "marking/originals_check.h"

#include "marking/sort_cols.h"
#include "marking_rows.h"
#include "support/scripted_answerer.h"

#include <gtest/gtest.h>

namespace twinsift {
namespace {

using test::listFiles;
using test::marks;

class OriginalsCheckTest : public ::testing::Test {
protected:
    // Three groups of two, every row marked but the last.
    void SetUp() override {
        listFiles(model, {{"/d/a", 1, 1, 0, "N/A", true},
                          {"/d/b", 1, 1, 0, "N/A", true},
                          {"/d/c", 2, 1, 0, "N/A", true},
                          {"/d/d", 2, 1, 0, "N/A", true},
                          {"/d/e", 3, 1, 0, "N/A", true},
                          {"/d/f", 3}});
    }

    std::vector<std::size_t> warnedRows(std::size_t question) const {
        return user.asked().at(question).rows;
    }

    WindowModel model;
    test::ScriptedAnswerer user;
};

TEST_F(OriginalsCheckTest, warnsForEachFullyMarkedGroupAndKeepsWhatWasUnticked) {
    user.expectOriginalsWarning(OriginalsAnswer::Continue, {1})
        .expectOriginalsWarning(OriginalsAnswer::Continue);
    EXPECT_EQ(checkOriginals(model, user), OriginalsCheck::GoOn);
    EXPECT_EQ(warnedRows(0), (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(warnedRows(1), (std::vector<std::size_t>{2, 3}));
    EXPECT_EQ(marks(model), "x.xxx."); // group 3 has an unmarked row: no warning
}

TEST_F(OriginalsCheckTest, keepAllOriginalsKeepsTheLastRowOfThisAndEveryLaterGroup) {
    model.rows[5].icon = image::Marked;
    user.expectOriginalsWarning(OriginalsAnswer::KeepAllOriginals);
    EXPECT_EQ(checkOriginals(model, user), OriginalsCheck::GoOn);
    EXPECT_EQ(marks(model), "x.x.x.");
}

TEST_F(OriginalsCheckTest, ignoreWarningsLeavesEveryGroupMarked) {
    user.expectOriginalsWarning(OriginalsAnswer::IgnoreWarnings);
    EXPECT_EQ(checkOriginals(model, user), OriginalsCheck::GoOn);
    EXPECT_EQ(marks(model), "xxxxx.");
}

TEST_F(OriginalsCheckTest, closingTheWarningAbandonsTheCommandKeepingItsMarks) {
    user.expectOriginalsWarning(OriginalsAnswer::Closed, {0});
    EXPECT_EQ(checkOriginals(model, user), OriginalsCheck::Abandoned);
    EXPECT_EQ(marks(model), ".xxxx.");
}

TEST_F(OriginalsCheckTest, listsTheGroupInListOrderAfterASortByAnotherColumn) {
    listFiles(model, {{"/d/z", 1, 1, 0, "N/A", true},
                      {"/d/y", 2, 1, 0, "N/A", true},
                      {"/d/x", 1, 1, 0, "N/A", true},
                      {"/d/w", 2}});
    SortCols(model, user, 1, SortRequest::Ascending); // w x y z
    user.expectOriginalsWarning(OriginalsAnswer::Continue);
    checkOriginals(model, user);
    EXPECT_EQ(warnedRows(0), (std::vector<std::size_t>{1, 3}));
}

TEST_F(OriginalsCheckTest, namesRowsBeyond32767) {
    std::vector<test::Listed> files;
    for (std::int32_t group = 1; group <= 20'000; ++group)
        for (int copy = 0; copy < 2; ++copy)
            files.push_back({"/d/f", group, 1, 0, "N/A", group == 20'000});
    listFiles(model, files);
    user.expectOriginalsWarning(OriginalsAnswer::Continue);
    checkOriginals(model, user);
    EXPECT_EQ(warnedRows(0), (std::vector<std::size_t>{39'998, 39'999}));
}

// A session file names its own groups; a huge number must not size a table.
TEST_F(OriginalsCheckTest, findsAFullyMarkedGroupWhateverItsNumber) {
    model.rows.clear();
    for (const char* path : {"/d/a", "/d/b"})
        model.rows.push_back(test::listedRow({path, 2'000'000'000, 1, 0, "N/A", true}));
    user.expectOriginalsWarning(OriginalsAnswer::Continue);
    checkOriginals(model, user);
    EXPECT_EQ(warnedRows(0), (std::vector<std::size_t>{0, 1}));
}

TEST_F(OriginalsCheckTest, theZeroSizeListingIsNeverChecked) {
    model.engine = Engine::ZeroSize;
    EXPECT_EQ(checkOriginals(model, user), OriginalsCheck::GoOn);
}

} // namespace
} // namespace twinsift
