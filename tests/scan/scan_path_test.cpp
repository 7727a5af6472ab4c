#include "scan/scan_path.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace twinsift {
namespace {

using test::TempDir;

struct Found {
    std::string name;
    std::string folder;
    std::int64_t size = 0;
    std::time_t lastWrite = 0;
};

// A walker that accepts every non-empty file, as the scan driver sets it up,
// over a folder of its own; what it reports is recorded, paths below the
// folder relative to it.
class WalkTest : public ::testing::Test {
protected:
    WalkTest() {
        walker.MinimumSize = 1;
        record();
    }
    void record() {
        walker.FileMatchEx = [this](const EntryDetails& d) { files.push_back(found(d)); };
        walker.DirMatchEx = [this](const EntryDetails& d) { folders.push_back(found(d)); };
        walker.Skipped = [this](std::string_view path, std::string_view reason) {
            skipped.push_back({std::string(path), std::string(reason)});
        };
    }
    static Found found(const EntryDetails& d) {
        return {std::string(d.Name), std::string(d.Folder), d.Size, d.LastWrite};
    }

    // Forgets the last walk's reports, walks `start` and returns the files found.
    std::set<std::string> walk(const std::string& start, bool subFolders = true) {
        files.clear();
        folders.clear();
        skipped.clear();
        walker.StartScan(start, subFolders);
        return pathsOf(files);
    }
    std::set<std::string> pathsOf(const std::vector<Found>& entries) const {
        std::set<std::string> paths;
        for (const auto& e : entries) {
            const std::string full = e.folder + e.name;
            paths.insert(full.starts_with(dir.path()) ? full.substr(dir.path().size()) : full);
        }
        return paths;
    }

