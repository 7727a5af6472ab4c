#include "commands/scan_command.h"

#include "core/format.h"
#include "core/window_commands.h"
#include "persist/parameters_file.h"
#include "scan/exclusion_list.h"
#include "scan/scan_path.h"
#include "scan/search_paths.h"
#include "support/notice_recorder.h"
#include "support/scripted_answerer.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace twinsift {
namespace {

using test::ScriptedAnswerer;
using test::TempDir;

SearchPathRow row(const std::string& folder, const std::string& minKB = "0",
                  const std::string& maxKB = "", const std::string& mask = "All files(*.*)") {
    SearchPathRow r;
    r.text = folder;
    r.subItems = {"Yes", mask, minKB, maxKB, "", ""};
    return r;
}

// A scan as a front end starts it: an empty exclusion list and a default
// parameters file of its own.
class ScanCommandTest : public ::testing::Test {
protected:
    ScanOutcome scan() { return Scan(model, user, settings()); }

    ScanSettings settings() const {
        ScanSettings settings{defaultFile(), &exclusions};
        settings.tooManyFiles = tooManyFiles;
        return settings;
    }
    std::string defaultFile() const { return tree.path() + "default.tsf"; }
    // The search paths the default parameters file holds.
    std::size_t savedRows() const {
        WindowModel saved;
        EXPECT_EQ(readParametersFile(saved, defaultFile(), user).stop, ParametersFileOutcome::None);
        return saved.SearchList.size();
    }

    std::set<std::string> listedPaths() const {
        std::set<std::string> paths;
        for (const ResultRow& r : model.rows)
            paths.insert(r.fullPath());
        return paths;
    }

    const std::string& panel(int index) const {
        return model.statusPanels[static_cast<std::size_t>(index)].text;
    }

    void expectIdle() const {
        const std::vector<bool> flags{
            model.scanning,      model.toolbarEnabled,          model.MCancelEnabled,
            model.menusEnabled,  model.searchControlsEnabled,   model.Timer1Enabled,
            model.Timer2Enabled, model.statusPanels[2].visible, model.statusPanels[3].visible};
        EXPECT_EQ(flags,
                  (std::vector<bool>{false, true, false, true, true, false, true, true, true}));
    }

