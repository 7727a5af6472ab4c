#pragma once

#include <string>
#include <string_view>

namespace twinsift {

// Field texts of the separated lines of parameters and session files. A
// character that would break the line is written as a code: the separator,
// CR and LF as %2C / %3F, %0D and %0A, and a "%" that would read as one of
// the codes (25, 2C, 3F, 0D, 0A, 3B, any letter case) as %25. Every other "%"
// stays as it is, so a text without such characters is written unchanged.
// %3B, a ";", is for the writer of a line that a ";" would open.
std::string encodeField(std::string_view text, char separator);

// The text that encodeField wrote: exactly the six codes above, in either
// letter case, are decoded; everything else is kept as read.
std::string decodeField(std::string_view text);

} // namespace twinsift
