#include "engine/fuzzy_engine.h"

#include "engine/find_duplicates.h"
#include "engine/worker_pool.h"

#include "core/window_model.h"
#include "reference_engine.h"
#include "support/scripted_answerer.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace twinsift {
namespace {

using Groups = std::vector<std::vector<std::size_t>>;
using test::TempDir;

// A block of 1000 bytes (or `length`) filled with one letter.
std::string block(char letter, std::size_t length = 1000) {
    return std::string(length, letter);
}

class FuzzyTest : public ::testing::Test {
protected:
    // Writes each content as its own file; the paths in the same order.
    std::vector<std::string> files(const std::vector<std::string>& contents) {
        std::vector<std::string> paths;
        for (const std::string& content : contents)
            paths.push_back(tree.write(std::to_string(m_written++), content));
        return paths;
    }

    Groups groupsOf(const std::vector<std::string>& contents) {
        return group(files(contents), static_cast<std::int64_t>(contents.front().size()));
    }

    Groups group(const std::vector<std::string>& paths, std::int64_t size) {
        return fuzzyGroups(paths, size, pool, notCancelled);
    }

    TempDir tree;
    WorkerPool pool{2};
    std::atomic<bool> notCancelled{false};

private:
    int m_written = 0;
};

TEST_F(FuzzyTest, filesUnderOneBlockNeverMatch) {
    EXPECT_EQ(groupsOf({block('a', 999), block('a', 999)}), Groups{});
    EXPECT_EQ(groupsOf({block('a'), block('a')}), (Groups{{0, 1}}));
}

TEST_F(FuzzyTest, halfTheBlocksEqualIsEnough) {
    const std::string tailA = block('x', 500);
    const std::string tailB = block('y', 500);
    EXPECT_EQ(groupsOf({block('a') + block('b') + tailA, block('a') + block('c') + tailB}),
              (Groups{{0, 1}}));
    EXPECT_EQ(groupsOf({block('a') + block('b') + block('c') + tailA,
                        block('a') + block('d') + block('e') + tailB}),
              Groups{});
}

TEST_F(FuzzyTest, tenBlocksWithThreeDifferingMatchButSixDifferingDoNot) {
    std::string base;
    for (char letter = 'a'; letter < 'k'; ++letter)
        base += block(letter);
    std::string threeDiffer = base;
    std::string sixDiffer = base;
    for (std::size_t b : {1, 4, 7})
        threeDiffer.replace(b * 1000, 1000, block('z'));
    for (std::size_t b : {0, 1, 3, 4, 7, 9})
        sixDiffer.replace(b * 1000, 1000, block('z'));
    EXPECT_EQ(groupsOf({base + "tail1", threeDiffer + "tail2"}), (Groups{{0, 1}}));
    EXPECT_EQ(groupsOf({base + "tail1", sixDiffer + "tail2"}), Groups{});
}

TEST_F(FuzzyTest, theFinalPartialBlockDecidesBelowHalf) {
    // Whole blocks only: the empty final blocks are equal.
    EXPECT_EQ(groupsOf({block('a') + block('b'), block('c') + block('d')}), (Groups{{0, 1}}));
    EXPECT_EQ(groupsOf({block('a') + block('b') + block('t', 500),
                        block('c') + block('d') + block('t', 500)}),
              (Groups{{0, 1}}));
    EXPECT_EQ(groupsOf({block('a') + block('b') + block('t', 499) + "1",
                        block('c') + block('d') + block('t', 499) + "2"}),
              Groups{});
}

TEST_F(FuzzyTest, roundingToFourDecimalsDecidesForVeryLongFiles) {
    EXPECT_EQ(detail::equalBlocksNeeded(1), 1);
    EXPECT_EQ(detail::equalBlocksNeeded(2), 1);
    EXPECT_EQ(detail::equalBlocksNeeded(3), 2);
    EXPECT_EQ(detail::equalBlocksNeeded(10), 5);
    // 1,000,000 of 2,000,001 blocks is 49.999975 %, which rounds to 50.
    EXPECT_EQ(detail::equalBlocksNeeded(2'000'001), 1'000'000);
    EXPECT_EQ(detail::equalBlocksNeeded(200'001), 100'001);
    // Beyond 32 bits of blocks, as a file of several terabytes has.
    const std::int64_t huge = std::int64_t{5} << 32;
    EXPECT_TRUE(detail::enoughEqualBlocks(huge, detail::equalBlocksNeeded(huge)));
    EXPECT_FALSE(detail::enoughEqualBlocks(huge, detail::equalBlocksNeeded(huge) - 1));
}

TEST_F(FuzzyTest, eachGroupIsItsFirstFileAndWhatMatchesIt) {
    // B matches A and C, A does not match C, and D matches C only. In the
    // order A, B, C, D, A takes B and then C takes D; with B first, B takes
    // A and C, and D is left alone.
    const std::string tail1 = block('1', 10);
    const std::string tail2 = block('2', 10);
    const std::string a = block('a') + block('b') + block('c') + block('d') + tail1;
    const std::string b = block('a') + block('b') + block('x') + block('x') + tail2;
    const std::string c = block('y') + block('b') + block('x') + block('x') + tail1.substr(1) + "c";
    const std::string d = block('y') + block('z') + block('x') + block('w') + tail2.substr(1) + "d";
    EXPECT_EQ(groupsOf({a, b, c, d}), (Groups{{0, 1}, {2, 3}}));
    EXPECT_EQ(groupsOf({b, a, c, d}), (Groups{{0, 1, 2}}));
}

TEST_F(FuzzyTest, missingShortenedOrUnreadableFilesMatchNothing) {
    const std::string content = block('a') + block('b');
    std::vector<std::string> paths = files({content, content, content, content});
    std::filesystem::remove(paths[0]);
    std::filesystem::resize_file(paths[1], 1999);
    paths.push_back(tree.path());
    EXPECT_EQ(group(paths, 2000), (Groups{{2, 3}}));
}

TEST_F(FuzzyTest, aCancelledSearchFindsNothingMore) {
    const std::vector<std::string> paths = files({block('a'), block('a')});
    std::atomic<bool> cancelled{true};
    EXPECT_EQ(fuzzyGroups(paths, 1000, pool, cancelled), Groups{});
}

// Every slot of every listed element, in order.
std::vector<std::string> listedElements(CHive& groups) {
    std::vector<std::string> elements;
    for (std::int32_t i = 1; i <= groups.Count(); ++i) {
        const Variant shade = groups.Item4(i);
        elements.push_back(
            std::string(groups.Item(i).text()) + "|" + std::string(groups.Item2(i).text()) +
            std::string(groups.Item1(i).text()) + "|" + std::string(groups.Item3(i).text()) + "|" +
            std::to_string(shade.wholeNumber().value_or(0)) + "|" +
            std::string(groups.Item5(i).text()));
    }
    return elements;
}

// Random small trees whose files are made of few distinct blocks and tails,
// so that partial and non-transitive matches are common, with a vanished
// file now and then: the search must list what the pairwise loop lists.
TEST(FuzzySearchTest, listsWhatThePairwiseLoopListsOnRandomTrees) {
    const std::vector<std::size_t> sizes{999, 1000, 2000, 2500, 3001, 4700};
    for (unsigned seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        TempDir tree;
        CandidateStore store;
        std::int32_t found = 0;
        for (const std::size_t size : sizes) {
            const std::size_t count = random() % 7;
            for (std::size_t i = 0; i < count; ++i) {
                std::string content;
                for (std::size_t b = 0; b < size / 1000; ++b)
                    content += block(static_cast<char>('a' + random() % 3));
                content += block(static_cast<char>('a' + random() % 2), size % 1000);
                const std::string folder = tree.mkdir("d" + std::to_string(random() % 3));
                const std::string name = std::to_string(size) + "_" + std::to_string(i);
                tree.write(folder.substr(tree.path().size()) + name, content);
                if (random() % 15 == 0)
                    std::filesystem::remove(folder + name);
                store.records.push_back({static_cast<std::int64_t>(size), name,
                                         store.folderIndex(folder), std::time_t{60}});
                ++found;
            }
        }
        sortCandidates(store, RecordOrder::SizeFirst);

        WindowModel fast;
        WindowModel literal;
        for (WindowModel* model : {&fast, &literal}) {
            model->engine = Engine::ByteByByte;
            model->chkFuzzy.checked = true;
            model->Candidates = store;
            model->FilesFound = found;
            model->workerThreads = 2;
        }
        test::ScriptedAnswerer user;
        FindDuplicates(fast, user);
        test::reference::FindDuplicates(literal);

        EXPECT_EQ(listedElements(fast.DuplicateGroups), listedElements(literal.DuplicateGroups));
        EXPECT_EQ(fast.DuplicateCount, literal.DuplicateCount);
        EXPECT_EQ(fast.DuplicateBytes, literal.DuplicateBytes);
        EXPECT_EQ(fast.GroupShade, literal.GroupShade);
    }
}

} // namespace
} // namespace twinsift
