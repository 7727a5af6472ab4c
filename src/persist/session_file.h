#pragma once

#include "core/window_model.h"

#include <cstddef>
#include <functional>
#include <string>

namespace twinsift {

class UserInterface;

// Told after each result line how many of `total` are done, for a progress bar.
using SessionProgress = std::function<void(std::size_t done, std::size_t total)>;

// Writes the session file `path`: the header and search-path lines and, with
// `withResults`, one line per result row (the first after ";"), CR LF line ends,
// fields that would break a line written as field codes. One atomic replace: a
// failure leaves any earlier file whole. Errors go to the error report as
// "File Saving" (Retry / Abort). True once the file is written.
bool SaveSession(const WindowModel& model, const std::string& path, bool withResults,
                 UserInterface& ui, const SessionProgress& progress = {});

} // namespace twinsift
