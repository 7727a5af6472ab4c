#pragma once

#include "core/walked_file.h"

#include <ctime>
#include <string>
#include <vector>

namespace twinsift::test {

// A fresh folder under $TMPDIR for one test, removed with everything in it
// when the object goes; a failed GoogleTest test prints what was in it
// first. path() ends in "/".
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }

    // Writes `content` to path() + relativePath, creating the folders on the
    // way; returns the full path.
    std::string write(const std::string& relativePath, const std::string& content) const;
    // Creates path() + relativePath as a folder (and its parents); returns the full path
    // with a trailing "/".
    std::string mkdir(const std::string& relativePath) const;

private:
    std::string m_path;
};

// `length` bytes that look random and are the same for the same `seed`.
std::string randomBytes(std::size_t length, unsigned seed);

// The whole content of a file; empty when it cannot be read.
std::string readFile(const std::string& path);

// The names in `folder`, hidden ones included, sorted: what an operation
// left behind there.
std::vector<std::string> namesIn(const std::string& folder);

// The seconds of a local date and time (month 1 to 12).
std::time_t localTime(int year, int month, int day, int hour, int minute, int second = 0);

// Waits until a change made now gets a later file time than any change made
// before: without fine-grained file times they move with the clock tick.
void awaitNewFileTime();

// What a walk would see of `path` now (its final name not followed as a
// link); nothing known of a missing file.
FileSeen seenNow(const std::string& path);
// `paths` as a walk would list them now.
std::vector<WalkedFile> walkedNow(const std::vector<std::string>& paths);

} // namespace twinsift::test
