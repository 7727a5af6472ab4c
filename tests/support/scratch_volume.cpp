#include "support/scratch_volume.h"

#include <spawn.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

extern char** environ;

namespace twinsift::test {
namespace {

// Runs a program without a shell; true when it exits with 0.
bool run(std::vector<const char*> argv) {
    argv.push_back(nullptr);
    pid_t child = 0;
    int status = 0;
    return ::posix_spawnp(&child, argv[0], nullptr, nullptr, const_cast<char**>(argv.data()),
                          environ) == 0 &&
           ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

ScratchVolume::ScratchVolume(const Mount& mount) : m_path(m_dir.mkdir("mnt")) {
    m_mounted = ::geteuid() == 0 && mount(m_path, m_dir.path());
}

ScratchVolume ScratchVolume::tmpfs(const char* size) {
    return ScratchVolume([size](const std::string& at, const std::string&) {
        const std::string sizeOption = std::string("size=") + size;
        return run({"mount", "-t", "tmpfs", "-o", sizeOption.c_str(), "tmpfs", at.c_str()});
    });
}

ScratchVolume ScratchVolume::ext2(const char* size) {
    return ScratchVolume([size](const std::string& at, const std::string& scratch) {
        const std::string image = scratch + "volume.img";
        return run({"truncate", "-s", size, image.c_str()}) &&
               run({"mke2fs", "-q", "-F", image.c_str()}) &&
               run({"mount", "-o", "loop", image.c_str(), at.c_str()});
    });
}

ScratchVolume ScratchVolume::readOnly(const std::string& folder) {
    return ScratchVolume([&folder](const std::string& at, const std::string&) {
        return run({"mount", "--bind", folder.c_str(), at.c_str()}) &&
               run({"mount", "-o", "remount,bind,ro", at.c_str()});
    });
}

ScratchVolume::~ScratchVolume() {
    if (m_mounted)
        ::umount2(m_path.c_str(), MNT_DETACH);
}

} // namespace twinsift::test
