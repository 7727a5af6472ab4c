#include "engine/result_list.h"

#include "core/format.h"
#include "core/runtime_error.h"
#include "engine/worker_pool.h"
#include "support/notice_recorder.h"
#include "support/scripted_answerer.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace twinsift {
namespace {

using test::ScriptedAnswerer;
using test::TempDir;

// 2024-03-05 14:07 local time, as the walk gives it.
std::time_t walkedTime() {
    return test::localTime(2024, 3, 5, 14, 7);
}

// A candidate and its entry as the walk and an engine leave them.
void addResult(WindowModel& model, const std::string& folder, const std::string& name,
               std::int64_t size, std::int32_t shade) {
    CandidateStore& store = model.Candidates;
    store.records.push_back(
        {size, name, store.folderIndex(folder), walkedTime(), test::seenNow(folder + name)});
    model.DuplicateGroups.push_back({static_cast<std::uint32_t>(store.size() - 1), shade});
}

std::vector<std::string> column(const WindowModel& model, ResultColumn c) {
    std::vector<std::string> texts;
    for (const ResultRow& row : model.rows)
        texts.push_back(row.text(c));
    return texts;
}

std::vector<bool> shading(const WindowModel& model) {
    std::vector<bool> shaded;
    for (std::size_t r = 0; r < model.rows.size(); ++r)
        shaded.push_back(rowIsShaded(model, r));
    return shaded;
}

class ResultListTest : public ::testing::Test {
protected:
    // Files a..f in two groups of three, shades 1 and 2.
    void twoGroupsOfThree() {
        for (const std::string name : {"a", "b", "c", "d", "e", "f"}) {
            dir.write(name, "x");
            addResult(model, dir.path(), name, 1, name < "d" ? 1 : 2);
        }
    }

