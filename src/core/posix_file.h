#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace twinsift {

// An open file descriptor, closed when the object goes.
class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) noexcept : m_fd(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release() { return std::exchange(m_fd, -1); }
    void reset(int fd = -1);
    // Closes now; false when the system reports that written data was lost.
    bool close();

private:
    int m_fd;
};

// Opens `path` for reading without waiting (a name that turned into a FIFO
// must not stall the caller) and keeps it only when it is a regular file.
// Not valid otherwise.
UniqueFd openRegularFile(const std::string& path);

// Reads exactly `length` bytes at `offset`; false on an error, an early end of
// the file (errno 0 then) or an offset the system cannot address.
bool readFullyAt(int fd, std::uint64_t offset, void* buffer, std::size_t length);

} // namespace twinsift
