#include "core/io_result.h"

#include <cstring>

namespace twinsift {

std::string IoError::message() const {
    return "cannot " + operation + " '" + path + "': " + std::strerror(error);
}

} // namespace twinsift
