#include "engine/fuzzy_engine.h"

#include "engine/worker_pool.h"

#include "core/window_model.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
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
        return fuzzyGroups(test::walkedNow(paths), size, pool, notCancelled);
    }

    TempDir tree;
    WorkerPool pool{2};
    std::atomic<bool> notCancelled{false};

private:
    int m_written = 0;
};

// Unrelated files must never match: an empty final block is no block, and an
// equal final partial block (a shared trailer, a final newline) counts as one
// block more, never alone.
TEST_F(FuzzyTest, matchesOnHalfTheBlocksCountingAFinalPartialBlockAsOneMore) {
    std::string ten;
    for (char letter = 'a'; letter < 'k'; ++letter)
        ten += block(letter);
    std::string threeDiffer = ten;
    std::string sixDiffer = ten;
    for (std::size_t b : {1, 4, 7})
        threeDiffer.replace(b * 1000, 1000, block('z'));
    for (std::size_t b : {0, 1, 3, 4, 7, 9})
        sixDiffer.replace(b * 1000, 1000, block('z'));
    const std::string ab = block('a') + block('b');
    const std::string cd = block('c') + block('d');
    const std::string tail = block('t', 500);
    const std::string otherTail = block('t', 499) + "u";
    struct Case {
        std::string a, b;
        bool match;
    } cases[] = {
        {block('a', 999), block('a', 999), false},
        {block('a'), block('a'), true},
        {ab + tail, block('a') + block('c') + otherTail, true},
        {ab + block('c') + tail, block('a') + cd + otherTail, false},
        {ten + "1", threeDiffer + "2", true},
        {ten + "1", sixDiffer + "2", false},
        {ab, cd, false},
        {ab + tail, cd + tail, false},
        {ab + tail, cd + otherTail, false},
        {ab + block('c') + tail, block('a') + cd + tail, true},
        {ab + cd + tail, block('a') + block('x') + block('y') + block('z') + tail, false},
        {block('a') + tail, block('b') + tail, false},
        {test::randomBytes(3000, 3) + "\n", test::randomBytes(3000, 4) + "\n", false},
        {test::randomBytes(100000, 5) + "%%EOF\n", test::randomBytes(100000, 6) + "%%EOF\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.a.size()) + " bytes, expected match " +
                     std::to_string(c.match));
        EXPECT_EQ(groupsOf({c.a, c.b}), (c.match ? Groups{{0, 1}} : Groups{}));
    }
}

TEST(FuzzyThresholdTest, roundingToFourDecimalsDecidesForVeryLongFiles) {
    EXPECT_EQ(detail::equalBlocksNeeded(3), 2);
    // 1,000,000 of 2,000,001 blocks is 49.999975 %, which rounds to 50.
    EXPECT_EQ(detail::equalBlocksNeeded(2'000'001), 1'000'000);
    EXPECT_EQ(detail::equalBlocksNeeded(200'001), 100'001);
    // Beyond 32 bits of blocks, as a file of several terabytes has.
    const std::int64_t huge = std::int64_t{5} << 32;
    EXPECT_TRUE(detail::enoughEqualBlocks(huge, detail::equalBlocksNeeded(huge)));
    EXPECT_FALSE(detail::enoughEqualBlocks(huge, detail::equalBlocksNeeded(huge) - 1));
}

TEST_F(FuzzyTest, missingShortenedOrUnreadableFilesMatchNothing) {
    const std::string content = block('a') + block('b');
    std::vector<std::string> paths = files({content, content, content, content});
    std::filesystem::remove(paths[0]);
    std::filesystem::resize_file(paths[1], 1999);
    paths.push_back(tree.path());
    // A name that turned into a pipe since the walk: opening it must not wait
    // for a writer that never comes.
    const std::string pipe = tree.path() + "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    paths.push_back(pipe);
    EXPECT_EQ(group(paths, 2000), (Groups{{2, 3}}));
}

} // namespace
} // namespace twinsift
