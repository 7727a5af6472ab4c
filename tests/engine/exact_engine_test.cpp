#include "engine/exact_engine.h"
#include "engine/find_duplicates.h"
#include "engine/worker_pool.h"

#include "core/format.h"
#include "core/window_model.h"
#include "reference_engine.h"
#include "support/scripted_answerer.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <random>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace twinsift {
namespace {

using test::ScriptedAnswerer;
using test::TempDir;

using test::reference::Element;
using test::reference::elementsOf;

// Names and shades only, for the tests that are about grouping.
std::vector<std::string> listing(WindowModel& model) {
    std::vector<std::string> lines;
    for (const Element& e : elementsOf(model))
        lines.push_back(e.name + " " + std::to_string(e.shade));
    return lines;
}

std::string withByte(std::string content, std::size_t at, char value) {
    content[at] = value;
    return content;
}

class FindDuplicatesTest : public ::testing::Test {
protected:
    // Writes the file and lists it as the walk would.
    std::string add(const std::string& relativePath, const std::string& content) {
        const std::string path = dir.write(relativePath, content);
        listAs(path);
        return path;
    }
    void listAs(const std::string& path) {
        struct stat status {};
        ASSERT_EQ(::stat(path.c_str(), &status), 0);
        const std::size_t slash = path.rfind('/');
        CandidateStore& store = model.Candidates;
        store.records.push_back({std::int64_t(status.st_size), path.substr(slash + 1),
                                 store.folderIndex(path.substr(0, slash + 1)), status.st_mtime,
                                 test::seenNow(path)});
        ++model.FilesFound;
    }
    void run() {
        sortCandidates(model.Candidates, RecordOrder::SizeFirst);
        FindDuplicates(model, user, pool);
    }

