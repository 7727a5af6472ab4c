#include "core/text_file.h"

#include "core/io_result.h"
#include "core/runtime_error.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

namespace twinsift {
namespace {

using test::readFile;
using test::TempDir;

// The description of what reading `path` throws; empty when nothing is thrown.
template <class Read> std::string failureOf(Read&& read) {
    try {
        read();
    } catch (const RuntimeError& error) {
        return std::to_string(error.number()) + " " + error.description();
    }
    return {};
}

TEST(TextFileTest, devicesFifosAndFoldersAreRefusedWithoutWaiting) {
    const TempDir dir;
    const std::string fifo = dir.path() + "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(failureOf([&] { readWholeFile(fifo); }),
              "75 Path/File access error: '" + fifo + "' is not a regular file");
    EXPECT_EQ(failureOf([&] { TextFileLines lines(fifo); }),
              "75 Path/File access error: '" + fifo + "' is not a regular file");
    EXPECT_EQ(failureOf([] { readWholeFile("/dev/zero"); }),
              "75 Path/File access error: '/dev/zero' is not a regular file");
    EXPECT_EQ(failureOf([&] { readWholeFile(dir.path()); }),
              "75 Path/File access error: cannot read '" + dir.path() + "': Is a directory");
    EXPECT_EQ(failureOf([&] { TextFileLines lines(dir.path() + "none"); }),
              "53 File not found: cannot read '" + dir.path() + "none': No such file or directory");
    EXPECT_FALSE(readWholeFile(dir.path() + "none"));
}

TEST(TextFileTest, aFileOrALineBeyondItsLimitIsRefused) {
    const TempDir dir;
    // Sparse: the limit costs no disk space.
    const std::string big = dir.write("big", "");
    ASSERT_EQ(::truncate(big.c_str(), kTextFileLimit), 0);
    EXPECT_EQ(readWholeFile(big)->size(), kTextFileLimit);
    ASSERT_EQ(::truncate(big.c_str(), kTextFileLimit + 1), 0);
    EXPECT_EQ(failureOf([&] { readWholeFile(big); }),
              "75 Path/File access error: '" + big + "' is larger than 64 MiB");

    const std::string lines =
        dir.write("lines", "short\r\n" + std::string(kTextLineLimit, 'x') + "\n" +
                               std::string(kTextLineLimit + 1, 'y') + "\n");
    TextFileLines reader(lines);
    EXPECT_EQ(reader.next(), "short");
    EXPECT_EQ(reader.next()->size(), kTextLineLimit);
    const std::string tooLong =
        "75 Path/File access error: line 3 of '" + lines + "' is longer than 1 MiB";
    EXPECT_EQ(failureOf([&] { reader.next(); }), tooLong);
    // A retry must not read the rest of that line as a line of its own.
    EXPECT_EQ(failureOf([&] { reader.next(); }), tooLong);
}

TEST(TextFileTest, linesEndInLfOrCrLfAndTheLastNeedsNoEnd) {
    const TempDir dir;
    TextFileLines reader(dir.write("t", "a\r\nb\n\nc"));
    for (const char* expected : {"a", "b", "", "c"})
        EXPECT_EQ(reader.next(), expected);
    EXPECT_EQ(reader.next(), std::nullopt);
}

TEST(RuntimeErrorTest, mapsOperatingSystemErrorsToRunTimeErrorNumbers) {
    EXPECT_EQ(systemError(ENOENT).number(), 53);
    EXPECT_EQ(systemError(ENOENT, true).number(), 76);
    EXPECT_EQ(systemError(EACCES).number(), 70);
    EXPECT_EQ(systemError(EPERM).number(), 70);
    EXPECT_EQ(systemError(ENOSPC).number(), 61);
    EXPECT_EQ(systemError(EIO).number(), 57);
    EXPECT_EQ(systemError(EBUSY).number(), 75);
    EXPECT_EQ(systemError(EACCES).description(), "Permission denied");
    EXPECT_EQ(runtimeErrorText(457),
              "This key is already associated with an element of this collection");
}

TEST(IoErrorTest, messageNamesOperationPathAndSystemReason) {
    const IoResult failed = IoError{"move", "/a/b.txt", EACCES};
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.error().message(), "cannot move '/a/b.txt': Permission denied");
}

