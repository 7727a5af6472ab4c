#pragma once

#include "core/convert.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace twinsift {

// Number and date texts in fixed shapes: "." as the decimal separator, no
// digit grouping, English month names, never the process locale.

// The value with exactly `decimals` decimals (0..15) and at least one integer
// digit: "#0.00" is formatFixed(v, 2), "0.0" is formatFixed(v, 1). Rounds the
// value's shortest decimal form half away from zero, as a number typed by hand
// would be: 1.125 gives "1.13", 1.005 gives "1.01", -2.5 with no decimals "-3".
// A result of zero has no sign; infinities and NaN are written as zero.
std::string formatFixed(double value, int decimals);

// The integer zero-padded to at least `width` digits, a "-" in front when
// negative: "000000000000" is zeroPadded(v, 12), "00000000000" zeroPadded(v, 11).
// Wider numbers are written whole.
std::string zeroPadded(std::int64_t value, int width);

// zeroPadded applied to a text that holds a number (rounded half away from zero
// to a whole number); any other text, or one out of the 64-bit range, comes
// back unchanged.
std::string zeroPaddedText(std::string_view text, int width);

// The text without the spaces and tabs at either end.
std::string_view trimmed(std::string_view text);

// The first `count` characters of a UTF-8 text, never splitting one.
std::string leadingCharacters(std::string_view text, int count);

// The text with every "&", "<", ">", '"' and "'" written as an HTML entity.
std::string htmlEscaped(std::string_view text);

// Byte count for the user: "1.50 KB", "1024.00 MB", "1.00 GB" with two
// decimals from 1024 bytes on, otherwise "1023 Bytes". A negative count, which
// no file has, gives "0 Bytes".
std::string SizeText(std::int64_t bytes);

// "yyyy-mm-dd hh:nn": the text form of a file's time stamp.
std::string timeStampText(const DateTime& time);

// The time stamp text of a time_t in local time, to the minute.
std::string fileTimeText(std::time_t time);

// "yyyy-mm-dd hh:nn:ss".
std::string dateTimeText(const DateTime& time);

// dateTimeText of the current local time.
std::string nowText();

// "yyyymmddhhnnss": sorts as text in time order.
std::string sortableStamp(const DateTime& time);

// "dd-mm-yyyy".
std::string dayMonthYearText(const DateTime& time);

// "dd-mmm-yyyy hh:mm:ss AMPM" as "06-Dec-2026 08:05:09 PM": 12-hour clock with
// two-digit hours 01..12, midnight is "12:00:00 AM" and noon "12:00:00 PM".
std::string reportStampText(const DateTime& time);

} // namespace twinsift
