#pragma once

#include <optional>
#include <string>
#include <utility>

namespace twinsift {

// A file operation that failed for a reason the system gives (a file that
// cannot be read, a delete the file system refuses): an outcome to report,
// never a RuntimeError.
struct IoError {
    std::string operation; // the verb of the message: "move", "delete", ...
    std::string path;
    int error = 0; // errno
    // Where the operation was taking the file, worded to follow "to" in the
    // message ("the Trash", "'/backup/'"); empty when there is no such place.
    std::string destination = {};
    // The system's own words when errno cannot say it (GIO's reason for a
    // Trash that refuses a file); used instead of errno's text.
    std::string reason = {};

    // "cannot move '/a/b.txt': Permission denied",
    // "cannot move '/a/b.txt' to the Trash: Unable to find or create trash directory"
    std::string message() const;

    friend bool operator==(const IoError&, const IoError&) = default;
};

// What a file operation that may fail in the expected ways gives back:
// success, or the IoError that says why not.
class [[nodiscard]] IoResult {
public:
    IoResult() = default;
    // Implicit, so that a failing operation returns its IoError as it is.
    IoResult(IoError failure) : m_failure(std::move(failure)) {}

    bool ok() const { return !m_failure; }
    // Only for a result that is not ok().
    const IoError& error() const { return *m_failure; }

private:
    std::optional<IoError> m_failure;
};

} // namespace twinsift
