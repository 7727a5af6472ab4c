#include "fileops/file_operation.h"

#include "core/convert.h"
#include "core/format.h"
#include "core/window_model.h"
#include "platform/shell_services.h"
#include "support/scoped_env.h"
#include "support/scratch_volume.h"
#include "support/scripted_answerer.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace twinsift {
namespace {

using test::ScriptedAnswerer;
using test::TempDir;

// GIO reads $HOME and $XDG_DATA_HOME once, so the home Trash is set up
// before any test runs.
class TrashHome : public ::testing::Environment {
public:
    void SetUp() override {
        m_home = std::make_unique<TempDir>();
        ::setenv("HOME", m_home->path().c_str(), 1);
        ::setenv("XDG_DATA_HOME", (m_home->path() + "data").c_str(), 1);
    }
    void TearDown() override { m_home.reset(); }

    static std::string trash() { return std::string(std::getenv("XDG_DATA_HOME")) + "/Trash/"; }

private:
    std::unique_ptr<TempDir> m_home;
};
[[maybe_unused]] const auto* const trashHome = ::testing::AddGlobalTestEnvironment(new TrashHome);

bool exists(const std::string& path) {
    return std::filesystem::exists(std::filesystem::symlink_status(path));
}

// Puts another file under `path` with the same size and times.
void replaceBySameLooking(const std::string& path) {
    struct stat before {};
    ASSERT_EQ(::lstat(path.c_str(), &before), 0);
    const std::string fresh = path + ".new";
    std::ofstream(fresh) << std::string(static_cast<std::size_t>(before.st_size), 'z');
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, fresh.c_str(), times, 0), 0);
    ASSERT_EQ(::rename(fresh.c_str(), path.c_str()), 0);
}

// The dialog as the run sees it: what it was shown, and a Cancel that can be
// pressed at a chosen moment.
class RecordingProgress : public FileOpProgress {
public:
    std::vector<std::string> labels;
    std::vector<FileOpFailure> failures;
    std::int64_t value = -1, maximum = -1;
    std::function<void(const std::string&)> onLabel; // the moment before a file's checks
    std::function<bool()> cancel = [] { return false; };

    void showLabel(const std::string& text) override {
        labels.push_back(text);
        if (onLabel)
            onLabel(text);
    }
    void showProgress(std::int64_t v, std::int64_t m) override {
        value = v;
        maximum = m;
    }
    void addFailure(const FileOpFailure& failure) override { failures.push_back(failure); }
    bool cancelRequested() override { return cancel(); }
};

// The real file operations; no properties sheet here.
class FileOnlyShell : public FileShellServices {
public:
    bool ShowProperties(const std::string&) override { return false; }
};

// A listed row of the file at `path` as the search saw it now.
ResultRow listedRow(const std::string& path, std::int32_t group, bool marked) {
    struct stat status {};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
    const RowFacts facts{status.st_size, status.st_mtim.tv_sec,
                         static_cast<std::int32_t>(status.st_mtim.tv_nsec), group,
                         FileIdentity{status.st_dev, status.st_ino}};
    const auto slash = path.rfind('/');
    ResultRow row = makeResultRow(path.substr(slash + 1), path.substr(0, slash + 1), "N/A",
                                  fileTimeText(status.st_mtim.tv_sec), facts);
    row.icon = marked ? image::Marked : image::Unmarked;
    return row;
}

class FileOperationTest : public ::testing::Test {
protected:
    void list(const std::string& path, std::int32_t group, bool marked) {
        model.rows.push_back(listedRow(path, group, marked));
        model.GroupCount = std::max(model.GroupCount, group);
    }
    FileOpOutcome runWith(FileOpSettings settings) {
        return runFileOperation(model, settings, shell, user, progress);
    }
    FileOpOutcome runMode(FileOpMode mode, const std::string& destination = {}) {
        FileOpSettings settings;
        settings.mode = mode;
        settings.destination = destination;
        return runWith(settings);
    }
    std::vector<std::string> listedNames() const {
        std::vector<std::string> names;
        for (const ResultRow& row : model.rows)
            names.push_back(row.name());
        return names;
    }

