#include "core/window_model.h"
#include "support/notice_recorder.h"

#include <gtest/gtest.h>

namespace twinsift {
namespace {

ResultRow rowOf(const std::string& name, const std::string& group) {
    RowFacts facts;
    facts.group = std::stoi(group);
    return makeResultRow(name, "/f/", "", "", facts);
}

std::vector<std::string> names(const WindowModel& model) {
    std::vector<std::string> listed;
    for (const ResultRow& row : model.rows)
        listed.push_back(row.name() + (row.selected ? "*" : ""));
    return listed;
}

std::vector<bool> shades(const WindowModel& model) {
    std::vector<bool> shaded;
    for (std::size_t r = 0; r < model.rows.size(); ++r)
        shaded.push_back(rowIsShaded(model, r));
    return shaded;
}

TEST(RowShadesTest, alternateByRunOfGroupNumberWhileCurrent) {
    WindowModel model;
    for (const char* group : {"1", "1", "1", "2", "2", "2", "3"})
        model.rows.push_back(rowOf("x", group));
    computeRowShades(model);
    EXPECT_EQ(model.RowShades, (std::vector<std::int32_t>{1, 1, 1, 2, 2, 2, 3}));
    EXPECT_EQ(shades(model), (std::vector<bool>{false, false, false, true, true, true, false}));

    // After a re-order that interleaves groups every change flips the shade.
    model.rows = {rowOf("a", "1"), rowOf("b", "2"), rowOf("c", "1")};
    computeRowShades(model);
    EXPECT_EQ(shades(model), (std::vector<bool>{false, true, false}));

    // Stale or suspended shading draws plain.
    model.rows.push_back(rowOf("d", "2")); // added before the next refresh
    EXPECT_FALSE(rowIsShaded(model, 3));
    model.ShadingSuspended = true;
    EXPECT_FALSE(rowIsShaded(model, 1));
}

TEST(SortResultRowsTest, sortsByKeyTextIgnoringCaseAndKeepsTiesInOrder) {
    WindowModel model;
    model.rows = {rowOf("beta", "1"), rowOf("Alpha", "2"), rowOf("alpha", "3"), rowOf("Ärger", "4"),
                  rowOf("BETA", "5")};
    sortResultRows(model, ColFileName, false);
    std::vector<std::string> groups;
    for (const ResultRow& row : model.rows)
        groups.push_back(row.text(ColGroup));
    EXPECT_EQ(groups, (std::vector<std::string>{"2", "3", "1", "5", "4"}));

    sortResultRows(model, ColFileName, true);
    EXPECT_EQ(model.rows.front().text(ColGroup), "4");
    EXPECT_EQ(model.rows.back().name(), "alpha");
    EXPECT_TRUE(model.sortDescending);

    sortResultRows(model, kResultColumnCount, false); // no such column: nothing moves
    EXPECT_EQ(model.rows.front().text(ColGroup), "4");
}

// What the user chose stays on the same files, and the view is told only
// what moved: a mark repaints its rows, a removal names the runs that went.
TEST(ResultRowChangesTest, keepSelectionAndFocusOnTheirFilesAndAnnounceTheirScope) {
    WindowModel model;
    for (const char* name : {"e", "a", "d", "b", "c", "f"})
        model.rows.push_back(rowOf(name, "1"));
    model.rows[2].selected = true; // d
    model.rows[4].selected = true; // c
    model.focusedRow = 4;
    test::NoticeRecorder notices(model);

    markRows(model, {2, 2}, true);
    markRows(model, {4, 9}, true); // cut to the list
    markRows(model, {6, 9}, true); // past the end: nothing
    markRows(model, {4, 4}, false);
    EXPECT_TRUE(model.rows[2].marked());
    EXPECT_FALSE(model.rows[4].marked());
    EXPECT_TRUE(model.rows[5].marked());

    sortResultRows(model, ColFileName, false);
    EXPECT_EQ(names(model), (std::vector<std::string>{"a", "b", "c*", "d*", "e", "f"}));
    EXPECT_EQ(model.focusedRow, 2u);
    EXPECT_TRUE(model.rows[3].marked());

    removeResultRows(model, [](const ResultRow& row) {
        return row.name() == "a" || row.name() == "b" || row.name() == "e";
    });
    removeResultRows(model, [](const ResultRow&) { return false; });
    EXPECT_EQ(names(model), (std::vector<std::string>{"c*", "d*", "f"}));
    EXPECT_EQ(model.focusedRow, 0u);

    // The focused row itself going leaves no row focused.
    removeResultRows(model, [](const ResultRow& row) { return row.name() == "c"; });
    EXPECT_EQ(model.focusedRow, std::nullopt);
    EXPECT_EQ(notices.rowNotices,
              (std::vector<std::string>{"changed 2-2", "changed 4-5", "changed 4-4", "reordered 6",
                                        "removed 0-1 4-4", "removed 0-0"}));

    clearResultRows(model);
    EXPECT_TRUE(model.rows.empty());
    EXPECT_EQ(notices.rowNotices.back(), "replaced");
}

TEST(ProblemReportFactsTest, carryEngineStatusAndSearchPaths) {
    WindowModel model;
    model.engine = Engine::Crc32;
    model.chkFuzzy.checked = true;
    model.statusPanels[1].text = "Duplicates : 0";
    model.SearchList.push_back({"/home/me/", {"Yes", "All(*.*)", "0", "", "01/02/2020", ""}});
    const ProblemReportFacts facts = problemReportFacts(model, {9, "Subscript", "Sorting", 2});
    EXPECT_EQ(facts.engineOption, 2);
    EXPECT_TRUE(facts.fuzzy);
    EXPECT_EQ(facts.statusPanels[1], "Duplicates : 0");
    EXPECT_EQ(facts.searchPaths,
              (std::vector<std::vector<std::string>>{{"/home/me/", "Yes", "All(*.*)", "0", ""}}));
}

} // namespace
} // namespace twinsift