    TempDir dir;
    WindowModel model;
    ScriptedAnswerer user;
    WorkerPool pool{2};
};

// Files that differ in one byte anywhere, past reads of several block
// lengths, stay apart.
TEST_F(FindDuplicatesTest, groupsIdenticalFilesInCandidateOrderWithAlternatingShades) {
    const std::string base = test::randomBytes(600 * 1024, 5);
    for (const std::size_t at : {std::size_t{0}, std::size_t{300 * 1024 + 7}, base.size() - 1})
        add("differs" + std::to_string(at), withByte(base, at, char(base[at] ^ 1)));
    add("same1", base);
    add("same2", base);
    add("one1", "a");
    add("one2", "b");
    const std::string thousand = test::randomBytes(1000, 1);
    const std::string short999 = test::randomBytes(999, 2);
    const std::string first = test::randomBytes(5000, 3);
    const std::string second = test::randomBytes(5000, 4);
    add("x/a1000", thousand);
    add("y/b1000", thousand);
    add("c999", short999);
    add("d999", short999);
    add("e5000", second);
    add("f5000", first);
    add("g5000", second);
    add("h5000", first);
    add("i5000", first);
    run();

    EXPECT_EQ(listing(model), (std::vector<std::string>{"c999 1", "d999 1", "a1000 2", "b1000 2",
                                                        "e5000 1", "g5000 1", "f5000 2", "h5000 2",
                                                        "i5000 2", "same1 1", "same2 1"}));
    EXPECT_EQ(model.DuplicateCount, 6);
    EXPECT_EQ(model.DuplicateBytes, 999 + 1000 + 5000 * 3 + 600 * 1024);
    EXPECT_EQ(model.GroupShade, 1);
    EXPECT_EQ(elementsOf(model)[2], (Element{"000000001000", "a1000", dir.path() + "x/", 2,
                                             fileTimeText(model.Candidates.records[3].lastWrite)}));
}

TEST_F(FindDuplicatesTest, vanishedChangedAndRepeatedFilesAreHandledWithoutAGroupOfTheirOwn) {
    const std::string content = test::randomBytes(3000, 6);
    add("a", content);
    const std::string gone = add("b", content);
    const std::string grown = add("c", content);
    add("d", content);
    const std::string repeated = add("e", test::randomBytes(2000, 7));
    listAs(repeated);
    ASSERT_EQ(::unlink(gone.c_str()), 0);
    dir.write("c", content + "more");
    const std::int32_t found = model.FilesFound;
    run();

    EXPECT_EQ(listing(model), (std::vector<std::string>{"a 1", "d 1"}));
    EXPECT_EQ(model.FilesFound, found - 1);
    // Only files that shared their size stay candidates.
    EXPECT_EQ(model.Candidates.size(), 6u);
}

TEST_F(FindDuplicatesTest, showsProgressInThePanelOrInTheMinimisedCaption) {
    run(); // no candidate at all
    EXPECT_TRUE(model.DuplicateGroups.empty());
    for (int i = 0; i < 5; ++i)
        add("f" + std::to_string(i), std::string(std::size_t(i % 2 + 1), 'z'));
    run();
    EXPECT_EQ(model.statusPanels[0].text, "Searching for duplicates...(4/5) 80.0%");

    WindowModel minimised;
    minimised.minimised = true;
    minimised.Candidates = model.Candidates;
    FindDuplicates(minimised, user, pool);
    EXPECT_EQ(minimised.caption, "80.0% (4/5)");
}

TEST_F(FindDuplicatesTest, cancelKeepsTheGroupsFoundSoFar) {
    for (int size = 1; size <= 40; ++size)
        for (char copy : {'a', 'b'})
            add(std::to_string(size) + copy, std::string(std::size_t(size), 'q'));
    sortCandidates(model.Candidates, RecordOrder::SizeFirst);
    WindowModel cancelled;
    cancelled.Candidates = model.Candidates;
    FindDuplicates(model, user, pool);
    const std::vector<Element> all = elementsOf(model);
    ASSERT_EQ(all.size(), 80u);

    int yields = 0;
    cancelled.yield = [&] { cancelled.SearchCancelled = ++yields >= 2; };
    FindDuplicates(cancelled, user, pool);
    const std::vector<Element> some = elementsOf(cancelled);
    ASSERT_LE(some.size(), all.size());
    EXPECT_EQ(some, std::vector<Element>(all.begin(), all.begin() + std::ptrdiff_t(some.size())));
    EXPECT_EQ(cancelled.DuplicateCount, std::int64_t(some.size() / 2));
}

TEST(FileCrcTest, isTheZipCrcOfTheWholeFileOrNothing) {
    TempDir dir;
    const std::atomic<bool> running{false};
    const std::string path = dir.write("check", "123456789");
    const WalkedFile walked{path, test::seenNow(path)};
    EXPECT_EQ(fileCrc(walked, 9, running), 0xCBF43926u);
    EXPECT_EQ(fileCrc(walked, 10, running), std::nullopt);
    EXPECT_EQ(fileCrc({dir.path() + "missing", walked.seen}, 9, running), std::nullopt);
    EXPECT_EQ(fileCrc({dir.path(), test::seenNow(dir.path())}, 0, running), std::nullopt);
}

// A huge run of equal-size files must not need a descriptor per file.
TEST(IdenticalFilesTest, manyEqualSizeFilesStayWithinFewDescriptors) {
    TempDir dir;
    const std::string content = test::randomBytes(20000, 9);
    const std::string other = withByte(content, 19999, char(content[19999] ^ 1));
    std::vector<std::string> paths;
    for (int i = 0; i < 500; ++i)
        paths.push_back(dir.write(std::to_string(i), i % 2 ? other : content));
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit low = saved;
    low.rlim_cur = 200;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    const std::atomic<bool> running{false};
    const std::optional<FileGroups> groups = identicalFiles(test::walkedNow(paths), 20000, running);
    ::setrlimit(RLIMIT_NOFILE, &saved);

    ASSERT_TRUE(groups);
    ASSERT_EQ(groups->size(), 2u);
    EXPECT_EQ((*groups)[0].size(), 250u);
    EXPECT_EQ((*groups)[0][1], 2u);
    EXPECT_EQ((*groups)[1][0], 1u);
}

// Past the memory kept for one step's distinct blocks, a match is confirmed
// by reading the earlier file's block again.
TEST(IdenticalFilesTest, manyDistinctFilesStillConfirmLateMatchesByBytes) {
    TempDir dir;
    std::vector<std::string> paths;
    std::vector<std::string> contents;
    for (unsigned i = 0; i < 600; ++i) {
        contents.push_back(test::randomBytes(16384, 100 + i));
        paths.push_back(dir.write(std::to_string(i), contents.back()));
    }
    paths.push_back(dir.write("copy", contents[580]));
    paths.push_back(dir.write("near", withByte(contents[590], 9, char(contents[590][9] ^ 1))));
    const std::atomic<bool> running{false};
    EXPECT_EQ(identicalFiles(test::walkedNow(paths), 16384, running), (FileGroups{{580, 600}}));
}

// Sparse files: lengths and offsets past 2 GiB and 4 GiB are 64-bit, and a
// stretch that is a hole in one file and written zeros in another is equal.
TEST(IdenticalFilesTest, comparesSparseFilesLargerThanFourGibibytes) {
    TempDir dir;
    const std::int64_t size = (std::int64_t{1} << 32) + 1001;
    // Each file: bytes at 2 GiB + 3, at 3 GiB ('-' leaves the hole) and at its end.
    auto sparse = [&](const std::string& name, std::string bytes) {
        const std::string path = dir.write(name, "");
        const int fd = ::open(path.c_str(), O_WRONLY);
        EXPECT_EQ(::ftruncate(fd, size), 0);
        const std::int64_t offsets[] = {(std::int64_t{1} << 31) + 3, std::int64_t{3} << 30,
                                        size - 1};
        for (std::size_t i = 0; i < 3; ++i) {
            if (bytes[i] != '-') {
                EXPECT_EQ(::pwrite(fd, &bytes[i], 1, offsets[i]), 1);
            }
        }
        ::close(fd);
        return path;
    };
    const std::vector<std::string> paths{sparse("a", "x-a"), sparse("b", "x-b"), sparse("c", "x-a"),
                                         sparse("zeros", std::string("x\0a", 3)),
                                         sparse("other", "xya")};
    const std::atomic<bool> running{false};
    EXPECT_EQ(identicalFiles(test::walkedNow(paths), size, running), (FileGroups{{0, 2, 3}}));
}

// Asking for huge numbers of threads gets a few per core.
TEST(WorkerPoolTest, runsEveryTaskOnceAndPassesOnAFailure) {
    WorkerPool pool(2'000'000'000);
    EXPECT_LE(pool.threadCount(),
              std::max(1u, std::thread::hardware_concurrency()) * WorkerPool::kThreadsPerCore);
    std::vector<std::atomic<int>> runs(1000);
    EXPECT_TRUE(pool.forEach(runs.size(), [&](std::size_t i) { ++runs[i]; }));
    for (const auto& count : runs)
        EXPECT_EQ(count, 1);
    EXPECT_THROW(pool.forEach(10,
                              [](std::size_t i) {
                                  if (i == 4)
                                      throw std::runtime_error("read failed");
                              }),
                 std::runtime_error);
    EXPECT_TRUE(pool.forEach(2, [](std::size_t) {}));
}

TEST(WorkerPoolTest, aCancelSkipsTheTasksNotYetStartedUntilTheNextPhase) {
    std::atomic<bool> stop{false};
    WorkerPool pool(1);
    std::atomic<int> started{0};
    {
        const WorkerPool::Phase comparison(pool, [&] { return !stop; });
        EXPECT_FALSE(pool.forEach(100, [&](std::size_t) {
            ++started;
            stop = true;
            while (!pool.cancelled())
                std::this_thread::yield();
        }));
        EXPECT_EQ(started, 1);
        EXPECT_FALSE(pool.forEach(1, [&](std::size_t) { ++started; }));
        EXPECT_EQ(started, 1);
    }
    const WorkerPool::Phase listing(pool, [] { return true; });
    EXPECT_TRUE(pool.forEach(1, [&](std::size_t) { ++started; }));
    EXPECT_EQ(started, 2);
}

// A user who may start only so many processes: the pool carries on with the
// threads the system gives it, down to none, where the calling thread works
// alone. Run in a child process; as root, the child becomes a user of its
// own with no other process, since the limit does not bind root.
TEST(WorkerPoolTest, carriesOnWithTheThreadsTheSystemAllows) {
    const bool root = ::geteuid() == 0;
    for (const unsigned workers : root ? std::vector<unsigned>{0, 2} : std::vector<unsigned>{0}) {
        SCOPED_TRACE("workers allowed: " + std::to_string(workers));
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            constexpr uid_t kLoneUser = 47114;
            const rlim_t processes = root ? 1 + workers : 0;
            const rlimit limit{processes, processes};
            if (root && (::setgid(kLoneUser) != 0 || ::setuid(kLoneUser) != 0))
                ::_exit(2);
            if (::setrlimit(RLIMIT_NPROC, &limit) != 0)
                ::_exit(3);
            // The pool ends (its threads joined) before the child does.
            const bool carriedOn = [&] {
                WorkerPool pool(8);
                std::atomic<int> runs{0};
                const bool completed = pool.forEach(1000, [&](std::size_t) { ++runs; });
                return completed && runs == 1000 && pool.threadCount() == workers;
            }();
            ::_exit(carriedOn ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
}

// A failure of the work done while waiting (the window's) must not leave
// workers running a task whose caller has gone.
TEST(WorkerPoolTest, aFailureWhileWaitingEndsTheRunningTasksFirst) {
    WorkerPool pool(2);
    const WorkerPool::Phase phase(pool, []() -> bool { throw std::runtime_error("window gone"); });
    std::atomic<int> running{0};
    EXPECT_THROW(pool.forEach(10,
                              [&](std::size_t) {
                                  ++running;
                                  std::this_thread::sleep_for(std::chrono::milliseconds(30));
                                  --running;
                              }),
                 std::runtime_error);
    EXPECT_EQ(running, 0);
    EXPECT_TRUE(pool.cancelled());
}

// Random small trees: runs of a few sizes whose files are copies of one
// content, differ in one byte of the first, a middle or the last block, or
// have blocks swapped for one-letter blocks (partial and non-transitive
// tolerant matches), plus repeated paths and vanished files: the fast engines
// must list exactly what the pairwise loop lists. The CRC runs with the
// tolerant switch on, which it must ignore.
using test::reference::Mode;

class EquivalenceTest : public ::testing::TestWithParam<Mode> {};

TEST_P(EquivalenceTest, matchesThePairwiseLoopOnRandomTrees) {
    const std::vector<std::size_t> sizes{1, 999, 1000, 2500, 3001, 4700, 17000, 70000};
    std::int64_t listed = 0;
    std::int64_t candidates = 0;
    for (unsigned seed = 1; seed <= 25; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        TempDir dir;
        CandidateStore store;
        std::int32_t files = 0;
        for (std::size_t size : sizes) {
            const std::string base = test::randomBytes(size, seed * 31 + unsigned(size));
            const int count = int(random() % 7);
            for (int i = 0; i < count; ++i) {
                std::string content = base;
                const std::size_t places[] = {0, size / 2, size - 1};
                const auto kind = random() % 3;
                if (kind == 1)
                    content[places[random() % 3]] ^= char(1 + random() % 2);
                for (std::size_t at = 0; kind == 2 && at < size; at += 1000)
                    if (random() % 2)
                        content.replace(at, 1000, std::min<std::size_t>(1000, size - at),
                                        char('a' + random() % 2));
                const std::string folder = dir.mkdir("d" + std::to_string(random() % 3));
                const std::string name = "f" + std::to_string(size) + "_" + std::to_string(i);
                dir.write(folder.substr(dir.path().size()) + name, content);
                const std::uint32_t at = store.folderIndex(folder);
                store.records.push_back({std::int64_t(size), name, at, std::time_t(i * 60),
                                         test::seenNow(folder + name)});
                ++files;
                if (random() % 10 == 0)
                    store.records.push_back(store.records.back());
                if (random() % 12 == 0)
                    ::unlink((folder + name).c_str());
            }
        }
        sortCandidates(store, RecordOrder::SizeFirst);

        listed += test::reference::expectSameAsPairwiseLoop(store, files, GetParam().engine,
                                                            GetParam().fuzzy);
        candidates += std::int64_t(store.size());
    }
    // The trees are worth comparing only if they hold groups and files left out.
    EXPECT_GT(listed, candidates / 5);
    EXPECT_LT(listed, candidates * 4 / 5);
}

INSTANTIATE_TEST_SUITE_P(EveryComparison, EquivalenceTest,
                         ::testing::Values(Mode{Engine::ByteByByte, false},
                                           Mode{Engine::ByteByByte, true},
                                           Mode{Engine::Crc32, true}),
                         test::reference::nameOf);

} // namespace
} // namespace twinsift