    TempDir dir;
    WindowModel model;
    FileOnlyShell shell;
    ScriptedAnswerer user;
    RecordingProgress progress;
};

const std::vector<std::string> hostileNames = {"line\nbreak.txt", "bad\xff\xfe.bin", "-rf",
                                               "what?.txt"};

TEST_F(FileOperationTest, everyModeActsOnHostileNamesAndReportsProgress) {
    const std::string to = dir.mkdir("to");
    for (const std::string& name : hostileNames) {
        list(dir.write("a/" + name, "x" + name), 1, true);
        list(dir.write("b/" + name, "x" + name), 1, false);
    }
    const FileOpOutcome copied = runMode(FileOpMode::Copy, to);
    EXPECT_EQ(copied.done, 4);
    EXPECT_EQ(progress.value, 4);
    // A copy ends with the last file's name still showing.
    EXPECT_EQ(progress.labels.back(), progressLabel(dir.path() + "a/" + hostileNames.back()));
    EXPECT_EQ(test::namesIn(to).size(), 4u);

    const FileOpOutcome trashed = runMode(FileOpMode::Delete);
    EXPECT_EQ(trashed.done, 4);
    EXPECT_TRUE(trashed.failures.empty());
    for (const std::string& name : hostileNames) {
        EXPECT_FALSE(exists(dir.path() + "a/" + name));
        EXPECT_TRUE(exists(TrashHome::trash() + "files/" + name)) << name;
        EXPECT_TRUE(exists(dir.path() + "b/" + name));
    }
    // The sweep took the emptied folder.
    EXPECT_FALSE(exists(dir.path() + "a"));
}

