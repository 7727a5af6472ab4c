#include "engine/same_name_engine.h"

#include "core/window_model.h"
#include "support/notice_recorder.h"
#include "support/scripted_answerer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace twinsift {
namespace {

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
        store.records.push_back({size, name, store.folderIndex(folder), 0, {}});
        ++model.FilesFound;
    }

    void search() {
        sortCandidates(model.Candidates, RecordOrder::NameFirst);
        FindSameNames(model, user);
    }

    std::vector<Listed> listed() {
        std::vector<Listed> result;
        const CandidateStore& store = model.Candidates;
        for (const DuplicateEntry& entry : model.DuplicateGroups)
            result.push_back({store.pathOf(store.records.at(entry.record)), entry.shade});
        return result;
    }

    WindowModel model;
    test::ScriptedAnswerer user;
};

// A path listed twice counts once.
TEST_F(SameNameTest, groupsEachNameOfSeveralFilesAndDropsTheRest) {
    add("/x/", "a.txt", 10);
    add("/x/", "a.txt", 10);
    add("/y/", "a.txt", 20);
    add("/z/", "a.txt ", 30);
    add("/x/", "alone", 1);
    add("/x/", "Report.DOC", 5);
    add("/y/", "report.doc", 7);
    add("/x/", "single", 8);
    add("/x/", "unique", 9);
    search();

    const std::vector<Listed> groups{{"/x/a.txt", 1},
                                     {"/y/a.txt", 1},
                                     {"/z/a.txt ", 1},
                                     {"/x/Report.DOC", 2},
                                     {"/y/report.doc", 2}};
    EXPECT_EQ(listed(), groups);
    EXPECT_EQ(model.FilesFound, 8);
    EXPECT_EQ(model.DuplicateCount, 3);
    EXPECT_EQ(model.DuplicateBytes, 20 + 30 + 7);
    // The last candidate is never compared with a next one, so it stays.
    std::vector<std::string> stored;
    for (const FileRecord& record : model.Candidates.records)
        stored.push_back(model.Candidates.pathOf(record));
    EXPECT_EQ(stored, (std::vector<std::string>{"/x/a.txt", "/y/a.txt", "/z/a.txt ",
                                                "/x/Report.DOC", "/y/report.doc", "/x/unique"}));
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
    test::NoticeRecorder notices(model);
    notices.onStatus = [&] { shown.push_back(model.statusPanels[0].text); };
    search();
    // Panel 1 changes only while the count of listed files is a multiple of 100.
    EXPECT_EQ(shown, std::vector<std::string>{"Searching for same name files...(1/5) 20.0%"});

    WindowModel minimised;
    minimised.minimised = true;
    for (const char* folder : {"/1/", "/2/", "/3/"})
        minimised.Candidates.records.push_back(
            {1, "x", minimised.Candidates.folderIndex(folder), 0, {}});
    FindSameNames(minimised, user);
    EXPECT_EQ(minimised.caption, "66.7% (2/3)");
}

} // namespace
} // namespace twinsift
