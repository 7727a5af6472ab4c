#include "core/candidates.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace twinsift {
namespace {

struct Entry {
    std::int64_t size;
    std::string name;
    std::string folder;
    std::time_t lastWrite = 0;
};

std::vector<std::string> sortedNames(const std::vector<Entry>& entries, RecordOrder order) {
    CandidateStore store;
    for (const Entry& e : entries)
        store.records.push_back({e.size, e.name, store.folderIndex(e.folder), e.lastWrite, {}});
    sortCandidates(store, order);
    std::vector<std::string> names;
    for (const FileRecord& r : store.records)
        names.push_back(store.folderOf(r) + r.name);
    return names;
}

TEST(CandidateOrderTest, comparesSizesAsNumbersAndNamesAsFieldsIgnoringCase) {
    EXPECT_EQ(sortedNames({{10, "b", "/x/"}, {9, "a", "/x/"}}, RecordOrder::SizeFirst),
              (std::vector<std::string>{"/x/a", "/x/b"}));
    // Beyond twelve digits text order and number order part ways.
    EXPECT_EQ(sortedNames({{2'000'000'000'000, "a", "/x/"}, {999'999'999'999, "b", "/x/"}},
                          RecordOrder::SizeFirst),
              (std::vector<std::string>{"/x/b", "/x/a"}));
    // Equal sizes: name, then folder, each without regard to case.
    EXPECT_EQ(sortedNames({{5, "b", "/x/"}, {5, "A", "/y/"}, {5, "a", "/X/"}, {5, "A", "/w/"}},
                          RecordOrder::SizeFirst),
              (std::vector<std::string>{"/w/A", "/X/a", "/y/A", "/x/b"}));
    // Name first keeps equal names together whatever their size.
    EXPECT_EQ(sortedNames({{1, "B", "/x/"}, {9, "a", "/x/"}, {3, "A", "/y/"}, {2, "ab", "/x/"}},
                          RecordOrder::NameFirst),
              (std::vector<std::string>{"/y/A", "/x/a", "/x/ab", "/x/B"}));
    // "?" is a name character: "a?b" sorts between "a" and "b", never split.
    EXPECT_EQ(
        sortedNames({{1, "b", "/x/"}, {1, "a?b", "/x/"}, {1, "a", "/z?/"}}, RecordOrder::SizeFirst),
        (std::vector<std::string>{"/z?/a", "/x/a?b", "/x/b"}));
    // Bytes that are not UTF-8 have a fixed place: after every ASCII name.
    EXPECT_EQ(sortedNames({{1, "\xff", "/x/"}, {1, "z", "/x/"}}, RecordOrder::SizeFirst),
              (std::vector<std::string>{"/x/z", "/x/\xff"}));
}

TEST(CandidateOrderTest, theTimeDecidesLastAndFoldersAreSharedOnlyWhenRepeated) {
    CandidateStore store;
    EXPECT_EQ(store.folderIndex("/a/"), 0u);
    EXPECT_EQ(store.folderIndex("/a/"), 0u);
    EXPECT_EQ(store.folderIndex("/b/"), 1u);
    const FileRecord later{1, "n", 0, 3600 * 24, {}};
    const FileRecord earlier{1, "n", 0, 60, {}};
    EXPECT_GT(compareRecords(store, later, earlier, RecordOrder::SizeFirst), 0);
    EXPECT_EQ(compareRecords(store, earlier, earlier, RecordOrder::NameFirst), 0);
}

} // namespace
} // namespace twinsift
