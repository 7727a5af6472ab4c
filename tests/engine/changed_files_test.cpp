// Files change under a running search: a folder is swapped for a link, a
// file is replaced, truncated or rewritten between the walk, the reads of the
// comparison and the listing. None of that may put a file in a group whose
// other members it does not equal, for any comparison.

#include "engine/find_duplicates.h"
#include "engine/result_list.h"
#include "engine/same_name_engine.h"
#include "engine/worker_pool.h"

#include "core/walked_file.h"
#include "core/window_model.h"
#include "reference_engine.h"
#include "support/scripted_answerer.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace twinsift {
namespace {

using test::TempDir;

using test::reference::Mode;

void overwrite(const std::string& path, std::int64_t offset, const std::string& bytes) {
    test::awaitNewFileTime();
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), offset), ssize_t(bytes.size()));
    ::close(fd);
}

// Runs `change` once, after the `nth` read of the file at `path` (counting
// from 1), on the thread that read it; removed again when the test ends.
class ChangeDuringComparison {
public:
    ChangeDuringComparison(std::string path, int nth, std::function<void()> change)
        : m_path(std::move(path)), m_left(nth), m_change(std::move(change)) {
        detail::afterComparisonRead = [this](const std::string& read) {
            std::lock_guard lock(m_mutex);
            if (read == m_path && m_left > 0 && --m_left == 0)
                m_change();
        };
    }
    ~ChangeDuringComparison() { detail::afterComparisonRead = nullptr; }
    bool happened() {
        std::lock_guard lock(m_mutex);
        return m_left == 0;
    }

private:
    std::mutex m_mutex;
    std::string m_path;
    int m_left;
    std::function<void()> m_change;
};

class ChangedFilesBase : public ::testing::Test {
protected:
    // Writes the file and lists it as the walk would.
    std::string add(const std::string& relativePath, const std::string& content) {
        const std::string path = dir.write(relativePath, content);
        const std::size_t slash = path.rfind('/');
        CandidateStore& store = model.Candidates;
        store.records.push_back({std::int64_t(content.size()), path.substr(slash + 1),
                                 store.folderIndex(path.substr(0, slash + 1)), 0,
                                 test::seenNow(path)});
        ++model.FilesFound;
        return path;
    }

    // The files the comparison left out as changed, below the test folder.
    std::vector<std::string> changed() const {
        std::vector<std::string> paths;
        for (const SkippedItem& item : model.skipped.items()) {
            EXPECT_EQ(item.reason, "changed during the search");
            paths.push_back(item.path.substr(dir.path().size()));
        }
        return paths;
    }

    // The files the comparison puts in groups, below the test folder.
    std::vector<std::string> grouped() {
        sortCandidates(model.Candidates, RecordOrder::SizeFirst);
        FindDuplicates(model, user, pool);
        std::vector<std::string> paths;
        const CandidateStore& store = model.Candidates;
        for (const DuplicateEntry& entry : model.DuplicateGroups)
            paths.push_back(store.pathOf(store.records.at(entry.record)).substr(dir.path().size()));
        return paths;
    }

    TempDir dir;
    WindowModel model;
    test::ScriptedAnswerer user;
    WorkerPool pool{2};
};

class ChangedFilesTest : public ChangedFilesBase, public ::testing::WithParamInterface<Mode> {
protected:
    ChangedFilesTest() {
        model.engine = GetParam().engine;
        model.chkFuzzy.checked = GetParam().fuzzy;
    }