    TempDir dir;
    WindowModel model;
    ScriptedAnswerer user;
    WorkerPool pool{2};
};

TEST_F(ResultListTest, fillsEveryColumnFromTheListedFile) {
    const std::string content(1234, 'x');
    dir.write("archive.tar.gz", content);
    dir.write("README", content);
    dir.write("sub/README", content);
    // What decides reads the file's own time, to the nanosecond, not the minute shown.
    const timespec times[2] = {{0, UTIME_OMIT}, {1'700'000'059, 123'456'789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir.path() + "README").c_str(), times, 0), 0);
    addResult(model, dir.path(), "archive.tar.gz", 1234, 1);
    addResult(model, dir.path(), "README", 1234, 1);
    addResult(model, dir.path() + "sub/", "README", 1234, 1);
    ListDuplicateGroups(model, user, pool);

    ASSERT_EQ(model.rows.size(), 3u);
    const ResultRow& row = model.rows[0];
    std::vector<std::string> texts;
    for (const ResultColumn c : {ColFileName, ColSize, ColSortSize, ColLastModified, ColSortDate,
                                 ColFileVersion, ColInFolder, ColSortGrpno})
        texts.push_back(row.text(c));
    EXPECT_EQ(texts, (std::vector<std::string>{"archive.tar.gz", "1234", "000000001234",
                                               "2024-03-05 14:07", "20240305140700", "N/A",
                                               dir.path(), "00000000001"}));
    EXPECT_EQ(column(model, ColExt), (std::vector<std::string>{"gz", "", ""}));
    // The listing holds the rows alone.
    EXPECT_TRUE(model.Candidates.empty());
    EXPECT_TRUE(model.DuplicateGroups.empty());
    EXPECT_EQ(model.rows[2].fullPath(), dir.path() + "sub/README");
    EXPECT_EQ(model.lvFolders, (std::vector<std::string>{dir.path(), dir.path() + "sub/"}));

    struct stat status {};
    ASSERT_EQ(::stat((dir.path() + "README").c_str(), &status), 0);
    const RowFacts& facts = model.rows[1].facts;
    EXPECT_EQ(facts.size, 1234);
    EXPECT_EQ(facts.lastWriteSeconds, 1'700'000'059);
    EXPECT_EQ(facts.lastWriteNanoseconds, 123'456'789);
    EXPECT_EQ(facts.group, 1);
    EXPECT_EQ(facts.identity, (FileIdentity{status.st_dev, status.st_ino}));
}

TEST_F(ResultListTest, numbersAndShadesTheGroupsLeavingVanishedFilesOut) {
    twoGroupsOfThree();
    ::unlink((dir.path() + "b").c_str());
    ListDuplicateGroups(model, user, pool);
    EXPECT_EQ(column(model, ColFileName), (std::vector<std::string>{"a", "c", "d", "e", "f"}));
    EXPECT_EQ(column(model, ColGroup), (std::vector<std::string>{"1", "1", "2", "2", "2"}));
    EXPECT_EQ(shading(model), (std::vector<bool>{false, false, true, true, true}));
    EXPECT_EQ(model.GroupSizes, (std::vector<std::int32_t>{0, 2, 3}));

    // A group that lost every file is left out; its neighbours share a shade
    // but stay apart, or marking would take them for copies of one file.
    WindowModel again;
    for (const std::string name : {"g1", "g2", "gone1", "gone2", "g3", "g4"}) {
        if (!name.starts_with("gone"))
            dir.write(name, "x");
        addResult(again, dir.path(), name, 1, name.starts_with("gone") ? 2 : 1);
    }
    ListDuplicateGroups(again, user, pool);
    EXPECT_EQ(column(again, ColGroup), (std::vector<std::string>{"1", "1", "2", "2"}));
    EXPECT_EQ(again.GroupCount, 2);
    EXPECT_EQ(shading(again), (std::vector<bool>{false, false, true, true}));
}

// An error report abandoned in the middle of the listing leaves the rows
// listed so far; pruning then bounds group numbers by the count.
TEST_F(ResultListTest, aListingStoppedPartWayCountsTheGroupsItNumbered) {
    twoGroupsOfThree();
    model.GroupCount = 7; // the last scan's
    model.yield = [&] {
        if (model.rows.size() == 3) // the first group listed, the second not begun
            throw RuntimeError(5, "stopped");
    };
    EXPECT_THROW(ListDuplicateGroups(model, user, pool), RuntimeError);
    EXPECT_EQ(column(model, ColGroup), (std::vector<std::string>{"1", "1", "1"}));
    EXPECT_EQ(model.GroupCount, 1);
}

TEST_F(ResultListTest, showsProgressEveryFiveHundredElements) {
    dir.write("same", "x");
    for (int i = 0; i < 1000; ++i)
        addResult(model, dir.path(), "same", 1, 1);
    std::vector<std::string> progress;
    test::NoticeRecorder notices(model);
    notices.onStatus = [&] {
        progress.push_back(model.statusPanels[0].text + " " + std::to_string(model.progress.done) +
                           " of " + std::to_string(model.progress.total));
    };
    ListDuplicateGroups(model, user, pool);
    EXPECT_EQ(progress,
              (std::vector<std::string>{"Loading Searched Result... 0 of 1000",
                                        "Loading Searched Result...(500/1000) 500 of 1000",
                                        "Loading Searched Result...(1000/1000) 1000 of 1000"}));
    // The rows come into view as the progress goes, then their shading.
    EXPECT_EQ(notices.rowNotices, (std::vector<std::string>{"replaced", "inserted 0-499",
                                                            "inserted 500-999", "changed 0-999"}));
}

TEST_F(ResultListTest, emptyStoreLeavesAnEmptyList) {
    model.rows.resize(3);
    ListDuplicateGroups(model, user, pool);
    EXPECT_TRUE(model.rows.empty());
    EXPECT_EQ(model.GroupCount, 0);
    EXPECT_TRUE(model.RowShades.empty());
}

TEST_F(ResultListTest, pruningDropsGroupsLeftWithOneRowAndReshades) {
    twoGroupsOfThree();
    for (const std::string name : {"g", "h"}) {
        dir.write(name, "x");
        addResult(model, dir.path(), name, 1, 1);
    }
    ::unlink((dir.path() + "b").c_str());
    ::unlink((dir.path() + "c").c_str());
    ListDuplicateGroups(model, user, pool);
    ASSERT_EQ(column(model, ColGroup), (std::vector<std::string>{"1", "2", "2", "2", "3", "3"}));

    test::NoticeRecorder notices(model);
    RemoveRemainingOriginal(model, user);
    EXPECT_EQ(notices.rowNotices, (std::vector<std::string>{"removed 0-0", "changed 0-4"}));
    EXPECT_EQ(column(model, ColFileName), (std::vector<std::string>{"d", "e", "f", "g", "h"}));
    // Numbers are kept, so the first group left is 2 and gets the plain background.
    EXPECT_EQ(column(model, ColGroup), (std::vector<std::string>{"2", "2", "2", "3", "3"}));
    EXPECT_EQ(shading(model), (std::vector<bool>{false, false, false, true, true}));
    EXPECT_EQ(model.GroupSizes, (std::vector<std::int32_t>{0, 1, 3, 2}));
    EXPECT_EQ(model.GroupCount, 3);
}

TEST_F(ResultListTest, pruningLeavesTheZeroSizeListingAndForeignGroupTextsAlone) {
    for (const char* name : {"a", "b"})
        model.rows.push_back(makeResultRow(name, "/f/", "N/A", "", {}));
    model.engine = Engine::ZeroSize;
    RemoveRemainingOriginal(model, user);
    EXPECT_EQ(model.rows.size(), 2u);

    // A group number past the count must not be counted out of bounds.
    model.engine = Engine::ByteByByte;
    model.GroupCount = 1;
    model.rows[1].facts.group = 99999;
    RemoveRemainingOriginal(model, user);
    EXPECT_EQ(model.rows.size(), 2u);
}

TEST(DuplicateTotalsTest, countEveryRowOfAGroupButItsFirstWhereverItStands) {
    std::vector<ResultRow> rows;
    for (const auto& [group, size] : {std::pair{1, 10}, {2, 3}, {1, 10}, {2, 3}, {1, 10}}) {
        RowFacts facts;
        facts.group = group;
        facts.size = size;
        rows.push_back(makeResultRow("x", "/f/", "", "", facts));
    }
    EXPECT_EQ(duplicateTotals(rows), (DuplicateTotals{3, 23}));
    EXPECT_EQ(duplicateTotals({}), DuplicateTotals{});
}

} // namespace
} // namespace twinsift