    TempDir dir;
    cScanPath walker;
    std::vector<Found> files;
    std::vector<Found> folders;
    std::vector<SkippedItem> skipped;
};

void setTimes(const std::string& path, std::time_t modified, std::time_t accessed) {
    const timespec times[2] = {{accessed, 0}, {modified, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

// What the masks match is the mask tests' concern; here, that the walker
// applies them, to a name that is not UTF-8 by its bytes.
TEST_F(WalkTest, masksAndExcludedExtensionsFilterByWholeExtension) {
    for (const char* name : {"a.TXT", "b.bak", "c.txt2", "f.tmp", "caf\xe9 \xff?*.txt"})
        dir.write(name, "x");
    walker.setFilter("Text files  (*.txt *.bak)");
    EXPECT_EQ(walk(dir.path()), (std::set<std::string>{"a.TXT", "b.bak", "caf\xe9 \xff?*.txt"}));

    walker.setFilter("");
    walker.setExFilter("*.txt;*.mp;");
    EXPECT_EQ(walk(dir.path()), (std::set<std::string>{"b.bak", "c.txt2", "f.tmp"}))
        << "f.tmp must survive excluding mp, and c.txt2 excluding txt";
}

TEST_F(WalkTest, excludedFoldersCoverWholeComponentsAndTheirSubtrees) {
    for (const char* path : {"Temp/a", "Temp/deep/b", "Temp2/c", "a;b/x", "a/y"})
        dir.write(path, "x");
    walker.setExFolder(dir.path() + "TEMP;");
    EXPECT_EQ(walk(dir.path()), (std::set<std::string>{"Temp2/c", "a;b/x", "a/y"}));
    EXPECT_EQ(pathsOf(folders), (std::set<std::string>{"Temp2", "a;b", "a"}));
    EXPECT_EQ(walker.DirCount(), 3);
    EXPECT_TRUE(walk(dir.path() + "Temp/deep").empty())
        << "a start folder inside an excluded one walks nothing";

    // Given as a list, a name that holds a ";" stays one name.
    walker.setExFolders({dir.path() + "a;b"});
    EXPECT_EQ(walk(dir.path()), (std::set<std::string>{"Temp/a", "Temp/deep/b", "Temp2/c", "a/y"}));
}

TEST_F(WalkTest, hiddenEntriesNeedTheHiddenSwitch) {
    dir.write(".hidden", "x");
    dir.write(".cache/inner", "x");
    dir.write("visible", "x");
    EXPECT_EQ(walk(dir.path()), std::set<std::string>{"visible"});
    EXPECT_TRUE(folders.empty());
    EXPECT_EQ(walk(dir.path() + ".cache"), std::set<std::string>{".cache/inner"})
        << "a hidden start folder still shows its visible children";

    walker.Hidden = true;
    EXPECT_EQ(walk(dir.path()), (std::set<std::string>{".hidden", ".cache/inner", "visible"}));
}

// Sizes past 4 GiB keep every bit.
TEST_F(WalkTest, sizeBoundsAreInclusiveAndNoBoundsMeansEmptyFilesOnly) {
    dir.write("empty", "");
    dir.write("one", "1");
    dir.write("ten", "0123456789");
    constexpr std::int64_t huge = (std::int64_t{5} << 30) + 7;
    ASSERT_EQ(::truncate(dir.write("sparse", "").c_str(), huge), 0);
    auto bounded = [&](std::int64_t minimum, std::int64_t maximum) {
        walker.MinimumSize = minimum;
        walker.MaximumSize = maximum;
        return walk(dir.path());
    };
    EXPECT_EQ(bounded(0, 0), std::set<std::string>{"empty"});
    EXPECT_EQ(bounded(1, 0), (std::set<std::string>{"one", "ten", "sparse"}));
    EXPECT_EQ(bounded(0, 1), (std::set<std::string>{"empty", "one"}));
    EXPECT_EQ(bounded(1, 10), (std::set<std::string>{"one", "ten"}));
    EXPECT_EQ(bounded(2, 10), std::set<std::string>{"ten"});
    EXPECT_EQ(bounded(2, 9), std::set<std::string>{});
    EXPECT_EQ(bounded(1, std::int64_t{4} << 30), (std::set<std::string>{"one", "ten"}));
    ASSERT_EQ(bounded((std::int64_t{4} << 30) + 1, 0), std::set<std::string>{"sparse"});
    EXPECT_EQ(files[0].size, huge);
}

TEST_F(WalkTest, dateBoundsAreInclusiveAtMinutePrecision) {
    setTimes(dir.write("newYear", "x"), test::localTime(2024, 1, 1, 0, 0, 30),
             test::localTime(2024, 6, 1, 0, 0, 0));
    setTimes(dir.write("lastDay", "x"), test::localTime(2024, 1, 31, 10, 15, 59),
             test::localTime(2024, 1, 2, 0, 0, 0));
    walker.FromDate = test::localTime(2024, 1, 1, 0, 0, 0);
    walker.ToDate = test::localTime(2024, 1, 31, 0, 0, 0);
    ASSERT_EQ(walk(dir.path()), std::set<std::string>{"newYear"});
    EXPECT_EQ(files[0].lastWrite, test::localTime(2024, 1, 1, 0, 0, 0));

    walker.ToDate.reset();
    walk(dir.path());
    const auto last = std::find_if(files.begin(), files.end(),
                                   [](const Found& f) { return f.name == "lastDay"; });
    ASSERT_NE(last, files.end());
    EXPECT_EQ(last->lastWrite, test::localTime(2024, 1, 31, 10, 15, 0)) << "seconds are dropped";

    walker.DateType = 2; // access time
    walker.FromDate = test::localTime(2024, 3, 1, 0, 0, 0);
    EXPECT_EQ(walk(dir.path()), std::set<std::string>{"newYear"});
}

TEST_F(WalkTest, listsBreadthFirstAndCountsWhatItReports) {
    for (const char* path : {"top", "a/a1", "a/deep/a2", "b/b1", "b/deeper/still/b2"})
        dir.write(path, "x");
    std::vector<std::string> fileFolders;
    walker.FileMatchEx = [&](const EntryDetails& d) { fileFolders.emplace_back(d.Folder); };
    walker.DirMatchEx = [&](const EntryDetails& d) { EXPECT_TRUE(d.Folder.ends_with('/')); };
    walker.StartScan(dir.path().substr(0, dir.path().size() - 1), true); // no trailing "/"

    ASSERT_EQ(fileFolders.size(), 5U);
    auto depth = [&](const std::string& folder) {
        EXPECT_TRUE(folder.starts_with(dir.path())) << folder;
        return std::count(folder.begin() + static_cast<long>(dir.path().size()), folder.end(), '/');
    };
    for (std::size_t i = 1; i < fileFolders.size(); ++i)
        EXPECT_LE(depth(fileFolders[i - 1]), depth(fileFolders[i])) << fileFolders[i];
    EXPECT_EQ(walker.FileCount(), 5);
    EXPECT_EQ(walker.DirCount(), 5); // a, a/deep, b, b/deeper, b/deeper/still

    // Without sub-folders they are reported but not entered.
    record();
    EXPECT_EQ(walk(dir.path(), false), std::set<std::string>{"top"});
    EXPECT_EQ(pathsOf(folders), (std::set<std::string>{"a", "b"}));
    EXPECT_EQ(walker.DirCount(), 2);
}

TEST_F(WalkTest, stopFromTheYieldEndsTheWalkWithinTenEntries) {
    for (int i = 0; i < 200; ++i)
        dir.write("sub" + std::to_string(i % 4) + "/f" + std::to_string(i), "x");
    int yields = 0;
    walker.yield = [&] {
        if (++yields == 3)
            walker.StopScan();
    };
    walker.StartScan(dir.path(), true);
    EXPECT_EQ(yields, 3);
    EXPECT_LE(walker.FileCount() + walker.DirCount(), 30);

    walker.yield = nullptr;
    walker.StartScan(dir.path(), true);
    EXPECT_EQ(walker.FileCount(), 200) << "the next walk starts afresh";
}

TEST_F(WalkTest, linksAndFifosAreNeverReportedButAStartLinkIsWalked) {
    const std::string target = dir.write("real/file", "x");
    ASSERT_EQ(::symlink(target.c_str(), (dir.path() + "fileLink").c_str()), 0);
    ASSERT_EQ(::symlink((dir.path() + "real").c_str(), (dir.path() + "folderLink").c_str()), 0);
    ASSERT_EQ(::mkfifo((dir.path() + "fifo").c_str(), 0600), 0);
    walker.MinimumSize = 0;
    walker.MaximumSize = 100; // empty files too: a FIFO has size 0
    walker.Hidden = true;
    walker.System = true;
    EXPECT_EQ(walk(dir.path()), std::set<std::string>{"real/file"});
    EXPECT_EQ(pathsOf(folders), std::set<std::string>{"real"});
    EXPECT_EQ(walk(dir.path() + "folderLink"), std::set<std::string>{"folderLink/file"});
}

// Pseudo file systems are never entered; system folders only with System
// on, also not through a start folder that is a link into one. Both are
// reported as left out; an excluded folder is the user's choice, not.
TEST_F(WalkTest, pseudoFileSystemsAndSystemFoldersAreLeftOutAndReported) {
    ASSERT_EQ(::symlink("/usr/share", (dir.path() + "share").c_str()), 0);
    for (const std::string& start : {std::string("/usr/share"), dir.path() + "share"}) {
        walk(start, false);
        EXPECT_TRUE(files.empty() && folders.empty()) << start;
    }
    walk("/", false);
    std::set<std::string> roots = pathsOf(folders);
    EXPECT_EQ(roots.count("/usr") + roots.count("/etc") + roots.count("/proc"), 0U);
    EXPECT_EQ(roots.count("/tmp"), 1U);
    EXPECT_NE(std::find(skipped.begin(), skipped.end(), SkippedItem{"/usr/", kProtectedFolder}),
              skipped.end());

    walker.System = true;
    walker.Hidden = true;
    walker.MinimumSize = 0;
    walker.MaximumSize = 1 << 30;
    for (const char* start : {"/proc", "/proc/self/", "/sys/kernel"}) {
        walk(start);
        EXPECT_EQ(walker.FileCount() + walker.DirCount(), 0) << start;
    }
    walk("/proc");
    EXPECT_EQ(skipped, (std::vector<SkippedItem>{{"/proc/", kPseudoFileSystem}}));
    walk("/", false);
    roots = pathsOf(folders);
    EXPECT_EQ(roots.count("/proc") + roots.count("/sys"), 0U);
    EXPECT_EQ(roots.count("/usr"), 1U);

    walker.System = false;
    walker.setExFolders({"/usr"});
    walk("/usr/lib");
    EXPECT_TRUE(skipped.empty());

    // A row of a parameters file may name no folder at all.
    EXPECT_TRUE(walk("").empty());
    EXPECT_EQ(skipped, (std::vector<SkippedItem>{{"", "no path given"}}));
}

// A folder gone between being reported and being listed, files gone after
// their folder was listed: neither reported nor skipped.
TEST_F(WalkTest, entriesThatVanishDuringTheWalkAreLeftOutSilently) {
    dir.write("gone/file", "x");
    for (int i = 0; i < 50; ++i)
        dir.write("stays/f" + std::to_string(i), "x");
    walker.DirMatchEx = [&](const EntryDetails& d) {
        if (d.Name == "gone")
            std::filesystem::remove_all(dir.path() + "gone");
    };
    int reported = 0;
    walker.FileMatchEx = [&](const EntryDetails&) {
        ++reported;
        for (int i = 0; i < 50; ++i)
            ::unlink((dir.path() + "stays/f" + std::to_string(i)).c_str());
    };
    walk(dir.path());
    EXPECT_EQ(reported, 1);
    EXPECT_EQ(walker.FileCount(), 1);
    EXPECT_TRUE(skipped.empty());
}

TEST_F(WalkTest, foldersWithoutReadPermissionAreReportedAsSkipped) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permission bits do not stop the superuser";
    dir.write("locked/file", "x");
    dir.write("open/file", "x");
    const std::string unreadable = dir.write("open/unreadable", "x");
    ASSERT_EQ(::chmod((dir.path() + "locked").c_str(), 0), 0);
    // Found all the same: only a comparison that must read it leaves it out.
    ASSERT_EQ(::chmod(unreadable.c_str(), 0), 0);
    EXPECT_EQ(walk(dir.path()), (std::set<std::string>{"open/file", "open/unreadable"}));
    EXPECT_EQ(skipped, (std::vector<SkippedItem>{{dir.path() + "locked/", "Permission denied"}}));
}

TEST_F(WalkTest, aFolderDeeperThanThePathLimitIsReportedNotDropped) {
    dir.write("top", "x");
    // Built and removed through descriptors: its path is too long to name.
    const std::string component(250, 'd');
    std::vector<int> fds{::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY)};
    std::string relative;
    while (relative.size() < PATH_MAX) {
        ASSERT_EQ(::mkdirat(fds.back(), component.c_str(), 0755), 0);
        fds.push_back(::openat(fds.back(), component.c_str(), O_RDONLY | O_DIRECTORY));
        ASSERT_GE(fds.back(), 0);
        relative += component + "/";
    }
    walk(dir.path());

    EXPECT_EQ(skipped, (std::vector<SkippedItem>{{dir.path() + relative, "File name too long"}}));
    for (std::size_t i = fds.size() - 1; i > 0; --i) {
        ::close(fds[i]);
        ::unlinkat(fds[i - 1], component.c_str(), AT_REMOVEDIR);
    }
    ::close(fds[0]);
}

} // namespace
} // namespace twinsift
