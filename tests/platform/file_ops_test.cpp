#include "platform/file_ops.h"

#include "support/scoped_env.h"
#include "support/scratch_volume.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace twinsift {
namespace {

// GIO reads $HOME and $XDG_DATA_HOME once, so the home Trash of this program
// is set up before any test runs.
class TrashHome : public ::testing::Environment {
public:
    void SetUp() override {
        m_home = std::make_unique<test::TempDir>();
        ::setenv("HOME", m_home->path().c_str(), 1);
        ::setenv("XDG_DATA_HOME", (m_home->path() + "data").c_str(), 1);
    }
    void TearDown() override { m_home.reset(); }

    static std::string trash() { return std::string(std::getenv("XDG_DATA_HOME")) + "/Trash/"; }

private:
    std::unique_ptr<test::TempDir> m_home;
};
[[maybe_unused]] const auto* const trashHome = ::testing::AddGlobalTestEnvironment(new TrashHome);

bool exists(const std::string& path) {
    return std::filesystem::exists(std::filesystem::symlink_status(path));
}

struct stat statOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

// A folder on another file system than `here`; none when /dev/shm is not one.
std::unique_ptr<test::TempDir> otherFileSystemDir(const test::TempDir& here) {
    auto dir = [] {
        const test::ScopedEnv shm("TMPDIR", "/dev/shm");
        return std::make_unique<test::TempDir>();
    }();
    return statOf(dir->path()).st_dev == statOf(here.path()).st_dev ? nullptr : std::move(dir);
}

const std::vector<std::string> hostileNames = {"line\nbreak.txt", "bad\xff\xfe.bin", "-rf",
                                               "what?.txt", "%41 file:#.txt"};

TEST(TrashTest, movesTheFileAndItsRecordIntoTheHomeTrash) {
    const test::TempDir dir;
    for (const std::string& name : hostileNames) {
        SCOPED_TRACE(name);
        const std::string path = dir.write(name, "content of " + name);
        ASSERT_TRUE(trashFile(path).ok());
        EXPECT_FALSE(exists(path));
        EXPECT_EQ(test::readFile(TrashHome::trash() + "files/" + name), "content of " + name);
        EXPECT_EQ(test::readFile(TrashHome::trash() + "info/" + name + ".trashinfo")
                      .rfind("[Trash Info]\nPath=/", 0),
                  0u);
    }
}

TEST(TrashTest, aVolumeWithoutAUsableTrashKeepsTheFile) {
    for (const bool ext2 : {false, true}) {
        const test::ScratchVolume volume =
            ext2 ? test::ScratchVolume::ext2("8M") : test::ScratchVolume::tmpfs("8M");
        if (!volume.mounted())
            GTEST_SKIP() << "needs root to mount a tmpfs and an ext2 image";
        const std::string path = volume.write("keep.txt", "kept");
        // A plain file where the volume's Trash folder would go.
        volume.write(".Trash-" + std::to_string(::getuid()), "");

        const IoResult result = trashFile(path);
        ASSERT_FALSE(result.ok());
        const std::string message = result.error().message();
        EXPECT_EQ(message.rfind("cannot move '" + path + "' to the Trash: ", 0), 0u) << message;
        EXPECT_FALSE(result.error().reason.empty());
        EXPECT_EQ(test::readFile(path), "kept");
    }
}

TEST(FileOpsTest, hostileNamesGoThroughEveryOperation) {
    const test::TempDir dir;
    const std::string from = dir.mkdir("from");
    const std::string to = dir.mkdir("to");
    for (const std::string& name : hostileNames) {
        SCOPED_TRACE(name);
        const std::string source = dir.write("from/" + name, name);
        const Placed copied = copyIntoFolder(source, to);
        ASSERT_TRUE(copied.result.ok()) << copied.result.error().message();
        EXPECT_EQ(copied.path, to + name);
        EXPECT_EQ(test::readFile(copied.path), name);
        ASSERT_TRUE(renameFile(copied.path, to + name + ".renamed").ok());
        const Placed moved = moveIntoFolder(source, to);
        ASSERT_TRUE(moved.result.ok());
        EXPECT_EQ(moved.path, to + name);
        EXPECT_TRUE(deleteFile(moved.path).ok());
        EXPECT_TRUE(deleteFile(to + name + ".renamed").ok());
    }
    EXPECT_EQ(test::namesIn(from), std::vector<std::string>{});
    EXPECT_EQ(test::namesIn(to), std::vector<std::string>{});
}

TEST(FileOpsTest, collisionsAreNumberedAndNothingIsReplaced) {
    const test::TempDir dir;
    const std::string to = dir.mkdir("to");
    struct Case {
        std::string name, expected;
        bool move;
    };
    const std::vector<Case> cases = {{"a.txt", "a (2).txt", false},
                                     {"a.txt", "a (3).txt", true},
                                     {"a.tar.gz", "a.tar (2).gz", false},
                                     {".profile", ".profile (2)", true},
                                     {"notes", "notes (2)", false}};
    for (const char* name : {"a.txt", "a.tar.gz", ".profile", "notes"})
        dir.write(std::string("to/") + name, "old");
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        const std::string source = dir.write(std::to_string(i) + "/" + cases[i].name, "new");
        const Placed placed =
            cases[i].move ? moveIntoFolder(source, to) : copyIntoFolder(source, to);
        ASSERT_TRUE(placed.result.ok());
        EXPECT_EQ(placed.path, to + cases[i].expected);
        EXPECT_EQ(test::readFile(placed.path), "new");
        EXPECT_EQ(test::readFile(to + cases[i].name), "old");
    }

