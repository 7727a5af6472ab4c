#pragma once

#include "core/skip_list.h"
#include "core/walked_file.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace twinsift {

namespace detail {
class ScanWalk;
}

// What the detailed events tell about an accepted file or folder. The views
// are valid only while the event handler runs.
struct EntryDetails {
    std::string_view Name;   // the name as listed: its real bytes, UTF-8 or not
    std::string_view Folder; // the listed folder's path, ending in "/"
    std::int64_t Size = 0;   // bytes; 0 for a folder
    // Seconds since the epoch, truncated to the minute. Created is the birth
    // time where the file system records one, else the last-write time.
    std::time_t LastWrite = 0;
    std::time_t Created = 0;
    std::time_t Accessed = 0;
    FileIdentity Identity;
    std::int64_t ChangeTime = 0; // the status change time, nanoseconds since the epoch
};

// The reasons the walk gives for folders it never enters.
inline constexpr const char* kProtectedFolder = "protected system folder";
inline constexpr const char* kPseudoFileSystem = "pseudo file system";

// Walks one folder tree breadth first and reports every file and sub-folder
// that passes its filters. The walk runs on the caller's thread and calls
// `yield` every 10 directory entries, so a cancel command delivered there can
// call StopScan.
//
// Never followed or reported: symbolic links, FIFOs, sockets and device files.
// Never entered: pseudo file systems (/proc, /sys, ...), also when the start
// folder lies inside one, and, unless System is true, the operating system's
// folders. Names starting with "." are hidden. What the walk leaves out for
// any other reason than a filter (a folder that cannot be opened or listed, a
// file that cannot be examined, a protected or pseudo folder) is reported
// through Skipped; a folder or file that vanished during the walk is not.
class cScanPath {
public:
    bool Hidden = false; // accept hidden files and folders
    bool System = false; // walk the operating system's folders too

    // Size bounds in bytes, inclusive; 0 or less = no bound. With neither
    // bound only empty files are accepted.
    std::int64_t MinimumSize = 0;
    std::int64_t MaximumSize = 0;
    // Date bounds (seconds since the epoch), inclusive; nothing = no bound.
    // A bound before 1970 is a negative count, still a bound.
    std::optional<std::time_t> FromDate;
    std::optional<std::time_t> ToDate;
    // The time stamp the date bounds test: 0 last-write, 1 creation, 2 last-access.
    int DateType = 0;

    // The texts are stored without surrounding blanks and read back without a
    // final ";". Filter: a file-mask text (see FileMask); ExFilter: excluded
    // extensions, exFolder: excluded folders, each entry followed by ";".
    std::string Filter() const;
    void setFilter(std::string_view text);
    std::string ExFilter() const;
    void setExFilter(std::string_view text);
    std::string exFolder() const;
    void setExFolder(std::string_view text);
    // The excluded folders as a list, for names that hold a ";" themselves.
    void setExFolders(std::vector<std::string> folders);

    // Folders and files reported by the current or last walk.
    std::int64_t DirCount() const { return m_dirCount; }
    std::int64_t FileCount() const { return m_fileCount; }

    // Events. DirMatch/FileMatch are raised when StartScan is asked for no
    // details, DirMatchEx/FileMatchEx otherwise.
    std::function<void(std::string_view Name, std::string_view Folder)> DirMatch;
    std::function<void(std::string_view Name, std::string_view Folder)> FileMatch;
    std::function<void(const EntryDetails&)> DirMatchEx;
    std::function<void(const EntryDetails&)> FileMatchEx;
    // A path the walk leaves out, and why (the system's error text, or
    // kProtectedFolder / kPseudoFileSystem).
    std::function<void(std::string_view Path, std::string_view Reason)> Skipped;
    // Called every 10 directory entries (the window system's yield).
    std::function<void()> yield;

    // Walks the tree below StartPath (opened as given, even when it is a
    // symbolic link); returns when it is done or a stop was requested.
    // SubFolders: descend into accepted sub-folders (they are reported either
    // way). UsePatterns: test names against the ";"-separated wildcard
    // patterns of Filter instead of its extension tokens.
    void StartScan(const std::string& StartPath, bool SubFolders, bool UsePatterns = false,
                   bool RaiseDetails = true);
    // Ends the running walk at its next check, within 10 entries.
    void StopScan() { m_stopRequested = true; }

private:
    friend class detail::ScanWalk;

    std::string m_filter;
    std::string m_exFilter;
    std::string m_exFolder;
    std::vector<std::string> m_exFolders; // what the walk excludes
    std::int64_t m_dirCount = 0;
    std::int64_t m_fileCount = 0;
    bool m_stopRequested = false;
};

} // namespace twinsift
