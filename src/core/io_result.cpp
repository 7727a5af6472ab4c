#include "core/io_result.h"

#include <cstring>

namespace twinsift {

std::string IoError::message() const {
    std::string text = "cannot " + operation + " '" + path + "'";
    if (!destination.empty())
        text += " to " + destination;
    return text + ": " + (reason.empty() ? std::strerror(error) : reason);
}

} // namespace twinsift
