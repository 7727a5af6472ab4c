#pragma once

#include <string>

namespace twinsift {

// The program's named mutex: a shared lock on $XDG_RUNTIME_DIR/<name>.lock held
// for the object's life. It never blocks and never refuses a second instance.
class NamedLock {
public:
    explicit NamedLock(const std::string& name);
    ~NamedLock();
    NamedLock(const NamedLock&) = delete;
    NamedLock& operator=(const NamedLock&) = delete;

    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace twinsift