TEST(ReplaceWholeFileTest, keepsPermissionsAndNeverWritesThroughALinkPlantedBesideTheFile) {
    const TempDir shared;
    const TempDir elsewhere;
    const std::string victim = elsewhere.write("victim", "precious");
    const std::string target = shared.write("default.tsf", "old");
    ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
    // Another user who can write the folder guesses the sibling's name.
    ASSERT_EQ(::symlink(victim.c_str(), (target + ".partial").c_str()), 0);

    replaceWholeFile(target, "new text");

    EXPECT_EQ(readFile(target), "new text");
    EXPECT_EQ(readFile(victim), "precious");
    EXPECT_EQ(test::namesIn(shared.path()),
              (std::vector<std::string>{"default.tsf", "default.tsf.partial"}));
    struct stat status {};
    ASSERT_EQ(::stat(target.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
}

TEST(ReplaceWholeFileTest, failureLeavesTheEarlierFileAndNoSibling) {
    const TempDir dir;
    const std::string missing = dir.path() + "missing/file.txt";
    EXPECT_EQ(failureOf([&] { replaceWholeFile(missing, "x"); }).substr(0, 3), "76 ");
    // A folder or a FIFO in the way is left as it is, and nothing is written beside it.
    dir.mkdir("taken");
    const std::string fifo = dir.path() + "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_THROW(replaceWholeFile(dir.path() + "taken", "x"), RuntimeError);
    EXPECT_EQ(failureOf([&] { replaceWholeFile(fifo, "x"); }).substr(0, 3), "75 ");
    struct stat status {};
    ASSERT_EQ(::lstat(fifo.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    EXPECT_EQ(test::namesIn(dir.path()), (std::vector<std::string>{"fifo", "taken"}));
}

// Links keep leading to the written file, a link to nothing yet makes the
// file it names, and a name of the longest length the system takes is written.
TEST(ReplaceWholeFileTest, writesThroughFinalLinksAndTakesTheLongestName) {
    const TempDir dir;
    const std::string real = dir.write("real.txt", "old");
    const std::string link = dir.path() + "link.txt";
    ASSERT_EQ(::symlink("real.txt", link.c_str()), 0);
    dir.mkdir("sub");
    const std::string dangling = dir.path() + "dangling";
    ASSERT_EQ(::symlink("sub/made.txt", dangling.c_str()), 0);
    const std::string longest = dir.path() + std::string(255, 'n');

    replaceWholeFile(link, "new");
    replaceWholeFile(dangling, "made");
    replaceWholeFile(longest, "long");

    EXPECT_EQ(readFile(real), "new");
    EXPECT_EQ(readFile(dir.path() + "sub/made.txt"), "made");
    EXPECT_EQ(readFile(longest), "long");
    struct stat status {};
    ASSERT_EQ(::lstat(link.c_str(), &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode));
    EXPECT_EQ(test::namesIn(dir.path()),
              (std::vector<std::string>{"dangling", "link.txt", std::string(255, 'n'), "real.txt",
                                        "sub"}));
}

// A writable file in a folder the user may not add to is written where it
// is. Root may add to any folder: the write runs as a user of its own then.
TEST(ReplaceWholeFileTest, aWritableFileInALockedFolderIsWrittenInPlace) {
    const TempDir dir;
    const std::string folder = dir.mkdir("locked");
    const std::string target = dir.write("locked/out.txt", "earlier text");
    ASSERT_EQ(::chmod(target.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        constexpr uid_t kOtherUser = 47115;
        if (::geteuid() == 0 && (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0))
            ::_exit(2);
        try {
            replaceWholeFile(target, "new");
        } catch (const RuntimeError&) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(readFile(target), "new");
    EXPECT_EQ(test::namesIn(folder), std::vector<std::string>{"out.txt"});
    ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
}

} // namespace
} // namespace twinsift
