#pragma once

#include <stdexcept>
#include <string>

namespace twinsift {

// An unexpected failure: what a guarded command reports through the error
// report. Expected outcomes (a file that cannot be read, a failed delete) are
// results, never RuntimeErrors.
class RuntimeError : public std::runtime_error {
public:
    RuntimeError(long number, std::string description);

    long number() const { return m_number; }
    const std::string& description() const { return m_description; }

private:
    long m_number;
    std::string m_description;
};

// The run-time error numbers and texts the system uses.
namespace err {
inline constexpr long InvalidProcedureCall = 5;
inline constexpr long Overflow = 6;
inline constexpr long OutOfMemory = 7;
inline constexpr long SubscriptOutOfRange = 9;
inline constexpr long TypeMismatch = 13;
inline constexpr long FileNotFound = 53;
inline constexpr long DeviceIoError = 57;
inline constexpr long DiskFull = 61;
inline constexpr long PermissionDenied = 70;
inline constexpr long PathFileAccessError = 75;
inline constexpr long PathNotFound = 76;
inline constexpr long KeyAlreadyAssociated = 457;
} // namespace err

// The fixed description of a run-time error number ("Type mismatch", ...);
// "Application-defined or object-defined error" for numbers it does not know.
std::string runtimeErrorText(long number);

// The RuntimeError for an operating-system error code (errno) met while
// met: ENOENT gives 53 (or 76 when a folder of the path is
// missing), EACCES/EPERM 70, ENOSPC 61, EIO 57, anything else 75.
RuntimeError systemError(int errnoValue, bool folderMissing = false);

// What the error report shows: number, description, the guarded procedure's
// fixed label and the step reached in it.
struct ErrorRecord {
    long number = 0;
    std::string description;
    std::string procedure;
    int line = 0;
};

} // namespace twinsift