    const Placed stays = moveIntoFolder(to + "notes", to);
    ASSERT_TRUE(stays.result.ok());
    EXPECT_EQ(stays.path, to + "notes");
    EXPECT_EQ(test::namesIn(to).size(), 4 + cases.size());

    const IoResult refused = renameFile(to + "notes", to + "a.txt");
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().error, EEXIST);
    EXPECT_EQ(test::readFile(to + "notes"), "old");
}

TEST(FileOpsTest, copiesKeepModeAndTimeAlsoAcrossFileSystems) {
    const test::TempDir dir;
    const auto other = otherFileSystemDir(dir);
    const std::string content = test::randomBytes(3 << 20, 7);
    const struct timespec times[2] = {{1'600'000'000, 5}, {1'500'000'000, 123'456'789}};
    for (const std::string& to : {dir.mkdir("to"), other ? other->path() : std::string()}) {
        if (to.empty())
            continue;
        const std::string source = dir.write("data.bin", content);
        ASSERT_EQ(::chmod(source.c_str(), 0640), 0);
        ASSERT_EQ(::utimensat(AT_FDCWD, source.c_str(), times, 0), 0);
        const struct stat before = statOf(source);

        const Placed copied = copyIntoFolder(source, to);
        const Placed moved = moveIntoFolder(source, to);
        for (const Placed* placed : {&copied, &moved}) {
            ASSERT_TRUE(placed->result.ok());
            const struct stat after = statOf(placed->path);
            EXPECT_EQ(after.st_mode & 07777, 0640u);
            EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
            EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
            EXPECT_TRUE(test::readFile(placed->path) == content);
        }
        EXPECT_FALSE(exists(source));
        EXPECT_EQ(test::namesIn(to), (std::vector<std::string>{"data (2).bin", "data.bin"}));
    }
    if (!other)
        GTEST_SKIP() << "/dev/shm is on the same file system: no move across file systems";
}

// The way to move where the file system refuses RENAME_NOREPLACE.
TEST(FileOpsTest, theLinkFallbackMovesButNeverReplaces) {
    const test::TempDir dir;
    const std::string a = dir.write("a.txt", "a");
    const std::string b = dir.write("b.txt", "b");
    EXPECT_EQ(linkThenUnlink(AT_FDCWD, a, AT_FDCWD, b), EEXIST);
    EXPECT_EQ(test::readFile(a), "a");
    EXPECT_EQ(test::readFile(b), "b");
    EXPECT_EQ(linkThenUnlink(AT_FDCWD, a, AT_FDCWD, dir.path() + "c.txt"), 0);
    EXPECT_EQ(test::namesIn(dir.path()), (std::vector<std::string>{"b.txt", "c.txt"}));
    EXPECT_EQ(test::readFile(dir.path() + "c.txt"), "a");
    if (const auto other = otherFileSystemDir(dir)) {
        EXPECT_EQ(linkThenUnlink(AT_FDCWD, b, AT_FDCWD, other->path() + "b.txt"), EXDEV);
        EXPECT_EQ(test::readFile(b), "b");
    }
}

