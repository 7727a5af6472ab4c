#include "marking/quick_marks.h"

#include "marking_rows.h"
#include "support/notice_recorder.h"
#include "support/scripted_answerer.h"

#include <gtest/gtest.h>

namespace twinsift {
namespace {

using test::listFiles;
using test::marks;
using test::names;
using test::totalsShown;

class QuickMarksTest : public ::testing::Test {
protected:
    WindowModel model;
    test::ScriptedAnswerer user;
};

TEST_F(QuickMarksTest, markAllDuplicatesKeepsTheNewestFileOfEachGroup) {
    // Sorted by name, the groups interleave; the command sorts by group first.
    listFiles(model, {{"/d/a", 1, 100, 10},
                      {"/d/b", 2, 200, 50},
                      {"/d/c", 1, 100, 30},
                      {"/d/d", 2, 200, 40},
                      {"/d/e", 1, 100, 20},
                      {"/d/f", 3, 700, 90}});
    model.rows[5].icon = image::Marked;
    markAllDuplicates(model, user);
    EXPECT_EQ(names(model), (std::vector<std::string>{"a", "c", "e", "b", "d", "f"}));
    EXPECT_EQ(model.sortKey, ColSortGrpno);
    EXPECT_EQ(marks(model), "x.x.x."); // a one-row group ends unmarked
    EXPECT_EQ(totalsShown(model), "Total Files Marked 3 Size 400 Bytes");
}

TEST_F(QuickMarksTest, markAllDuplicatesKeepsTheRowWhoseNumberSortsLastAmongEqualTimes) {
    std::vector<test::Listed> files(8, {"/d/x", 1, 1, 5});
    for (const std::int64_t seconds : {100, 50, 50, 100}) // rows 9 to 12
        files.push_back({"/d/y", 2, 1, seconds});
    listFiles(model, files);
    markAllDuplicates(model, user);
    EXPECT_EQ(marks(model).substr(8), ".xxx"); // "9" sorts after "12"
}

TEST_F(QuickMarksTest, markFolderStopsAtTheFolderOrTakesItsSubFoldersButNoSibling) {
    const std::vector<test::Listed> files = {{"/c/a/1"}, {"/c/a/b/2"}, {"/c/ab/3"}, {"/c/a/4"}};
    listFiles(model, files);
    model.focusedRow = 3;
    markFolder(model, false);
    EXPECT_EQ(marks(model), "x..x");
    listFiles(model, files);
    model.focusedRow = 0;
    markFolder(model, true);
    EXPECT_EQ(marks(model), "xx.x");
    EXPECT_EQ(totalsShown(model), "Total Files Marked 3 Size 3 Bytes");
}

TEST_F(QuickMarksTest, commandsAnnounceOnlyTheRowsWhoseMarkChanged) {
    listFiles(model, {{"/d/a", 1, 1024, 0, "N/A", true},
                      {"/d/b", 1, 512},
                      {"/d/c", 1, 1, 0, "N/A", true},
                      {"/d/d"},
                      {"/d/e"}});
    test::NoticeRecorder notices(model);
    markAll(model);
    EXPECT_EQ(notices.rowNotices, (std::vector<std::string>{"changed 1-1", "changed 3-4"}));
    EXPECT_EQ(totalsShown(model), "Total Files Marked 5 Size 1.50 KB");

    notices.rowNotices.clear();
    flipMark(model, 2);
    EXPECT_EQ(notices.rowNotices, (std::vector<std::string>{"changed 2-2"}));
    EXPECT_EQ(totalsShown(model), "Total Files Marked 4 Size 1.50 KB");

    invertMarks(model);
    EXPECT_EQ(marks(model), "..x..");
    markNone(model);
    EXPECT_EQ(marks(model), ".....");
    EXPECT_EQ(totalsShown(model), "Total Files Marked 0 Size 0 Bytes");
}

TEST_F(QuickMarksTest, selectionCommandsFollowTheFocusedRow) {
    listFiles(model, {{"/d/a", 1, 1, 0, "N/A", true}, {"/d/b"}, {"/d/c"}});
    model.rows[1].selected = true;
    model.rows[2].selected = true;
    model.focusedRow = 1; // unmarked: the selection gets marked
    markSelectionLikeFocus(model);
    EXPECT_EQ(marks(model), "xxx");
    markSelectionLikeFocus(model); // now marked: the selection loses its marks
    EXPECT_EQ(marks(model), "x..");
    EXPECT_EQ(totalsShown(model), "Total Files Marked 1 Size 1 Bytes");
}

TEST_F(QuickMarksTest, removalDropsMarkedRowsAndGroupsLeftWithOneRow) {
    listFiles(model, {{"/d/a", 1, 1, 0, "N/A", true},
                      {"/d/b", 1, 1, 0, "N/A", true},
                      {"/d/c", 1},
                      {"/d/d", 2, 1, 0, "N/A", true},
                      {"/d/e", 2},
                      {"/d/f", 2}});
    removeMarkedFromResult(model, user);
    EXPECT_EQ(names(model), (std::vector<std::string>{"e", "f"}));

    user.expectMessage({"No items marked/checked", "Error", MsgIcon::None, MsgButtons::OK},
                       MsgAnswer::OK);
    removeMarkedFromResult(model, user);
    EXPECT_EQ(names(model), (std::vector<std::string>{"e", "f"}));
}

TEST_F(QuickMarksTest, removalFromTheZeroSizeListingKeepsLoneRows) {
    model.engine = Engine::ZeroSize;
    listFiles(model, {{"/d/a", 0, 0, 0, "N/A", true}, {"/d/b", 0, 0}});
    removeMarkedFromResult(model, user);
    EXPECT_EQ(names(model), (std::vector<std::string>{"b"}));
}

} // namespace
} // namespace twinsift