    TempDir tree;
    mutable ScriptedAnswerer user;
    ExclusionList exclusions;
    WindowModel model;
    std::int64_t tooManyFiles = kTooManyFiles;
};

TEST_F(ScanCommandTest, completedScanReportsCountsAndLeavesTheWindowIdle) {
    tree.write("a/one.txt", "1234567890");
    tree.write("a/two.txt", "123456789");
    tree.write("a/empty.txt", "");
    tree.write("b/three.txt", "x");
    model.SearchList = {row(tree.path() + "a"), row(tree.path() + "b")};
    model.rows.push_back({});

    EXPECT_EQ(scan(), ScanOutcome::Completed);

    EXPECT_EQ(panel(0), "Search Completed.");
    EXPECT_EQ(panel(1), "Duplicate Files: 0  Size: 0 Bytes");
    EXPECT_EQ(panel(2), "Files : 3"); // the empty file is below the 1-byte minimum
    EXPECT_EQ(panel(3), "Folders : 0");
    EXPECT_EQ(savedRows(), 2u);
    EXPECT_TRUE(model.rows.empty());
    expectIdle();
}

TEST_F(ScanCommandTest, noSearchPathAsksForOneAfterSavingTheDefaults) {
    model.statusPanels[0].text = "before";
    user.expectMessage(
        {"Please add search path first.", "Error", MsgIcon::Information, MsgButtons::OK, 1},
        MsgAnswer::OK);

    EXPECT_EQ(scan(), ScanOutcome::NoSearchPath);

    EXPECT_EQ(savedRows(), 0u);
    EXPECT_EQ(panel(0), "before");
    EXPECT_FALSE(model.Timer2Enabled);
}

TEST_F(ScanCommandTest, eachRowIsWalkedWithItsOwnBounds) {
    tree.write("a/small.bin", std::string(10239, 'x'));
    tree.write("a/ten.bin", std::string(10240, 'x'));
    tree.write("b/big.bin", std::string(30000, 'x'));
    tree.write("b/one.bin", "x");
    // A 64-bit minimum: 3000000 KB lies beyond what 32 bits hold.
    const std::string huge = tree.write("c/huge.bin", "");
    const std::string almost = tree.write("c/almost.bin", "");
    ASSERT_EQ(::truncate(huge.c_str(), 3000000LL * 1024), 0);
    ASSERT_EQ(::truncate(almost.c_str(), 3000000LL * 1024 - 1), 0);
    // Maximums up to the largest are taken, 9e15 KB among them.
    tree.write("d/one.bin", "x");
    tree.write("e/one.bin", "x");
    model.SearchList = {row(tree.path() + "a", "10", "20"), row(tree.path() + "b"),
                        row(tree.path() + "c", "3000000"), row(tree.path() + "d", "0", "9e15"),
                        row(tree.path() + "e", "0", "9007199254740991")};
    tree.write("b/empty.bin", "");

    scan();

    // ten.bin, big.bin (the first row's maximum is not carried over), one.bin
    // (a minimum of 0 is one byte, so empty.bin stays out), huge.bin, d and e.
    EXPECT_EQ(panel(2), "Files : 6");
}

// A value the walker cannot take ends the whole scan, later rows unwalked.
TEST_F(ScanCommandTest, sizeValuesTheWalkerCannotTakeEndTheScanNamedInTheErrorReport) {
    tree.write("a/one.txt", "1");
    tree.write("b/two.txt", "2");
    const std::string a = tree.path() + "a";
    // -0.4 rounds to 0 KB but is below 0; 9.1e15 KB of bytes pass 2^63.
    const std::vector<std::tuple<SearchPathRow, int, std::string>> cases = {
        {row(a, "-0.4"), 6,
         "Min Size '-0.4' of the search path '" + a + "' is not a size from 0 to"},
        {row(a, "0", "9.1e15"), 6, "Max Size '9.1e15' of the search path"},
        {row(a, "0", "0.0001"), 6,
         "Max Size '0.0001' of the search path '" + a + "' is less than one byte"},
        {row(a, "ten"), 13,
         "Type mismatch: Min Size 'ten' of the search path '" + a + "' is not a number"},
    };
    for (const auto& [wrong, number, description] : cases) {
        ScriptedAnswerer asked;
        asked.expectErrorReport(ErrorReportAnswer::Abort);
        model.SearchList = {wrong, row(tree.path() + "b")};
        Scan(model, asked, {});
        ASSERT_EQ(asked.asked().size(), 1u) << description;
        const ErrorRecord& error = asked.asked()[0].error;
        EXPECT_EQ(error.procedure, "Scanning");
        EXPECT_EQ(error.number, number) << description;
        EXPECT_NE(error.description.find(description), std::string::npos) << error.description;
        EXPECT_EQ(panel(2), "Files : 0") << description;
    }
    EXPECT_EQ(panel(0), "Search Terminated.");
    expectIdle();
}

// Rows as a parameters file may hold them: after the row that would walk
// the folder, untidy, or naming the folder through a link. A file reached
// twice (a hard link, a row inside another) counts once, breadth first.
TEST_F(ScanCommandTest, rowsMarkedExcludeFolderLeaveTheirFoldersOutOfEveryPath) {
    tree.write("a/keep.empty", "");
    tree.write("a/sub/empty", "");
    ASSERT_EQ(::link((tree.path() + "a/sub/empty").c_str(), (tree.path() + "a/linked").c_str()), 0);
    tree.write("a/private/secret.empty", "");
    tree.write("a/private/deeper/more.empty", "");
    tree.write("b/private/other.empty", "");
    std::filesystem::create_directory_symlink(tree.path() + "b", tree.path() + "b-link");
    SearchPathRow untidy = row(tree.path() + "a//./private");
    SearchPathRow linked = row(tree.path() + "b-link/private/");
    untidy.icon = linked.icon = image::ExcludedPath;
    model.SearchList = {row(tree.path() + "a"), row(tree.path() + "b"), untidy, linked,
                        row(tree.path() + "a/sub")};
    model.engine = Engine::ZeroSize;

    scan();

    EXPECT_EQ(listedPaths(),
              (std::set<std::string>{tree.path() + "a/keep.empty", tree.path() + "a/linked"}));
    EXPECT_EQ(model.skipped.count(), 0) << "an excluded folder is the user's choice, no skip";

    model.SearchList = {untidy};
    scan();
    EXPECT_EQ(panel(0), "Search Completed.");
    EXPECT_EQ(panel(2), "Files : 0") << "only excluded rows walk nothing";
    expectIdle();
}

TEST_F(ScanCommandTest, dateBoundsBeforeNineteenSeventyAreBoundsToo) {
    const auto stamp = [](const std::string& path, std::time_t when) {
        const timespec times[2] = {{when, 0}, {when, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    };
    stamp(tree.write("a/fifties", ""), -441763200); // 1956-01-01 UTC
    stamp(tree.write("a/sixties", ""), -94694400);  // 1967-01-01 UTC
    stamp(tree.write("a/recent", ""), 1577836800);  // 2020-01-01 UTC
    model.engine = Engine::ZeroSize;
    model.SearchList = {row(tree.path() + "a")};
    model.SearchList[0].subItems[SearchPathRow::MinDate] = "01/01/1950";
    model.SearchList[0].subItems[SearchPathRow::MaxDate] = "01/01/1960";

    scan();
    EXPECT_EQ(listedPaths(), std::set<std::string>{tree.path() + "a/fifties"});

    // The epoch itself is a bound as well: only the file from 2020 is after it.
    model.SearchList[0].subItems[SearchPathRow::MinDate] = "01/02/1970";
    model.SearchList[0].subItems[SearchPathRow::MaxDate] = "";
    scan();
    EXPECT_EQ(listedPaths(), std::set<std::string>{tree.path() + "a/recent"});
}

TEST_F(ScanCommandTest, pathsThatCannotBeWalkedAreAccountedAsSkipped) {
    const std::string file = tree.write("plain.txt", "x");
    const std::string fifo = tree.path() + "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A folder 100 bytes short of the system's path limit, with a file whose
    // path just fits and one whose path is one byte too long.
    const std::string base = tree.path() + "long/";
    std::string folder = base;
    while (folder.size() + 201 < PATH_MAX - 100)
        folder += std::string(200, 'd') + "/";
    folder += std::string(PATH_MAX - 100 - folder.size() - 1, 'e') + "/";
    std::filesystem::create_directories(folder);
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(dirFd, 0);
    const std::string fitting(99, 'f'), overlong(100, 'g');
    for (const std::string& name : {fitting, overlong})
        ::close(::openat(dirFd, name.c_str(), O_WRONLY | O_CREAT, 0644));
    model.engine = Engine::ZeroSize;
    model.SearchList = {row(tree.path() + "missing"), row(file), row(fifo), row(base),
                        row("/dev/shm")};

    scan();
    // Removed here: a path past the limit cannot be removed by its path.
    ::unlinkat(dirFd, overlong.c_str(), 0);
    ::close(dirFd);

    EXPECT_EQ(panel(0), "Search Completed.");
    EXPECT_EQ(listedPaths(), std::set<std::string>{folder + fitting});
    EXPECT_EQ(model.skipped.items(),
              (std::vector<SkippedItem>{{tree.path() + "missing/", "No such file or directory"},
                                        {file + "/", "Not a directory"},
                                        {fifo + "/", "Not a directory"},
                                        {folder + overlong, "File name too long"},
                                        {"/dev/shm/", kProtectedFolder}}));

    // The next scan starts a new account.
    model.SearchList = {row(folder)};
    scan();
    EXPECT_EQ(model.skipped.count(), 0);
}

TEST_F(ScanCommandTest, filesTheComparisonCannotReadAreAccountedButStillFound) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permission bits do not stop the superuser";
    const std::string locked = tree.write("a/locked", "same");
    tree.write("a/open", "same");
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    model.SearchList = {row(tree.path() + "a")};

    scan();
    EXPECT_EQ(panel(2), "Files : 2");
    EXPECT_EQ(model.skipped.items(), (std::vector<SkippedItem>{{locked, "Permission denied"}}));

    model.engine = Engine::SameNames; // reads no content, so leaves nothing out
    scan();
    EXPECT_EQ(model.skipped.count(), 0);
}

// The listing of empty files reads no content, so only its look at each
// path can notice that a file vanished or a folder now leads elsewhere.
// Its times are shown in local time.
TEST_F(ScanCommandTest, zeroSizeListingIgnoresSizeBoundsAndLeavesOutVanishedOrSwappedPaths) {
    const char* oldTz = std::getenv("TZ");
    const std::optional<std::string> savedTz =
        oldTz ? std::optional<std::string>(oldTz) : std::nullopt;
    ::setenv("TZ", "IST-5:30", 1);
    ::tzset();
    const timespec times[2] = {{0, UTIME_OMIT}, {59, 0}}; // 00:00:59 UTC
    const bool stamped =
        ::utimensat(AT_FDCWD, tree.write("a/empty.log", "").c_str(), times, 0) == 0;
    tree.write("a/gone.txt", "");
    tree.write("a/full.txt", "x");
    tree.write("a/b/noext", "");
    tree.write("a/d1/x", "");
    tree.write("a/d2/x", "");
    model.SearchList = {row(tree.path() + "a", "10", "20")};
    model.engine = Engine::ZeroSize;
    bool changed = false;
    model.yield = [&] {
        if (!changed && panel(0) == "Starting search engine, please wait...") {
            changed = true;
            std::filesystem::remove(tree.path() + "a/gone.txt");
            std::filesystem::rename(tree.path() + "a/d1", tree.path() + "d1.old");
            std::filesystem::create_directory_symlink(tree.path() + "a/d2", tree.path() + "a/d1");
        }
    };

    scan();
    // Put back before any check can end the test early.
    savedTz ? ::setenv("TZ", savedTz->c_str(), 1) : ::unsetenv("TZ");
    ::tzset();

    EXPECT_TRUE(stamped && changed);
    EXPECT_EQ(panel(2), "Files : 5");
    EXPECT_EQ(listedPaths(),
              (std::set<std::string>{tree.path() + "a/empty.log", tree.path() + "a/b/noext",
                                     tree.path() + "a/d2/x"}));
    std::vector<std::string> first;
    for (const ResultColumn c : {ColFileName, ColSize, ColFileVersion, ColGroup, ColSortSize,
                                 ColExt, ColLastModified, ColSortDate})
        first.push_back(model.rows[0].text(c));
    EXPECT_EQ(first, (std::vector<std::string>{"empty.log", "0", "N/A", "N/A", "000000000000",
                                               "log", "1970-01-01 05:30", "19700101053000"}));
    // The row keeps the file's own time and identity for what decides by them.
    struct stat status {};
    ASSERT_EQ(::stat((tree.path() + "a/empty.log").c_str(), &status), 0);
    EXPECT_EQ(model.rows[0].facts.lastWriteSeconds, 59);
    EXPECT_EQ(model.rows[0].facts.identity, (FileIdentity{status.st_dev, status.st_ino}));
    EXPECT_EQ(model.rows[1].text(ColExt), "");
    // The listing's candidates stay until the next scan; panel 2 stays hidden.
    EXPECT_EQ(model.Candidates.size(), 5u);
    EXPECT_FALSE(model.statusPanels[1].visible);
}

TEST_F(ScanCommandTest, cancelAskedDuringTheFirstPathStopsTheWholeScan) {
    for (int i = 0; i < 200; ++i)
        tree.write("a/f" + std::to_string(i), "x");
    tree.write("b/other", "x");
    tree.write("c/other", "x");
    model.SearchList = {row(tree.path() + "a"), row(tree.path() + "b"), row(tree.path() + "c")};
    const MessageBoxRequest question{"Are you sure to cancel searching?", "Cancel Search",
                                     MsgIcon::None, MsgButtons::YesNo, 2};
    user.expectMessage(question, MsgAnswer::No).expectMessage(question, MsgAnswer::Yes);
    std::int32_t cancelledAt = 0;
    model.yield = [&] {
        if (model.FilesFound == 5 || (model.FilesFound == 20 && cancelledAt == 0)) {
            const bool wasCancelled = model.SearchCancelled;
            CancelScan(model, user);
            if (!wasCancelled && model.SearchCancelled)
                cancelledAt = model.FilesFound;
        }
    };

    scan();

    EXPECT_EQ(cancelledAt, 20);
    EXPECT_LE(model.FilesFound, 30);
    EXPECT_EQ(panel(0), "Search Terminated.");
    EXPECT_TRUE(model.rows.empty());
    expectIdle();
}

TEST_F(ScanCommandTest, progressEveryFiftyFoldersGoesToTheCaptionWhenMinimised) {
    for (int i = 0; i < 120; ++i)
        tree.mkdir("a/d" + std::to_string(i));
    model.SearchList = {row(tree.path() + "a")};
    std::vector<std::string> panels;
    std::vector<std::string> captions;
    test::NoticeRecorder notices(model);
    notices.onStatus = [&] {
        if (model.scanning) {
            panels.push_back(panel(0));
            captions.push_back(model.caption);
        }
    };

    scan();
    EXPECT_EQ(std::count(panels.begin(), panels.end(), "Scanning... " + tree.path() + "a/"), 2);
    EXPECT_EQ(panel(3), "Folders : 120");
    EXPECT_EQ(model.caption, kWindowTitle);

    model.minimised = true;
    captions.clear();
    scan();
    const std::string start = "Scanning... " + tree.path().substr(0, 3) + ".../d";
    EXPECT_EQ(std::count_if(captions.begin(), captions.end(),
                            [&](const std::string& c) { return c.starts_with(start); }),
              2);
    EXPECT_EQ(model.caption, "100% Completed");
}

// Up to the limit (100000 unless told) files pass without a question; one
// more asks, and Cancel stops.
TEST_F(ScanCommandTest, tooManyFilesAreAskedAboutAboveTheLimitOnly) {
    tooManyFiles = 20;
    for (int i = 0; i < tooManyFiles; ++i)
        tree.write("many/f" + std::to_string(i) + ".dat", "x");
    tree.write("many/extra.txt", "x");
    model.SearchList = {row(tree.path() + "many", "0", "", "Data (*.dat)")};
    scan();
    EXPECT_EQ(panel(2), "Files : 20");
    EXPECT_EQ(panel(0), "Search Completed.");

    model.SearchList = {row(tree.path() + "many")};
    user.expectTooManyFiles(true);
    scan();
    EXPECT_EQ(user.asked().back().files, 21);
    EXPECT_EQ(panel(0), "Search Completed.");

    user.expectTooManyFiles(false);
    EXPECT_EQ(scan(), ScanOutcome::Cancelled);
    EXPECT_EQ(panel(0), "Search Terminated.");
    EXPECT_EQ(panel(2), "Files : 21");
    expectIdle();
}

// Deleting one path of a hard-linked pair would delete the only copy.
TEST_F(ScanCommandTest, twoPathsOfOneFileAreNoGroup) {
    const std::string original = tree.write("x/a/one", test::randomBytes(4000, 10));
    ASSERT_EQ(::link(original.c_str(), (tree.mkdir("x/b") + "link").c_str()), 0);
    tree.write("x/c/copy", test::randomBytes(3000, 11));
    tree.write("x/d/copy", test::randomBytes(3000, 11));
    model.workerThreads = 2;
    model.SearchList = {row(tree.path() + "x")};

    scan();

    ASSERT_EQ(model.rows.size(), 2u);
    EXPECT_EQ(model.rows[0].fullPath(), tree.path() + "x/c/copy");
    EXPECT_EQ(model.rows[1].fullPath(), tree.path() + "x/d/copy");
}

TEST(ScanSwitchesTest, uncheckingProtectionAsksOnlyWhenTheUserDidIt) {
    ScriptedAnswerer user;
    WindowModel model;
    const MessageBoxRequest question{
        "It is highly recommended to leave this option checked to prevent loss of data.\r\n"
        "Do you want to leave this option",
        "Confirm", MsgIcon::Critical, MsgButtons::YesNo, 2};
    user.expectMessage(question, MsgAnswer::Yes).expectMessage(question, MsgAnswer::No);

    model.chkProtect.checked = false;
    protectionUnchecked(model, user);
    EXPECT_TRUE(model.chkProtect.checked);

    model.chkProtect.checked = false;
    protectionUnchecked(model, user);
    EXPECT_FALSE(model.chkProtect.checked);

    model.chkProtect.tag = "ThruFile";
    protectionUnchecked(model, user);
    EXPECT_FALSE(model.chkProtect.checked);
}

} // namespace
} // namespace twinsift
