#pragma once

#include "support/temp_dir.h"

#include <functional>
#include <string>

namespace twinsift::test {

// A file system of its own for one test, unmounted when the object goes:
// a tmpfs, an ext2 image on a loop device (a file system GIO treats as a
// user's disk), or a folder bound read-only. Mounting needs root;
// mounted() is false where it is not allowed, and the test skips.
class ScratchVolume {
public:
    static ScratchVolume tmpfs(const char* size);
    static ScratchVolume ext2(const char* size);
    static ScratchVolume readOnly(const std::string& folder);

    ~ScratchVolume();
    ScratchVolume(const ScratchVolume&) = delete;
    ScratchVolume& operator=(const ScratchVolume&) = delete;

    bool mounted() const { return m_mounted; }
    // Ends in "/".
    const std::string& path() const { return m_path; }
    std::string write(const std::string& name, const std::string& content) const {
        return m_dir.write("mnt/" + name, content);
    }

private:
    // `mount` mounts at its first argument, with its second, a scratch
    // folder beside it, for whatever the mount needs.
    using Mount = std::function<bool(const std::string&, const std::string&)>;
    explicit ScratchVolume(const Mount& mount);

    TempDir m_dir;
    std::string m_path;
    bool m_mounted = false;
};

} // namespace twinsift::test
