#include "app/named_lock.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace twinsift {

NamedLock::NamedLock(const std::string& name) {
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    if (!runtimeDir || *runtimeDir != '/')
        return;
    const std::string path = std::string(runtimeDir) + "/" + name + ".lock";
    m_fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_fd >= 0 && ::flock(m_fd, LOCK_SH | LOCK_NB) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

NamedLock::~NamedLock() {
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace twinsift
