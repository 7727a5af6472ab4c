#include "marking/sort_cols.h"

#include "marking_rows.h"
#include "support/notice_recorder.h"
#include "support/scripted_answerer.h"

#include <gtest/gtest.h>

namespace twinsift {
namespace {

using test::listFiles;
using test::names;

using Indicators = std::array<SortIndicator, kResultColumnCount>;

Indicators onlyAt(int column, SortIndicator indicator) {
    Indicators indicators{};
    indicators[static_cast<std::size_t>(column - 1)] = indicator;
    return indicators;
}

class SortColsTest : public ::testing::Test {
protected:
    // Two groups whose rows interleave when sorted by name.
    void SetUp() override {
        listFiles(model, {{"/d/b.txt", 1, 5'000'000'000'000},
                          {"/d/D.txt", 1, 999'999'999'999},
                          {"/d/a.txt", 2, 1'000'000'000'000},
                          {"/d/C.txt", 2, 7}});
    }

    WindowModel model;
    test::ScriptedAnswerer user;
};

TEST_F(SortColsTest, headerClicksToggleTheDirectionWithTheArrowOnThatHeaderOnly) {
    // Sizes of a terabyte and more sort by value, not by their padded text.
    SortCols(model, user, 2, SortRequest::Toggle);
    EXPECT_EQ(names(model), (std::vector<std::string>{"b.txt", "a.txt", "D.txt", "C.txt"}));
    EXPECT_EQ(model.sortIndicators, onlyAt(2, SortIndicator::Descending));
    SortCols(model, user, 2, SortRequest::Toggle);
    EXPECT_EQ(names(model), (std::vector<std::string>{"C.txt", "D.txt", "a.txt", "b.txt"}));
    EXPECT_EQ(model.sortIndicators, onlyAt(2, SortIndicator::Ascending));
    // Names compare without regard to case; a command's sort is always ascending.
    SortCols(model, user, 1, SortRequest::Ascending);
    EXPECT_EQ(names(model), (std::vector<std::string>{"a.txt", "b.txt", "C.txt", "D.txt"}));
    EXPECT_EQ(model.sortIndicators, onlyAt(1, SortIndicator::Ascending));
    EXPECT_EQ(model.sortKey, ColFileName);
}

TEST_F(SortColsTest, hiddenKeyColumnsLeaveTheSortAsItIs) {
    SortCols(model, user, 2, SortRequest::Toggle);
    const auto sorted = names(model);
    test::NoticeRecorder notices(model);
    for (const int hidden : {7, 8, 9}) {
        SortCols(model, user, hidden, SortRequest::Toggle);
        EXPECT_EQ(names(model), sorted);
        EXPECT_EQ(model.sortKey, ColSortSize);
        EXPECT_TRUE(model.sortDescending);
        EXPECT_EQ(model.sortIndicators, onlyAt(2, SortIndicator::Descending));
    }
    EXPECT_TRUE(notices.rowNotices.empty());
}

TEST_F(SortColsTest, shadesGroupsAgainOnlyWhenTheListHoldsGroups) {
    SortCols(model, user, 1, SortRequest::Ascending); // groups 2 1 2 1
    EXPECT_EQ(model.RowShades, (std::vector<std::int32_t>{1, 2, 3, 4}));

    listFiles(model, {{"/d/b", 0}, {"/d/a", 0}});
    model.engine = Engine::ZeroSize;
    model.RowShades.clear();
    SortCols(model, user, 1, SortRequest::Ascending);
    EXPECT_TRUE(model.RowShades.empty());
}

TEST_F(SortColsTest, selectionAndFocusStayWithTheirRows) {
    model.rows[1].selected = true; // D.txt
    model.focusedRow = 2;          // a.txt
    test::NoticeRecorder notices(model);
    SortCols(model, user, 1, SortRequest::Ascending);
    EXPECT_TRUE(model.rows[3].selected);
    EXPECT_EQ(model.focusedRow, 0U);
    EXPECT_EQ(notices.rowNotices.front(), "reordered 4");

    // A list already in order is left alone.
    notices.rowNotices.clear();
    SortCols(model, user, 1, SortRequest::Ascending);
    EXPECT_EQ(notices.rowNotices, (std::vector<std::string>{"changed 0-3"})); // shading only
}

} // namespace
} // namespace twinsift