// Each fault strikes just before its file is checked; the file stays as the
// fault left it and gets its mode's row, save a vanished file during Delete.
TEST_F(FileOperationTest, aFileChangedAfterTheSearchIsLeftAlone) {
    struct Fault {
        const char* name;
        std::function<void(const std::string&)> strike;
        const char* reason;
    };
    const std::string other = dir.write("other.txt", "12345");
    const std::string gone = "no longer exists";
    const std::vector<Fault> faults = {
        {"vanished", [](const std::string& p) { ::unlink(p.c_str()); }, "no longer exists"},
        {"grown", [](const std::string& p) { ASSERT_EQ(::truncate(p.c_str(), 6), 0); },
         "changed since the search"},
        {"touched",
         [](const std::string& p) {
             const struct timespec times[2] = {{0, UTIME_OMIT}, {1'000'000'000, 0}};
             ::utimensat(AT_FDCWD, p.c_str(), times, 0);
         },
         "changed since the search"},
        {"a link",
         [&other](const std::string& p) {
             ::unlink(p.c_str());
             ASSERT_EQ(::symlink(other.c_str(), p.c_str()), 0);
         },
         "is now a link"},
        {"another file", replaceBySameLooking, "changed since the search"},
    };
    for (const FileOpMode mode : {FileOpMode::Delete, FileOpMode::Move, FileOpMode::Copy}) {
        const std::string to = dir.mkdir("to");
        for (const Fault& fault : faults) {
            SCOPED_TRACE(std::string(fault.name) + " mode " +
                         std::to_string(static_cast<int>(mode)));
            model.rows.clear();
            progress.failures.clear();
            const std::string path = dir.write("from/f.txt", "12345");
            list(path, 0, true);
            progress.onLabel = [&](const std::string&) { fault.strike(path); };
            const FileOpOutcome outcome = runMode(mode, to);
            EXPECT_EQ(outcome.done, 0);
            EXPECT_TRUE(test::namesIn(to).empty());
            const bool silent = mode == FileOpMode::Delete && fault.reason == gone;
            if (silent) {
                EXPECT_TRUE(outcome.failures.empty());
                continue;
            }
            const char* number = mode == FileOpMode::Delete ? "1005"
                                 : mode == FileOpMode::Move ? "1006"
                                                            : "1007";
            const char* text = mode == FileOpMode::Delete ? "Unable to delete file"
                               : mode == FileOpMode::Move ? "Unable to move file"
                                                          : "Unable to copy file";
            const std::vector<FileOpFailure> expected = {
                {number, std::string(text) + ": " + fault.reason, path}};
            EXPECT_EQ(outcome.failures, expected);
            EXPECT_EQ(progress.failures, expected);
            EXPECT_EQ(exists(path), fault.reason != gone);
            ::unlink(path.c_str());
        }
    }
}

// Someone else deletes the file between the run's look and its delete.
class RacingShell : public FileOnlyShell {
public:
    IoResult ShellDelete(const std::string& path, bool toTrash) override {
        ::unlink(path.c_str());
        return FileOnlyShell::ShellDelete(path, toTrash);
    }
};

TEST_F(FileOperationTest, aFileGoneJustBeforeItsDeleteIsNoFailure) {
    list(dir.write("a.txt", "a"), 0, true);
    RacingShell racing;
    for (const bool toTrash : {true, false}) {
        FileOpSettings settings;
        settings.toTrash = toTrash;
        settings.removeEmptyFolders = false;
        const FileOpOutcome outcome = runFileOperation(model, settings, racing, user, progress);
        EXPECT_EQ(outcome.done, 0);
        EXPECT_TRUE(outcome.failures.empty()) << outcome.failures[0].description;
        dir.write("a.txt", "a");
        model.rows = {listedRow(dir.path() + "a.txt", 0, true)};
    }
}

// GIO says "not found" also when the Trash cannot keep its records: the
// file is still there, so that is a failure, not a file that went away.
TEST_F(FileOperationTest, aTrashThatCannotKeepItsRecordsIsAFailure) {
    const std::string info = TrashHome::trash() + "info";
    const std::string aside = info + ".aside";
    std::filesystem::create_directories(info);
    std::filesystem::rename(info, aside);
    ASSERT_EQ(::symlink((dir.path() + "nowhere").c_str(), info.c_str()), 0);
    const std::string path = dir.write("a.txt", "a");
    list(path, 0, true);
    const FileOpOutcome outcome = runMode(FileOpMode::Delete);
    ::unlink(info.c_str());
    std::filesystem::rename(aside, info);
    ASSERT_EQ(outcome.failures.size(), 1u);
    EXPECT_EQ(outcome.failures[0].description.rfind("Unable to delete file: ", 0), 0u)
        << outcome.failures[0].description;
    EXPECT_EQ(test::readFile(path), "a");
}

// The copy the user kept went away after the search: its marked twins stay.
// A group left fully marked on purpose is not held back.
TEST_F(FileOperationTest, aMarkedFileStaysWhenNoKeptCopyRemains) {
    const std::string kept = dir.write("a/kept.txt", "one");
    list(kept, 1, false);
    list(dir.write("a/twin.txt", "one"), 1, true);
    list(dir.write("b/x.txt", "two"), 2, true);
    list(dir.write("b/y.txt", "two"), 2, true);
    ::unlink(kept.c_str());

    // Move first: then the fully marked group is gone before the Delete.
    for (const FileOpMode mode : {FileOpMode::Move, FileOpMode::Delete}) {
        const FileOpOutcome outcome = runMode(mode, dir.mkdir("to"));
        const std::vector<FileOpFailure> expected = {
            {mode == FileOpMode::Delete ? "1005" : "1006",
             std::string(mode == FileOpMode::Delete ? "Unable to delete file"
                                                    : "Unable to move file") +
                 ": no unmarked copy of this group remains",
             dir.path() + "a/twin.txt"}};
        EXPECT_EQ(outcome.failures, expected);
        EXPECT_TRUE(exists(dir.path() + "a/twin.txt"));
    }
    EXPECT_FALSE(exists(dir.path() + "b"));
    EXPECT_EQ(test::namesIn(dir.path() + "to"), (std::vector<std::string>{"x.txt", "y.txt"}));
}

TEST_F(FileOperationTest, aKeptRowThatIsTheMarkedFileIsNoCopy) {
    // Rows as a session loads them, without identity; other/ has since
    // become a link to real/, so both rows reach one file.
    const std::string real = dir.write("real/f", "one");
    ASSERT_EQ(::symlink((dir.path() + "real").c_str(), (dir.path() + "other").c_str()), 0);
    list(real, 1, false);
    list(dir.path() + "other/f", 1, true);
    for (ResultRow& row : model.rows)
        row.facts.identity.reset();
    const FileOpOutcome outcome = runMode(FileOpMode::Delete);
    const std::vector<FileOpFailure> expected = {
        {"1005", "Unable to delete file: no unmarked copy of this group remains",
         dir.path() + "other/f"}};
    EXPECT_EQ(outcome.failures, expected);
    EXPECT_TRUE(exists(real));
}

TEST_F(FileOperationTest, confirmationsActStopAskingLeaveOrEndTheRun) {
    const std::string folder = dir.mkdir("q");
    for (const char* name : {"1", "2", "3", "4"})
        list(dir.write(std::string("q/") + name, name), 0, true);
    const auto question = [](const char* name, bool toTrash) {
        return MessageBoxRequest{
            toTrash ? "Are you sure you want to move \"" + std::string(name) + "\" to the Trash?"
                    : "Are you sure you want to permanently delete \"" + std::string(name) + "\"?",
            "Confirm", MsgIcon::Question, MsgButtons::YesYesToAllNoCancel, 1};
    };
    user.expectMessage(question("1", true), MsgAnswer::Yes)
        .expectMessage(question("2", true), MsgAnswer::No)
        .expectMessage(question("3", true), MsgAnswer::Cancel);
    FileOpSettings settings;
    settings.yesToAll = false;
    settings.removeEmptyFolders = false;
    const FileOpOutcome first = runWith(settings);
    EXPECT_TRUE(first.cancelled);
    EXPECT_EQ(first.done, 1);
    EXPECT_EQ(first.failures, (std::vector<FileOpFailure>{
                                  {"1005", "Unable to delete file: not confirmed", folder + "2"}}));
    EXPECT_EQ(test::namesIn(folder), (std::vector<std::string>{"2", "3", "4"}));
    user.verify();

    model.rows.erase(model.rows.begin());
    user.expectMessage(question("2", false), MsgAnswer::YesToAll);
    settings.toTrash = false;
    const FileOpOutcome second = runWith(settings);
    EXPECT_EQ(second.done, 3);
    EXPECT_FALSE(second.cancelled);
    EXPECT_EQ(test::namesIn(folder), std::vector<std::string>{});
}

// Declining a folder leaves every file bound for it, with one question.
TEST_F(FileOperationTest, aMissingDestinationIsCreatedOnlyWithLeave) {
    list(dir.write("src/a.txt", "a"), 0, true);
    list(dir.write("src/b.txt", "b"), 0, true);
    const std::string to = dir.path() + "new/deeper";
    user.expectMessage({"Create the folder \"" + to + "\"?", "Confirm", MsgIcon::Question,
                        MsgButtons::YesYesToAllNoCancel, 1},
                       MsgAnswer::No);
    FileOpSettings settings;
    settings.mode = FileOpMode::Move;
    settings.yesToAll = false;
    settings.destination = to;
    const FileOpOutcome declined = runWith(settings);
    ASSERT_EQ(declined.failures.size(), 2u);
    EXPECT_EQ(declined.failures[1].description, "Unable to move file: folder not created");
    EXPECT_FALSE(exists(to));
    user.verify();

    settings.yesToAll = true;
    settings.withStructure = true;
    EXPECT_EQ(runWith(settings).done, 2);
    EXPECT_EQ(test::namesIn(MakeStructure(dir.path() + "src/", to)),
              (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST_F(FileOperationTest, twoFilesOfOneNameIntoOneFolderAreBothKept) {
    const std::string to = dir.mkdir("to");
    list(dir.write("a/same.txt", "first"), 0, true);
    list(dir.write("b/same.txt", "second"), 0, true);
    EXPECT_EQ(runMode(FileOpMode::Move, to).done, 2);
    EXPECT_EQ(test::readFile(to + "same.txt"), "first");
    EXPECT_EQ(test::readFile(to + "same (2).txt"), "second");
}

// Cancel after the first file: the sweep still runs, and only the row of
// the file that went leaves the list, with the group it left alone.
TEST_F(FileOperationTest, cancelMidRunThenTheListLosesOnlyWhatWent) {
    list(dir.write("a/1.txt", "1"), 1, true);
    list(dir.write("a/2.txt", "1"), 1, false);
    list(dir.write("b/3.txt", "3"), 2, true);
    list(dir.write("b/4.txt", "3"), 2, false);
    list(dir.write("b/5.txt", "3"), 2, true);
    int asked = 0;
    progress.cancel = [&asked] { return ++asked > 1; };
    const FileOpOutcome outcome = runMode(FileOpMode::Delete);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(outcome.done, 1);
    EXPECT_EQ(progress.labels, (std::vector<std::string>{
                                   dir.path() + "a/1.txt",
                                   "Checking for empty folders. Please wait...", "Completed"}));

    updateListAfterFileOperation(model, user);
    EXPECT_EQ(listedNames(), (std::vector<std::string>{"3.txt", "4.txt", "5.txt"}));
    EXPECT_EQ(model.statusPanels[PanelProgress].text, "Total Files Marked 2 Size 2 Bytes");
}

TEST_F(FileOperationTest, theSweepTakesEmptiedFoldersOnly) {
    list(dir.write("p/emptied/a.txt", "a"), 0, true);
    list(dir.write("p/hidden/b.txt", "b"), 0, true);
    dir.write("p/hidden/.keep", "");
    runMode(FileOpMode::Delete);
    EXPECT_EQ(test::namesIn(dir.path() + "p"), std::vector<std::string>{"hidden"});
    EXPECT_EQ(progress.value, 2);
    EXPECT_EQ(progress.maximum, 2);
}

// Faults only a mount can make; each needs root.
TEST_F(FileOperationTest, mountedFaultsLeaveTheSourceAndGiveARow) {
    const test::ScratchVolume small = test::ScratchVolume::tmpfs("1m");
    if (!small.mounted())
        GTEST_SKIP() << "needs root to mount tmpfs and read-only binds";
    {
        const std::string folder = dir.mkdir("ro");
        dir.write("ro/f.txt", "f");
        const test::ScratchVolume readOnly = test::ScratchVolume::readOnly(folder);
        ASSERT_TRUE(readOnly.mounted());
        list(readOnly.path() + "f.txt", 0, true);
        FileOpSettings settings;
        settings.toTrash = false;
        const FileOpOutcome outcome = runWith(settings);
        EXPECT_EQ(outcome.failures, (std::vector<FileOpFailure>{
                                        {"1005", "Unable to delete file: Read-only file system",
                                         readOnly.path() + "f.txt"}}));
    }
    {
        const test::ScratchVolume volume = test::ScratchVolume::tmpfs("8m");
        ASSERT_TRUE(volume.mounted());
        const std::string path = volume.path() + "keep.txt";
        std::ofstream(path) << "kept";
        // A plain file where the volume's Trash folder would go.
        std::ofstream(volume.path() + ".Trash-" + std::to_string(::getuid()));
        model.rows.clear();
        list(path, 0, true);
        const FileOpOutcome outcome = runMode(FileOpMode::Delete);
        ASSERT_EQ(outcome.failures.size(), 1u);
        EXPECT_EQ(outcome.failures[0].description.rfind("Unable to delete file: ", 0), 0u);
        EXPECT_GT(outcome.failures[0].description.size(), 23u);
        EXPECT_EQ(test::readFile(path), "kept");
    }
    {
        // Larger than one chunk of a copy, so that Cancel can stop it half-way.
        const std::string content = test::randomBytes(20 << 20, 5);
        const std::string path = dir.write("src/big.bin", content);
        model.rows.clear();
        list(path, 0, true);
        const FileOpOutcome outcome = runMode(FileOpMode::Copy, small.path());
        EXPECT_EQ(outcome.failures,
                  (std::vector<FileOpFailure>{
                      {"1007", "Unable to copy file: No space left on device", path}}));
        EXPECT_TRUE(test::namesIn(small.path()).empty());
        EXPECT_TRUE(test::readFile(path) == content);

        // A move across file systems that Cancel stops half-way.
        int asked = 0;
        progress.cancel = [&asked] { return ++asked > 2; };
        const test::ScratchVolume roomy = test::ScratchVolume::tmpfs("64m");
        const FileOpOutcome stopped = runMode(FileOpMode::Move, roomy.path());
        EXPECT_TRUE(stopped.cancelled);
        EXPECT_TRUE(stopped.failures.empty());
        EXPECT_TRUE(test::namesIn(roomy.path()).empty());
        EXPECT_TRUE(test::readFile(path) == content);

        progress.cancel = [] { return false; };
        EXPECT_EQ(runMode(FileOpMode::Move, roomy.path()).done, 1);
        EXPECT_TRUE(test::readFile(roomy.path() + "big.bin") == content);
        EXPECT_FALSE(exists(path));
    }
}

TEST(FileOperationTextTest, progressLabelCutsAt71Characters) {
    const std::string seventy(70, 'p');
    EXPECT_EQ(progressLabel(seventy), seventy);
    EXPECT_EQ(progressLabel(seventy + "q"), seventy + "...");
    // Characters, not bytes: a cut never splits one.
    const std::string wide = std::string(69, 'p') + "\u00e9\u00e9";
    EXPECT_EQ(progressLabel(wide), std::string(69, 'p') + "\u00e9...");
}

TEST(FileOperationTextTest, makeStructureRebuildsTheFolderBelowTheDestination) {
    const std::vector<std::array<std::string, 3>> cases = {
        {"/home/a/b/", "/backup", "/backup/home/a/b"},
        {"/home/a/b/", "/backup/", "/backup/home/a/b"},
        {"/home/a/", "/", "/home/a"},
        {"/", "/backup", "/backup"},
        {"//x/./y/../z/", "/d", "/d/x/y/z"},
    };
    for (const auto& [source, destination, expected] : cases)
        EXPECT_EQ(MakeStructure(source, destination), expected) << source << " " << destination;
}

TEST_F(FileOperationTest, aRowFromASessionIsComparedByItsTimeText) {
    // Clocks go back at 03:00 summer time: 02:30 comes twice.
    const test::TimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    constexpr std::time_t firstHalfPastTwo = 1'698'539'400;
    struct Case {
        std::time_t fileTime;
        const char* savedText;
        bool changed;
    };
    for (const Case& c : {Case{firstHalfPastTwo, "2023-10-29 02:30", false},
                          Case{firstHalfPastTwo + 3600, "2023-10-29 02:30", false},
                          Case{firstHalfPastTwo + 59, "2023-10-29 02:31", true}}) {
        SCOPED_TRACE(c.fileTime);
        const std::string path = dir.write("f.txt", "12345");
        const struct timespec times[2] = {{0, UTIME_OMIT}, {c.fileTime, 7}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
        // As the loader makes it: no identity, seconds from the saved text.
        RowFacts facts = listedRow(path, 0, true).facts;
        facts.identity.reset();
        facts.lastWriteSeconds = localTimeOf(*readTimeStamp(c.savedText));
        const ResultRow row = makeResultRow("f.txt", dir.path(), "N/A", c.savedText, facts);
        EXPECT_EQ(changedSinceSearch(row).has_value(), c.changed);
    }
}

TEST_F(FileOperationTest, beginningNeedsAMarkedRow) {
    list(dir.write("a", "aa"), 1, false);
    list(dir.write("b", "aa"), 1, true);
    EXPECT_EQ(beginDeleteOrMove(model, user)->bytes, 2);
    EXPECT_EQ(model.statusPanels[PanelProgress].text, "Total Files Marked 1 Size 2 Bytes");
    model.rows[1].icon = image::Unmarked;
    user.expectMessage({"No items marked/checked", "Error", MsgIcon::None, MsgButtons::OK},
                       MsgAnswer::OK);
    EXPECT_EQ(beginCopy(model, user), std::nullopt);
}

} // namespace
} // namespace twinsift
