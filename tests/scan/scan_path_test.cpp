#include "scan/scan_path.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
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
    FileIdentity identity;
};

// Records what a walk reports; paths are given relative to `root`.
class Recorder {
public:
    Recorder(cScanPath& walker, std::string root) : m_root(std::move(root)) {
        walker.FileMatchEx = [this](const EntryDetails& d) { files.push_back(found(d)); };
        walker.DirMatchEx = [this](const EntryDetails& d) { folders.push_back(found(d)); };
    }

    std::set<std::string> filePaths() const { return pathsOf(files); }
    std::set<std::string> folderPaths() const { return pathsOf(folders); }

    std::vector<Found> files;
    std::vector<Found> folders;

private:
    Found found(const EntryDetails& d) const {
        return {std::string(d.Name), std::string(d.Folder), d.Size, d.LastWrite, d.Identity};
    }
    std::set<std::string> pathsOf(const std::vector<Found>& entries) const {
        std::set<std::string> paths;
        for (const auto& e : entries) {
            const std::string full = e.folder + e.name;
            paths.insert(full.starts_with(m_root) ? full.substr(m_root.size()) : full);
        }
        return paths;
    }

    std::string m_root;
};

// A walker that accepts every non-empty file, as the scan driver sets it up.
cScanPath anyFileWalker() {
    cScanPath walker;
    walker.MinimumSize = 1;
    return walker;
}

std::time_t localTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    parts.tm_isdst = -1;
    return std::mktime(&parts);
}

