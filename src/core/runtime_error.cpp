#include "core/runtime_error.h"

#include <cerrno>

namespace twinsift {

RuntimeError::RuntimeError(long number, std::string description)
    : std::runtime_error(description), m_number(number), m_description(std::move(description)) {}

std::string runtimeErrorText(long number) {
    switch (number) {
    case err::InvalidProcedureCall:
        return "Invalid procedure call or argument";
    case err::Overflow:
        return "Overflow";
    case err::OutOfMemory:
        return "Out of memory";
    case err::SubscriptOutOfRange:
        return "Subscript out of range";
    case err::TypeMismatch:
        return "Type mismatch";
    case err::FileNotFound:
        return "File not found";
    case err::DeviceIoError:
        return "Device I/O error";
    case err::DiskFull:
        return "Disk full";
    case err::PermissionDenied:
        return "Permission denied";
    case err::PathFileAccessError:
        return "Path/File access error";
    case err::PathNotFound:
        return "Path not found";
    case err::KeyAlreadyAssociated:
        return "This key is already associated with an element of this collection";
    default:
        return "Application-defined or object-defined error";
    }
}

RuntimeError systemError(int errnoValue, bool folderMissing) {
    long number = err::PathFileAccessError;
    switch (errnoValue) {
    case ENOENT:
    case ENOTDIR:
        number = folderMissing ? err::PathNotFound : err::FileNotFound;
        break;
    case EACCES:
    case EPERM:
        number = err::PermissionDenied;
        break;
    case ENOSPC:
        number = err::DiskFull;
        break;
    case EIO:
        number = err::DeviceIoError;
        break;
    default:
        break;
    }
    return RuntimeError(number, runtimeErrorText(number));
}

} // namespace twinsift
