#include "marking/advanced_marking.h"

#include "marking_rows.h"
#include "support/memory_settings.h"
#include "support/scripted_answerer.h"

#include <gtest/gtest.h>

namespace twinsift {
namespace {

using test::listFiles;
using test::marks;
using test::totalsShown;
using Keep = AdvMarkChoices::Keep;
using Limit = AdvMarkChoices::Limit;

constexpr std::int64_t kMB = 1024 * 1024;

AdvMarkChoices withRule(RuleFrame frame, Keep keep) {
    AdvMarkChoices choices;
    chooseKeepRule(choices, frame, keep);
    return choices;
}

class AdvancedMarkingTest : public ::testing::Test {
protected:
    WindowModel model;
    test::ScriptedAnswerer user;
};

TEST_F(AdvancedMarkingTest, eachRuleKeepsItsFileOfAGroupOfThree) {
    struct Case {
        RuleFrame frame;
        Keep keep;
        const char* marks;
    };
    // Newest, largest and newest version are different files; sizes and
    // versions compare by value (terabytes, "10.0" after "9.2"), "N/A" lowest.
    for (const Case& c : {Case{RuleFrame::DateTime, Keep::Newer, "x.x"},
                          Case{RuleFrame::DateTime, Keep::Older, "xx."},
                          Case{RuleFrame::FileSize, Keep::Newer, ".xx"},
                          Case{RuleFrame::FileSize, Keep::Older, "x.x"},
                          Case{RuleFrame::Version, Keep::Newer, "xx."},
                          Case{RuleFrame::Version, Keep::Older, ".xx"}}) {
        listFiles(model, {{"/d/a", 1, 2'000'000'000'000, 20, "N/A"},
                          {"/d/b", 1, 999'999'999'999, 30, "9.2.0.0"},
                          {"/d/c", 1, 1'000'000'000'000, 10, "10.0.0.0"}});
        EXPECT_TRUE(markByRange(model, user, withRule(c.frame, c.keep)));
        EXPECT_EQ(marks(model), c.marks) << static_cast<int>(c.frame) << static_cast<int>(c.keep);
    }
}

TEST_F(AdvancedMarkingTest, equalKeysKeepTheRowWhoseNumberTextSortsFirstOrLast) {
    std::vector<test::Listed> files(8, {"/d/x", 1});
    for (int row = 9; row <= 12; ++row)
        files.push_back({"/d/y", 2, row == 9 || row == 12 ? 5 : 9});
    listFiles(model, files);
    markByRange(model, user, withRule(RuleFrame::FileSize, Keep::Older));
    EXPECT_EQ(marks(model).substr(8), "xxx."); // "12" sorts before "9"
    markByRange(model, user, withRule(RuleFrame::FileSize, Keep::Newer));
    EXPECT_EQ(marks(model).substr(8), "xx.x"); // "11" sorts after "10"
}

TEST_F(AdvancedMarkingTest, theMaskLeavesOtherRowsAsTheyWere) {
    listFiles(model, {{"/d/a.txt", 1, 1, 30},
                      {"/d/b.doc", 1, 1, 40, "N/A", true},
                      {"/d/c.TXT", 1, 1, 10},
                      {"/d/d.BAK", 1, 1, 20},
                      {"/d/e.jpg", 1}});
    AdvMarkChoices choices;
    choices.rangeMask = "Text files  (*.txt *.bak)";
    markByRange(model, user, choices);
    EXPECT_EQ(marks(model), ".xxx.");
    EXPECT_EQ(totalsShown(model), "Total Files Marked 2 Size 2 Bytes");
}

TEST_F(AdvancedMarkingTest, theCdLimitStopsAtTheFirstMatchingRowPastIt) {
    listFiles(model, {{"/d/a", 1, 400 * kMB, 1},
                      {"/d/b", 1, 400 * kMB, 2},
                      {"/d/c", 2, 400 * kMB, 1},
                      {"/d/d", 2, 400 * kMB, 2},
                      {"/d/e", 3, 1, 1},
                      {"/d/f", 3, 1, 2}});
    AdvMarkChoices choices;
    choices.limit = Limit::CD;
    markByRange(model, user, choices);
    // 400 MB kept back from group 1, then c brings 800 MB (past 700 MB): d
    // and every later row stay as they were, and c is group 2's kept file.
    EXPECT_EQ(marks(model), "x.....");
    EXPECT_EQ(totalsShown(model), "Total Files Marked 1 Size 400.00 MB");
}

TEST_F(AdvancedMarkingTest, sizeLimits) {
    struct Case {
        Limit limit;
        const char* text;
        const char* unit;
        std::optional<std::int64_t> bytes;
    };
    for (const Case& c :
         {Case{Limit::None, "", "KB", 0}, Case{Limit::DVD, "", "KB", 4'589'843 * 1024LL},
          Case{Limit::Specify, "2.7", "KB", 2764}, Case{Limit::Specify, " 2.7 ", "MB", 2 * kMB},
          Case{Limit::Specify, "3", "GB", 3 * 1024 * kMB}, Case{Limit::Specify, "3", "", 0},
          Case{Limit::Specify, "1e30", "GB", INT64_MAX / 2},
          Case{Limit::Specify, "12 KB", "KB", std::nullopt}}) {
        AdvMarkChoices choices;
        choices.limit = c.limit;
        choices.limitText = c.text;
        choices.limitUnit = c.unit;
        EXPECT_EQ(sizeLimitBytes(choices), c.bytes) << c.text << c.unit;
    }
}

TEST_F(AdvancedMarkingTest, refusesALimitThatIsNoNumberAndAnEmptyList) {
    listFiles(model, {{"/d/a", 1}, {"/d/b", 1}});
    AdvMarkChoices choices;
    choices.limit = Limit::Specify;
    choices.limitText = "lots";
    user.expectMessage({"Type only integer values", "Error", MsgIcon::None, MsgButtons::OK},
                       MsgAnswer::OK);
    EXPECT_FALSE(markByRange(model, user, choices));
    EXPECT_EQ(marks(model), "..");

    listFiles(model, {});
    const MessageBoxRequest noDuplicates{
        "No duplicate file has been found!\r\nFirst you must perform a search and find at least "
        "one duplicate file.",
        "Error", MsgIcon::Critical, MsgButtons::OK};
    user.expectMessage(noDuplicates, MsgAnswer::OK).expectMessage(noDuplicates, MsgAnswer::OK);
    EXPECT_FALSE(markByRange(model, user, {}));
    std::vector<bool> ticked;
    EXPECT_FALSE(markByFolders(model, user, ticked, true, "All files(*.*)"));
}

TEST_F(AdvancedMarkingTest, maskMatchTestsWholeExtensions) {
    const std::string documents = "Documents(*.doc *.pdf *.rtf *.xls *.ppt)";
    EXPECT_TRUE(MaskMatch("Report.DOC", documents));
    EXPECT_TRUE(MaskMatch("a.pdf", documents));
    EXPECT_FALSE(MaskMatch("a.do", documents));
    EXPECT_FALSE(MaskMatch("a.docx", documents));
    EXPECT_FALSE(MaskMatch("doc", documents));
    EXPECT_TRUE(MaskMatch("doc", "Mine (*.txt *.*)"));
    EXPECT_TRUE(MaskMatch("a.jpg", presetMasks().front()));
}

TEST_F(AdvancedMarkingTest, byFoldersMarksTickedFoldersAndTheirSubFoldersOnly) {
    listFiles(model, {{"/c/a/1.txt", 1, 10},
                      {"/c/ab/2.txt", 1},
                      {"/c/a/b/3.txt", 2, 5},
                      {"/c/a/b/4.doc", 2},
                      {"/c/x/5.txt", 3}});
    // lvFolders: /c/a/ /c/ab/ /c/a/b/ /c/x/
    std::vector<bool> ticked = {true, false, false, false};
    EXPECT_TRUE(markByFolders(model, user, ticked, true, "Text files  (*.txt *.bak)"));
    EXPECT_EQ(ticked, (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(test::names(model),
              (std::vector<std::string>{"1.txt", "3.txt", "4.doc", "2.txt", "5.txt"}));
    EXPECT_EQ(marks(model), "xx...");
    EXPECT_EQ(totalsShown(model), "Total Files Marked 2 Size 15 Bytes");

    ticked = {true, false, false, false};
    clearAllMarks(model);
    markByFolders(model, user, ticked, false, "All files(*.*)");
    EXPECT_EQ(marks(model), "x....");
}

TEST_F(AdvancedMarkingTest, theRuleFramesExcludeEachOther) {
    AdvMarkChoices choices;
    chooseKeepRule(choices, RuleFrame::FileSize, Keep::Newer);
    EXPECT_EQ(std::tuple(choices.dateRule, choices.sizeRule, choices.versionRule),
              std::tuple(Keep::None, Keep::Newer, Keep::None));
    chooseKeepRule(choices, RuleFrame::FileSize, Keep::None);
    EXPECT_EQ(std::tuple(choices.dateRule, choices.sizeRule, choices.versionRule),
              std::tuple(Keep::Newer, Keep::None, Keep::None));
    chooseKeepRule(choices, RuleFrame::Version, Keep::Older);
    chooseKeepRule(choices, RuleFrame::DateTime, Keep::None);
    EXPECT_EQ(choices.versionRule, Keep::Older);
    EXPECT_EQ(choices.dateRule, Keep::None);
}

TEST_F(AdvancedMarkingTest, choicesSurviveTheSettingsStore) {
    test::MemorySettings settings;
    const AdvMarkChoices defaults = loadAdvMarkChoices(settings);
    EXPECT_EQ(defaults.dateRule, Keep::Newer);
    EXPECT_EQ(defaults.rangeMask, "All files(*.*)");
    EXPECT_TRUE(defaults.includeSubFolders);

    AdvMarkChoices chosen = withRule(RuleFrame::Version, Keep::Older);
    chosen.limit = Limit::Specify;
    chosen.limitText = "12.5";
    chosen.limitUnit = "GB";
    chosen.rangeMask = "Images  (*.bmp *.gif *.jpg *.jpeg *.pcx *.png *.psd *.tif *.wmf)";
    chosen.includeSubFolders = false;
    chosen.folderMask = "*.dat";
    saveAdvMarkChoices(settings, chosen);
    EXPECT_EQ(settings.getSetting("AdvMarking", "Version", ""), "2");
    const AdvMarkChoices loaded = loadAdvMarkChoices(settings);
    EXPECT_EQ(std::tuple(loaded.dateRule, loaded.sizeRule, loaded.versionRule, loaded.limit,
                         loaded.limitText, loaded.limitUnit, loaded.rangeMask,
                         loaded.includeSubFolders, loaded.folderMask),
              std::tuple(Keep::None, Keep::None, Keep::Older, Limit::Specify, std::string("12.5"),
                         std::string("GB"), chosen.rangeMask, false, std::string("*.dat")));

    // Stored rules that contradict each other end as the last rule read.
    settings.saveSetting("AdvMarking", "DateTime", "1");
    settings.saveSetting("AdvMarking", "FileSize", "2");
    settings.saveSetting("AdvMarking", "Version", "0");
    const AdvMarkChoices mended = loadAdvMarkChoices(settings);
    EXPECT_EQ(std::tuple(mended.dateRule, mended.sizeRule, mended.versionRule),
              std::tuple(Keep::None, Keep::Older, Keep::None));
}

} // namespace
} // namespace twinsift