void setTimes(const std::string& path, std::time_t modified, std::time_t accessed) {
    const timespec times[2] = {{accessed, 0}, {modified, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

// ---- the entry test -------------------------------------------------------

TEST(ScanPathEntryTest, masksAndExcludedExtensionsFilterByWholeExtension) {
    TempDir dir;
    for (const char* name : {"a.TXT", "b.bak", "c.txt2", "noext", "e.tx", "f.tmp", "g.TMP.txt"})
        dir.write(name, "x");
    cScanPath walker = anyFileWalker();
    Recorder seen(walker, dir.path());

    walker.setFilter("Text files  (*.txt *.bak)");
    walker.StartScan(dir.path(), true);
    EXPECT_EQ(seen.filePaths(), (std::set<std::string>{"a.TXT", "b.bak", "g.TMP.txt"}));

    seen.files.clear();
    walker.setFilter("");
    walker.setExFilter("*.txt;*.mp;");
    walker.StartScan(dir.path(), true);
    EXPECT_EQ(seen.filePaths(),
              (std::set<std::string>{"b.bak", "c.txt2", "noext", "e.tx", "f.tmp"}))
        << "f.tmp must survive excluding mp, and c.txt2 excluding txt";
}

TEST(ScanPathEntryTest, excludedFoldersCoverWholeComponentsAndTheirSubtrees) {
    TempDir dir;
    dir.write("Temp/a", "x");
    dir.write("Temp/deep/b", "x");
    dir.write("Temp2/c", "x");
    dir.write("keep/d", "x");
    cScanPath walker = anyFileWalker();
    Recorder seen(walker, dir.path());
    walker.setExFolder(dir.path() + "TEMP;");
    walker.StartScan(dir.path(), true);
    EXPECT_EQ(seen.filePaths(), (std::set<std::string>{"Temp2/c", "keep/d"}));
    EXPECT_EQ(seen.folderPaths(), (std::set<std::string>{"Temp2", "keep"}));
    EXPECT_EQ(walker.DirCount(), 2);

    seen.files.clear();
    walker.StartScan(dir.path() + "Temp/deep", true);
    EXPECT_TRUE(seen.files.empty()) << "a start folder inside an excluded one walks nothing";
}

TEST(ScanPathEntryTest, excludedFolderListKeepsNamesThatHoldASemicolon) {
    TempDir dir;
    dir.write("a;b/x", "x");
    dir.write("a/y", "x");
    cScanPath walker = anyFileWalker();
    Recorder seen(walker, dir.path());
    walker.setExFolders({dir.path() + "a;b"});
    walker.StartScan(dir.path(), true);
    EXPECT_EQ(seen.filePaths(), std::set<std::string>{"a/y"});
}

TEST(ScanPathEntryTest, hiddenEntriesNeedTheHiddenSwitch) {
    TempDir dir;
    dir.write(".hidden", "x");
    dir.write(".cache/inner", "x");
    dir.write("visible", "x");
    cScanPath walker = anyFileWalker();
    Recorder seen(walker, dir.path());
    walker.StartScan(dir.path(), true);
    EXPECT_EQ(seen.filePaths(), std::set<std::string>{"visible"});
    EXPECT_TRUE(seen.folders.empty());

    seen.files.clear();
    walker.StartScan(dir.path() + ".cache", true);
    EXPECT_EQ(seen.filePaths(), std::set<std::string>{".cache/inner"})
        << "a hidden start folder still shows its visible children";

    seen.files.clear();
    walker.Hidden = true;
    walker.StartScan(dir.path(), true);
    EXPECT_EQ(seen.filePaths(), (std::set<std::string>{".hidden", ".cache/inner", "visible"}));
}

TEST(ScanPathEntryTest, sizeBoundsAreInclusiveAndNoBoundsMeansEmptyFilesOnly) {
    TempDir dir;
    dir.write("empty", "");
    dir.write("one", "1");
    dir.write("ten", "0123456789");
    cScanPath walker;
    Recorder seen(walker, dir.path());
    auto walk = [&](std::int64_t minimum, std::int64_t maximum) {
        seen.files.clear();
        walker.MinimumSize = minimum;
        walker.MaximumSize = maximum;
        walker.StartScan(dir.path(), true);
        return seen.filePaths();
    };
    EXPECT_EQ(walk(0, 0), std::set<std::string>{"empty"});
    EXPECT_EQ(walk(1, 0), (std::set<std::string>{"one", "ten"}));
    EXPECT_EQ(walk(0, 1), (std::set<std::string>{"empty", "one"}));
    EXPECT_EQ(walk(1, 10), (std::set<std::string>{"one", "ten"}));
    EXPECT_EQ(walk(2, 10), std::set<std::string>{"ten"});
    EXPECT_EQ(walk(2, 9), std::set<std::string>{});
}

TEST(ScanPathEntryTest, filesOver4GiBKeepTheirFullSize) {
    TempDir dir;
    const std::string path = dir.write("sparse.bin", "");
    constexpr std::int64_t size = (std::int64_t{5} << 30) + 7;
    ASSERT_EQ(::truncate(path.c_str(), size), 0);
    cScanPath walker;
    Recorder seen(walker, dir.path());
    walker.MinimumSize = (std::int64_t{4} << 30) + 1;
    walker.StartScan(dir.path(), true);
    ASSERT_EQ(seen.files.size(), 1U);
    EXPECT_EQ(seen.files[0].size, size);

    seen.files.clear();
    walker.MinimumSize = 1;
    walker.MaximumSize = std::int64_t{4} << 30;
    walker.StartScan(dir.path(), true);
    EXPECT_TRUE(seen.files.empty());
}

TEST(ScanPathEntryTest, dateBoundsAreInclusiveAtMinutePrecision) {
    TempDir dir;
    setTimes(dir.write("newYear", "x"), localTime(2024, 1, 1, 0, 0, 30),
             localTime(2024, 6, 1, 0, 0, 0));
    setTimes(dir.write("lastDay", "x"), localTime(2024, 1, 31, 10, 15, 59),
             localTime(2024, 1, 2, 0, 0, 0));
    cScanPath walker = anyFileWalker();
    Recorder seen(walker, dir.path());
    walker.FromDate = localTime(2024, 1, 1, 0, 0, 0);
    walker.ToDate = localTime(2024, 1, 31, 0, 0, 0);
    walker.StartScan(dir.path(), true);
    ASSERT_EQ(seen.filePaths(), std::set<std::string>{"newYear"});
    EXPECT_EQ(seen.files[0].lastWrite, localTime(2024, 1, 1, 0, 0, 0));

    seen.files.clear();
    walker.ToDate.reset();
    walker.StartScan(dir.path(), true);
    const auto last = std::find_if(seen.files.begin(), seen.files.end(),
                                   [](const Found& f) { return f.name == "lastDay"; });
    ASSERT_NE(last, seen.files.end());
    EXPECT_EQ(last->lastWrite, localTime(2024, 1, 31, 10, 15, 0)) << "seconds are dropped";

    seen.files.clear();
    walker.DateType = 2; // access time
    walker.FromDate = localTime(2024, 3, 1, 0, 0, 0);
    walker.StartScan(dir.path(), true);
    EXPECT_EQ(seen.filePaths(), std::set<std::string>{"newYear"});
}

// ---- order, counts and sub-folders -----------------------------------------

TEST(ScanPathWalk, listsBreadthFirstAndCountsWhatItReports) {
    TempDir dir;
    dir.write("top", "x");
    dir.write("a/a1", "x");
    dir.write("a/deep/a2", "x");
    dir.write("b/b1", "x");
    dir.write("b/deeper/still/b2", "x");
    cScanPath walker = anyFileWalker();
    std::vector<std::string> folders;
    walker.FileMatchEx = [&](const EntryDetails& d) { folders.emplace_back(d.Folder); };
    walker.DirMatchEx = [&](const EntryDetails& d) { EXPECT_TRUE(d.Folder.ends_with('/')); };
    walker.StartScan(dir.path().substr(0, dir.path().size() - 1), true); // no trailing "/"

    ASSERT_EQ(folders.size(), 5U);
    auto depth = [&](const std::string& folder) {
        EXPECT_TRUE(folder.starts_with(dir.path())) << folder;
        return std::count(folder.begin() + static_cast<long>(dir.path().size()), folder.end(), '/');
    };
    for (std::size_t i = 1; i < folders.size(); ++i)
        EXPECT_LE(depth(folders[i - 1]), depth(folders[i])) << folders[i];
    EXPECT_EQ(walker.FileCount(), 5);
    EXPECT_EQ(walker.DirCount(), 5); // a, a/deep, b, b/deeper, b/deeper/still
}

TEST(ScanPathWalk, withoutSubFoldersReportsButDoesNotEnterThem) {
    TempDir dir;
    dir.write("top", "x");
    dir.write("sub/inner", "x");
    cScanPath walker = anyFileWalker();
    Recorder seen(walker, dir.path());
    walker.StartScan(dir.path(), false);
    EXPECT_EQ(seen.filePaths(), std::set<std::string>{"top"});
    EXPECT_EQ(seen.folderPaths(), std::set<std::string>{"sub"});
    EXPECT_EQ(walker.DirCount(), 1);
}

TEST(ScanPathWalk, startsThatCannotBeWalkedReportNothing) {
    TempDir dir;
    const std::string file = dir.write("file", "x");
    cScanPath walker = anyFileWalker();
    Recorder seen(walker, dir.path());
    for (const std::string& start : {std::string(), file, dir.path() + "missing"}) {
        walker.StartScan(start, true);
        EXPECT_EQ(walker.FileCount(), 0) << start;
    }
    EXPECT_TRUE(seen.files.empty());
}

TEST(ScanPathWalk, stopFromTheYieldEndsTheWalkWithinTenEntries) {
    TempDir dir;
    for (int i = 0; i < 200; ++i)
        dir.write("sub" + std::to_string(i % 4) + "/f" + std::to_string(i), "x");
    cScanPath walker = anyFileWalker();
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

// ---- what the walk never reports or enters --------------------------------

TEST(ScanPathSpecialEntries, linksAndFifosAreNeverReported) {
    TempDir dir;
    const std::string target = dir.write("real/file", "x");
    ASSERT_EQ(::symlink(target.c_str(), (dir.path() + "fileLink").c_str()), 0);
    ASSERT_EQ(::symlink((dir.path() + "real").c_str(), (dir.path() + "folderLink").c_str()), 0);
    ASSERT_EQ(::mkfifo((dir.path() + "fifo").c_str(), 0600), 0);
    cScanPath walker;
    Recorder seen(walker, dir.path());
    walker.MaximumSize = 100; // empty files too: a FIFO has size 0
    walker.Hidden = true;
    walker.System = true;
    walker.StartScan(dir.path(), true);
    EXPECT_EQ(seen.filePaths(), std::set<std::string>{"real/file"});
    EXPECT_EQ(seen.folderPaths(), std::set<std::string>{"real"});
}

TEST(ScanPathSpecialEntries, aStartFolderNamedThroughALinkIsWalked) {
    TempDir dir;
    dir.write("real/file", "x");
    ASSERT_EQ(::symlink((dir.path() + "real").c_str(), (dir.path() + "link").c_str()), 0);
    cScanPath walker = anyFileWalker();
    Recorder seen(walker, dir.path());
    walker.StartScan(dir.path() + "link", true);
    EXPECT_EQ(seen.filePaths(), std::set<std::string>{"link/file"});
}

TEST(ScanPathSpecialEntries, pseudoFileSystemsAreNeverEntered) {
    cScanPath walker = anyFileWalker();
    walker.System = true;
    walker.Hidden = true;
    walker.MinimumSize = 0;
    walker.MaximumSize = 1 << 30;
    Recorder seen(walker, "/");
    for (const char* start : {"/proc", "/proc/self/", "/sys/kernel"}) {
        walker.StartScan(start, true);
        EXPECT_EQ(walker.FileCount() + walker.DirCount(), 0) << start;
    }

    walker.StartScan("/", false);
    const auto roots = seen.folderPaths();
    EXPECT_EQ(roots.count("proc"), 0U);
    EXPECT_EQ(roots.count("sys"), 0U);
    EXPECT_EQ(roots.count("usr"), 1U) << "with System on, /usr is walked";
}

TEST(ScanPathSpecialEntries, systemFoldersAreProtectedUnlessSystemIsOn) {
    TempDir dir;
    ASSERT_EQ(::symlink("/usr/share", (dir.path() + "share").c_str()), 0);
    cScanPath walker = anyFileWalker();
    Recorder seen(walker, "/");
    walker.StartScan("/usr/share", false);
    walker.StartScan(dir.path() + "share", false);
    EXPECT_TRUE(seen.files.empty() && seen.folders.empty())
        << "also not when the start folder is a link into one";

    walker.StartScan("/", false);
    const auto roots = seen.folderPaths();
    EXPECT_EQ(roots.count("usr"), 0U);
    EXPECT_EQ(roots.count("etc"), 0U);
    EXPECT_EQ(roots.count("tmp"), 1U);
}

TEST(ScanPathSpecialEntries, foldersThatVanishAreSkippedSilently) {
    TempDir dir;
    dir.write("gone/file", "x");
    dir.write("stays/file", "x");
    cScanPath walker = anyFileWalker();
    Recorder seen(walker, dir.path());
    // The folder disappears between being reported and being listed.
    walker.DirMatchEx = [&](const EntryDetails& d) {
        if (d.Name == "gone")
            std::filesystem::remove_all(dir.path() + "gone");
    };
    walker.StartScan(dir.path(), true);
    EXPECT_EQ(seen.filePaths(), std::set<std::string>{"stays/file"});
}

TEST(ScanPathSpecialEntries, foldersWithoutReadPermissionAreReportedAsSkipped) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permission bits do not stop the superuser";
    TempDir dir;
    dir.write("locked/file", "x");
    dir.write("open/file", "x");
    const std::string unreadable = dir.write("open/unreadable", "x");
    ASSERT_EQ(::chmod((dir.path() + "locked").c_str(), 0), 0);
    // Found all the same: only a comparison that must read it leaves it out.
    ASSERT_EQ(::chmod(unreadable.c_str(), 0), 0);
    cScanPath walker = anyFileWalker();
    std::vector<SkippedItem> skipped;
    walker.Skipped = [&](std::string_view path, std::string_view reason) {
        skipped.push_back({std::string(path), std::string(reason)});
    };
    bool found = false;
    walker.FileMatchEx = [&](const EntryDetails& d) { found = found || d.Name == "unreadable"; };
    walker.StartScan(dir.path(), true);
    EXPECT_EQ(skipped, (std::vector<SkippedItem>{{dir.path() + "locked/", "Permission denied"}}));
    EXPECT_TRUE(found);
}

TEST(ScanPathSkips, systemAndPseudoFoldersAreReportedAsLeftOut) {
    cScanPath walker = anyFileWalker();
    std::vector<SkippedItem> skipped;
    walker.Skipped = [&](std::string_view path, std::string_view reason) {
        skipped.push_back({std::string(path), std::string(reason)});
    };
    walker.StartScan("/", false);
    EXPECT_NE(std::find(skipped.begin(), skipped.end(), SkippedItem{"/usr/", kProtectedFolder}),
              skipped.end());

    skipped.clear();
    walker.System = true;
    walker.StartScan("/proc", true);
    EXPECT_EQ(skipped, (std::vector<SkippedItem>{{"/proc/", kPseudoFileSystem}}));

    // A row of a parameters file may name no folder at all.
    skipped.clear();
    walker.StartScan("", true);
    EXPECT_EQ(skipped, (std::vector<SkippedItem>{{"", "no path given"}}));

    // Excluding a folder is the user's choice, not something left out.
    skipped.clear();
    walker.System = false;
    walker.setExFolders({"/usr"});
    walker.StartScan("/usr/lib", true);
    EXPECT_TRUE(skipped.empty());
}

TEST(ScanPathSkips, aFolderDeeperThanThePathLimitIsReportedNotDropped) {
    TempDir dir;
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
    cScanPath walker = anyFileWalker();
    std::vector<SkippedItem> skipped;
    walker.Skipped = [&](std::string_view path, std::string_view reason) {
        skipped.push_back({std::string(path), std::string(reason)});
    };
    walker.StartScan(dir.path(), true);

    ASSERT_EQ(skipped.size(), 1u);
    EXPECT_EQ(skipped[0].path, dir.path() + relative);
    EXPECT_EQ(skipped[0].reason, "File name too long");
    for (std::size_t i = fds.size() - 1; i > 0; --i) {
        ::close(fds[i]);
        ::unlinkat(fds[i - 1], component.c_str(), AT_REMOVEDIR);
    }
    ::close(fds[0]);
}

TEST(ScanPathEntryTest, datesBeforeTheEpochAreBounds) {
    TempDir dir;
    setTimes(dir.write("old", "x"), localTime(1955, 6, 1, 0, 0, 0), 0);
    setTimes(dir.write("new", "x"), localTime(2020, 6, 1, 0, 0, 0), 0);
    cScanPath walker = anyFileWalker();
    Recorder seen(walker, dir.path());
    walker.FromDate = localTime(1950, 1, 1, 0, 0, 0);
    walker.ToDate = localTime(1960, 1, 1, 0, 0, 0);
    walker.StartScan(dir.path(), true);
    EXPECT_EQ(seen.filePaths(), std::set<std::string>{"old"});
}

TEST(ScanPathSpecialEntries, aFileRemovedAfterListingIsNotReported) {
    TempDir dir;
    for (int i = 0; i < 50; ++i)
        dir.write("f" + std::to_string(i), "x");
    cScanPath walker = anyFileWalker();
    Recorder seen(walker, dir.path());
    // The first report removes every other file; the listing still holds their names.
    walker.FileMatchEx = [&](const EntryDetails& d) {
        seen.files.push_back({std::string(d.Name), std::string(d.Folder), d.Size, 0, {}});
        for (int i = 0; i < 50; ++i)
            ::unlink((dir.path() + "f" + std::to_string(i)).c_str());
    };
    walker.StartScan(dir.path(), true);
    EXPECT_EQ(seen.files.size(), 1U);
    EXPECT_EQ(walker.FileCount(), 1);
}

// ---- names and identities ---------------------------------------------------

TEST(ScanPathNames, namesThatAreNotUtf8AreReportedByTheirBytes) {
    TempDir dir;
    const std::string name = "caf\xe9 \xff?*.txt";
    dir.write(name, "x");
    cScanPath walker = anyFileWalker();
    Recorder seen(walker, dir.path());
    walker.setFilter("*.TXT");
    walker.StartScan(dir.path(), true);
    ASSERT_EQ(seen.files.size(), 1U);
    EXPECT_EQ(seen.files[0].name, name);
    EXPECT_TRUE(std::filesystem::exists(seen.files[0].folder + seen.files[0].name));
}

TEST(ScanPathNames, hardLinksShareTheirIdentity) {
    TempDir dir;
    const std::string first = dir.write("first", "x");
    ASSERT_EQ(::link(first.c_str(), (dir.path() + "second").c_str()), 0);
    dir.write("other", "x");
    cScanPath walker = anyFileWalker();
    Recorder seen(walker, dir.path());
    walker.StartScan(dir.path(), true);
    ASSERT_EQ(seen.files.size(), 3U);
    std::set<std::uint64_t> inodes;
    for (const auto& f : seen.files)
        inodes.insert(f.identity.inode);
    EXPECT_EQ(inodes.size(), 2U);
}

} // namespace
} // namespace twinsift
