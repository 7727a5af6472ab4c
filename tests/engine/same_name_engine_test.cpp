#include "engine/same_name_engine.h"

#include "core/format.h"
#include "core/window_model.h"
#include "support/scripted_answerer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace twinsift {
namespace {

using test::ScriptedAnswerer;

std::string text(const Variant& value) {
    return std::string(value.text());
}

std::int64_t number(const Variant& value) {
    return value.wholeNumber().value_or(-1);
}

struct Listed {
    std::string path;
    int shade;
    bool operator==(const Listed&) const = default;
};

void PrintTo(const Listed& listed, std::ostream* out) {
    *out << listed.path << " (shade " << listed.shade << ")";
}

class SameNameTest : public ::testing::Test {
protected:
    void add(const std::string& folder, const std::string& name, std::int64_t size = 1) {
        CandidateStore& store = model.Candidates;
        store.records.push_back({size, name, store.folderIndex(folder), 0});
        ++model.FilesFound;
    }

    void search() {
        sortCandidates(model.Candidates, RecordOrder::NameFirst);
        FindSameNames(model, user);
    }

    std::vector<Listed> listed() {
        std::vector<Listed> result;
        CHive& groups = model.DuplicateGroups;
        for (std::int32_t i = 1; i <= groups.Count(); ++i)
            result.push_back({text(groups.Item2(i)) + text(groups.Item1(i)),
                              static_cast<int>(number(groups.Item4(i)))});
        return result;
    }

    std::vector<std::string> storedNames() const {
        std::vector<std::string> names;
        for (const FileRecord& record : model.Candidates.records)
            names.push_back(model.Candidates.pathOf(record));
        return names;
    }

    WindowModel model;
    ScriptedAnswerer user;
};

TEST_F(SameNameTest, groupsNamesEqualApartFromLetterCaseWithTheResultLayout) {
    model.Candidates.records.push_back(
        {1234, "Report.DOC", model.Candidates.folderIndex("/b/"), std::time_t{86400 * 365}});
    add("/a/", "report.doc", 99);
    model.FilesFound = 2;
    search();

    ASSERT_EQ(model.DuplicateGroups.Count(), 2);
    CHive& groups = model.DuplicateGroups;
    EXPECT_EQ(text(groups.Item(1)), "000000000099");
    EXPECT_EQ(text(groups.Item1(1)), "report.doc");
    EXPECT_EQ(text(groups.Item2(1)), "/a/");
    EXPECT_EQ(text(groups.Item3(1)), "N/A");
    EXPECT_EQ(text(groups.Item(2)), "000000001234");
    EXPECT_EQ(text(groups.Item1(2)), "Report.DOC");
    EXPECT_EQ(text(groups.Item5(2)), fileTimeText(86400 * 365));
    EXPECT_EQ(number(groups.Item4(1)), 1);
    EXPECT_EQ(number(groups.Item4(2)), 1);
    EXPECT_EQ(model.DuplicateCount, 1);
    EXPECT_EQ(model.DuplicateBytes, 1234);
}

TEST_F(SameNameTest, countsEveryMemberButTheFirstAndAlternatesShades) {
    add("/x/", "a.txt", 10);
    add("/y/", "a.txt", 20);
    add("/z/", "a.txt", 30);
    add("/x/", "b.txt", 5);
    add("/y/", "B.TXT", 7);
    add("/x/", "c.txt", 8);
    search();

    EXPECT_EQ(
        listed(),
        (std::vector<Listed>{
            {"/x/a.txt", 1}, {"/y/a.txt", 1}, {"/z/a.txt", 1}, {"/x/b.txt", 2}, {"/y/B.TXT", 2}}));
    EXPECT_EQ(model.DuplicateCount, 3);
    EXPECT_EQ(model.DuplicateBytes, 20 + 30 + 7);
    EXPECT_EQ(model.GroupShade, 2);
}

TEST_F(SameNameTest, uniqueNamesLeaveTheStoreAndAreNeverListed) {
    add("/x/", "alone.txt");
    add("/x/", "pair.txt");
    add("/y/", "pair.txt");
    add("/x/", "single.txt");
    add("/y/", "twice.txt");
    add("/x/", "twice.txt");
    search();

    EXPECT_EQ(storedNames(), (std::vector<std::string>{"/x/pair.txt", "/y/pair.txt", "/x/twice.txt",
                                                       "/y/twice.txt"}));
    EXPECT_EQ(model.DuplicateGroups.Count(), 4);
}

TEST_F(SameNameTest, noRepeatedNameListsNothing) {
    add("/x/", "one");
    add("/x/", "two");
    search();
    EXPECT_EQ(model.DuplicateGroups.Count(), 0);
    EXPECT_EQ(model.DuplicateCount, 0);
}

TEST_F(SameNameTest, namesEqualOnceTrimmedOfBlanksAreOneGroup) {
    add("/x/", "a.txt");
    add("/y/", "a.txt ");
    search();
    EXPECT_EQ(model.DuplicateGroups.Count(), 2);
}

TEST_F(SameNameTest, aPathListedTwiceCountsOnce) {
    add("/x/", "a.txt");
    add("/x/", "a.txt");
    add("/y/", "a.txt");
    search();

    EXPECT_EQ(model.FilesFound, 2);
    EXPECT_EQ(listed(), (std::vector<Listed>{{"/x/a.txt", 1}, {"/y/a.txt", 1}}));
    EXPECT_EQ(model.DuplicateCount, 1);
}

TEST_F(SameNameTest, cancelKeepsTheGroupsListedAndTheUnvisitedFiles) {
    for (const char* folder : {"/1/", "/2/"}) {
        add(folder, "first");
        add(folder, "second");
    }
    int yields = 0;
    model.yield = [&] {
        if (++yields == 2)
            model.SearchCancelled = true;
    };
    search();
    EXPECT_EQ(listed(), (std::vector<Listed>{{"/1/first", 1}, {"/2/first", 1}}));
    EXPECT_EQ(model.DuplicateCount, 1);
    EXPECT_EQ(model.Candidates.size(), 4u);
}

TEST_F(SameNameTest, reportsProgressInThePanelOrTheMinimisedCaption) {
    for (const char* name : {"a", "b", "b", "c", "d"})
        add(std::string("/") + name + std::to_string(model.Candidates.size()) + "/", name);
    std::vector<std::string> shown;
    model.changed = [&] { shown.push_back(model.statusPanels[0].text); };
    search();
    // Panel 1 changes only while the count of listed files is a multiple of 100.
    EXPECT_EQ(shown, std::vector<std::string>{"Searching for same name files...(1/5) 20.0%"});

    WindowModel minimised;
    minimised.minimised = true;
    for (int i = 0; i < 3; ++i)
        minimised.Candidates.records.push_back(
            {1, "x", minimised.Candidates.folderIndex("/f" + std::to_string(i) + "/"), 0});
    FindSameNames(minimised, user);
    EXPECT_EQ(minimised.caption, "66.7% (2/3)");
}

} // namespace
} // namespace twinsift
