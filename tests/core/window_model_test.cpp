#include "core/window_model.h"

#include <gtest/gtest.h>

namespace twinsift {
namespace {

ResultRow rowOf(const std::string& name, const std::string& group) {
    ResultRow row;
    row.columns[ColFileName] = name;
    row.columns[ColGroup] = group;
    row.facts.group = std::stoi(group);
    row.columns[ColInFolder] = "/f/";
    return row;
}

std::vector<bool> shades(const WindowModel& model) {
    std::vector<bool> shaded;
    for (std::size_t r = 0; r < model.rows.size(); ++r)
        shaded.push_back(rowIsShaded(model, r));
    return shaded;
}

TEST(RowShadesTest, alternateByRunOfGroupNumber) {
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
}

TEST(RowShadesTest, suspendedOrStaleShadingDrawsPlain) {
    WindowModel model;
    model.rows = {rowOf("a", "1"), rowOf("b", "2")};
    computeRowShades(model);
    model.rows.push_back(rowOf("c", "3")); // added before the next refresh
    EXPECT_FALSE(rowIsShaded(model, 2));
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
        groups.push_back(row.columns[ColGroup]);
    EXPECT_EQ(groups, (std::vector<std::string>{"2", "3", "1", "5", "4"}));

    sortResultRows(model, ColFileName, true);
    EXPECT_EQ(model.rows.front().columns[ColGroup], "4");
    EXPECT_EQ(model.rows.back().columns[ColFileName], "alpha");
    EXPECT_TRUE(model.sortDescending);

    sortResultRows(model, kResultColumnCount, false); // no such column: nothing moves
    EXPECT_EQ(model.rows.front().columns[ColGroup], "4");
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
    EXPECT_EQ(facts.statusPanels.size(), 5u);
    EXPECT_EQ(facts.statusPanels[1], "Duplicates : 0");
    ASSERT_EQ(facts.searchPaths.size(), 1u);
    EXPECT_EQ(facts.searchPaths[0],
              (std::vector<std::string>{"/home/me/", "Yes", "All(*.*)", "0", ""}));
    EXPECT_EQ(facts.error.procedure, "Sorting");
}

} // namespace
} // namespace twinsift