// Between the copy and the removal of its source, the name may come to mean
// another file or none: only the file that was copied is ever removed.
TEST(FileOpsTest, aMoveAcrossFileSystemsRemovesOnlyTheFileItCopied) {
    const test::TempDir dir;
    const auto other = otherFileSystemDir(dir);
    if (!other)
        GTEST_SKIP() << "/dev/shm is on the same file system: no move across file systems";
    const std::string source = dir.path() + "f.txt";
    struct Case {
        const char* strike;
        std::vector<std::string> left; // in the destination
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"replace", {}, "another file took its name while it was copied"},
        {"remove", {"f.txt"}, "the file went away while it was moved; its copy is '"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.strike);
        dir.write("f.txt", "copied");
        bool struck = false;
        const CancelCheck strike = [&] {
            if (!struck && c.strike == std::string("replace"))
                std::filesystem::rename(dir.write("g.txt", "newer"), source);
            else if (!struck)
                std::filesystem::remove(source);
            struck = true;
            return false;
        };
        const Placed moved = moveIntoFolder(source, other->path(), strike);
        ASSERT_FALSE(moved.result.ok());
        EXPECT_EQ(moved.result.error().reason.rfind(c.reason, 0), 0u)
            << moved.result.error().message();
        EXPECT_EQ(test::namesIn(other->path()), c.left);
        for (const std::string& name : c.left)
            EXPECT_EQ(test::readFile(other->path() + name), "copied");
        EXPECT_EQ(exists(source), c.left.empty());
        std::filesystem::remove(source);
        std::filesystem::remove(other->path() + "f.txt");
    }
    // A name that is no regular file is refused on opening.
    ASSERT_EQ(::mkfifo(source.c_str(), 0600), 0);
    const Placed fifo = copyIntoFolder(source, other->path());
    ASSERT_FALSE(fifo.result.ok());
    EXPECT_EQ(fifo.result.error().reason, "not a regular file");
    EXPECT_TRUE(test::namesIn(other->path()).empty());
}

// Without /proc an unnamed file cannot be linked into place; the copy takes
// a named temporary instead. /proc is hidden in a child of its own.
TEST(FileOpsTest, withoutProcACopyIsPlacedThroughANamedTemporary) {
    const test::TempDir dir;
    const std::string source = dir.write("f.txt", "f");
    const std::string to = dir.mkdir("to");
    const pid_t child = ::fork();
    if (child == 0) {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("none", "/proc", "tmpfs", 0, nullptr) != 0)
            std::_Exit(2);
        std::_Exit(copyIntoFolder(source, to).result.ok() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2)
        GTEST_SKIP() << "needs root to hide /proc in a mount namespace of its own";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(test::namesIn(to), std::vector<std::string>{"f.txt"});
    EXPECT_EQ(test::readFile(to + "f.txt"), "f");
}

// A cancelled copy and one that fills the disk leave neither a partial file
// nor a temporary one, and the source where it was; so does a move across
// file systems that fails the same ways.
TEST(FileOpsTest, aFailedCopyOrMoveLeavesNothingBehind) {
    const test::TempDir dir;
    const auto other = otherFileSystemDir(dir);
    const test::ScratchVolume small = test::ScratchVolume::tmpfs("1m");
    const std::string content = test::randomBytes(20 << 20, 3);
    const std::string source = dir.write("big.bin", content);
    int chunks = 0;
    const CancelCheck secondChunk = [&chunks] { return ++chunks > 1; };
    for (const auto& operation : {copyIntoFolder, moveIntoFolder}) {
        for (const auto& [to, cancelled, error] :
             {std::tuple{other ? other->path() : dir.mkdir("to"), secondChunk, ECANCELED},
              std::tuple{small.mounted() ? small.path() : "", CancelCheck(), ENOSPC}}) {
            if (to.empty() || (!other && operation == moveIntoFolder && error == ECANCELED))
                continue;
            chunks = 0;
            const Placed placed = operation(source, to, cancelled);
            ASSERT_FALSE(placed.result.ok());
            EXPECT_EQ(placed.result.error().error, error) << placed.result.error().message();
            EXPECT_EQ(test::namesIn(to), std::vector<std::string>{});
            EXPECT_TRUE(test::readFile(source) == content);
        }
    }
    if (!small.mounted() || !other)
        GTEST_SKIP() << "the full disk needs root for a 1 MiB tmpfs, the move across file "
                        "systems a /dev/shm of its own";
}

} // namespace
} // namespace twinsift