    // One of `count` copies is changed after its last read, before its group
    // is settled: the others stay a group, the changed one is left out.
    void expectACopyChangedAfterItsLastReadLeftOut(int count) {
        const std::string content = test::randomBytes(20'000, 10);
        std::vector<std::string> copies;
        for (int i = 10; i < 10 + count; ++i)
            copies.push_back("f" + std::to_string(i));
        for (const std::string& name : copies)
            add(name, content);
        const std::string late = dir.path() + "f11";
        // A head and a tail block; the tolerant rule reads the final partial
        // block apart, empty here; the CRC reads it all at once.
        const int reads = GetParam().engine == Engine::ByteByByte ? 2 : 1;
        ChangeDuringComparison touch(late, reads,
                                     [&] { overwrite(late, 100, content.substr(100, 1)); });
        std::erase(copies, "f11");
        EXPECT_EQ(grouped(), copies);
        EXPECT_TRUE(touch.happened());
        EXPECT_EQ(changed(), std::vector<std::string>{"f11"});
    }
};

TEST_P(ChangedFilesTest, aFileReplacedRewrittenOrBehindASwappedFolderJoinsNoGroup) {
    const std::string content = test::randomBytes(40'000, 3);
    add("d1/x.dat", test::randomBytes(40'000, 1));
    add("d2/x.dat", test::randomBytes(40'000, 2));
    add("kept", content);
    add("copy", content);
    const std::string replaced = add("replaced", test::randomBytes(40'000, 4));
    const std::string rewritten = add("rewritten", test::randomBytes(40'000, 5));
    std::filesystem::rename(dir.path() + "d1", dir.path() + "d1.old");
    std::filesystem::create_directory_symlink(dir.path() + "d2", dir.path() + "d1");
    dir.write("new", content);
    std::filesystem::rename(dir.path() + "new", replaced);
    overwrite(rewritten, 0, content);
    EXPECT_EQ(grouped(), (std::vector<std::string>{"copy", "kept"}));
    std::vector<std::string> left = changed();
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"d1/x.dat", "replaced", "rewritten"}));
}

// Two files equal only in their first 16 KiB, both cut to that length once
// the first blocks were read: the rest of them is no hole.
TEST_P(ChangedFilesTest, filesTruncatedAfterTheirFirstReadJoinNoGroup) {
    const std::string head = test::randomBytes(16 * 1024, 6);
    const std::string a = add("a", head + test::randomBytes(24'000, 7));
    const std::string b = add("b", head + test::randomBytes(24'000, 8));
    ChangeDuringComparison truncate(b, 1, [&] {
        ::truncate(a.c_str(), 16 * 1024);
        ::truncate(b.c_str(), 16 * 1024);
    });
    EXPECT_EQ(grouped(), std::vector<std::string>{});
    EXPECT_TRUE(truncate.happened());
    // a may have been read whole and checked before the cut (the tolerant and
    // CRC readers take it in one go): it then simply had no copy.
    const std::vector<std::string> left = changed();
    EXPECT_TRUE(left == std::vector<std::string>{"b"} ||
                left == (std::vector<std::string>{"a", "b"}));
    if (GetParam().engine == Engine::ByteByByte && !GetParam().fuzzy) {
        EXPECT_EQ(left, (std::vector<std::string>{"a", "b"}));
    }
}

// A file differing from its neighbours in its last byte, whose ends are
// rewritten after its head was read: the head now differs and the tail
// matches, so the bytes read never were one state of the file.
TEST_P(ChangedFilesTest, aFileWrittenWhileItIsReadJoinsNoGroup) {
    const std::size_t size = 900'000;
    const std::string content = test::randomBytes(size, 9);
    std::string other = content;
    other.back() ^= 1;
    add("copy1", content);
    add("copy2", content);
    const std::string changing = add("changing", other);
    ChangeDuringComparison rewrite(changing, 1, [&] {
        overwrite(changing, 0, std::string(1, char(content.front() ^ 2)));
        overwrite(changing, std::int64_t(size) - 1, std::string(1, content.back()));
    });
    EXPECT_EQ(grouped(), (std::vector<std::string>{"copy1", "copy2"}));
    EXPECT_TRUE(rewrite.happened());
    EXPECT_EQ(changed(), std::vector<std::string>{"changing"});
}

// Up to 64 files stay open from read to read; a larger set opens them for
// each read, and a file must show at its last opening what it showed at its
// first.
TEST_P(ChangedFilesTest, aFileWrittenAfterItsLastReadJoinsNoGroup) {
    expectACopyChangedAfterItsLastReadLeftOut(3);
}

TEST_P(ChangedFilesTest, aFileOfALargeSetWrittenAfterItsLastReadJoinsNoGroup) {
    expectACopyChangedAfterItsLastReadLeftOut(70);
}

// A group found by the comparison whose folder is then swapped for a link:
// the listing must not show the path that now leads to another member.
TEST_P(ChangedFilesTest, aFolderSwappedAfterTheComparisonIsNotListed) {
    const std::string content = test::randomBytes(5'000, 11);
    add("d1/x.dat", content);
    add("d2/x.dat", content);
    add("d3/x.dat", content);
    ASSERT_EQ(grouped().size(), 3u);
    std::filesystem::rename(dir.path() + "d3", dir.path() + "d3.old");
    std::filesystem::create_directory_symlink(dir.path() + "d2", dir.path() + "d3");
    ListDuplicateGroups(model, user, pool);
    ASSERT_EQ(model.rows.size(), 2u);
    EXPECT_EQ(model.rows[0].fullPath(), dir.path() + "d1/x.dat");
    EXPECT_EQ(model.rows[1].fullPath(), dir.path() + "d2/x.dat");
}

// Tolerant matches are not transitive: b and c are each like a, not like
// each other, so once a is gone they are no group.
TEST_F(ChangedFilesBase, aTolerantGroupWhoseFirstFileIsGoneIsNotListed) {
    model.chkFuzzy.checked = true;
    const auto blocks = [](const std::string& letters) {
        std::string content;
        for (const char letter : letters)
            content += std::string(1000, letter);
        return content;
    };
    add("a", blocks("abcd"));
    add("b", blocks("abxy"));
    add("c", blocks("zwcd"));
    ASSERT_EQ(grouped().size(), 3u);
    std::filesystem::remove(dir.path() + "a");
    ListDuplicateGroups(model, user, pool);
    EXPECT_TRUE(model.rows.empty());
}

// Files of the same name are not compared, but a name that now leads to the
// other file of its group must not be listed as a second file either.
TEST_F(ChangedFilesBase, aFolderSwappedAfterTheWalkIsNotListedAsASameNameFile) {
    model.engine = Engine::SameNames;
    add("d1/x.dat", "d1/");
    add("d2/x.dat", "d2/");
    std::filesystem::rename(dir.path() + "d1", dir.path() + "d1.old");
    std::filesystem::create_directory_symlink(dir.path() + "d2", dir.path() + "d1");
    sortCandidates(model.Candidates, RecordOrder::NameFirst);
    FindSameNames(model, user);
    ListDuplicateGroups(model, user, pool);
    RemoveRemainingOriginal(model, user);
    EXPECT_TRUE(model.rows.empty());
}

INSTANTIATE_TEST_SUITE_P(EveryComparison, ChangedFilesTest,
                         ::testing::Values(Mode{Engine::ByteByByte, false},
                                           Mode{Engine::ByteByByte, true},
                                           Mode{Engine::Crc32, false}),
                         test::reference::nameOf);

} // namespace
} // namespace twinsift
