#pragma once

#include <compare>
#include <ctime>
#include <optional>
#include <string_view>

namespace twinsift {

// Number syntax shared by the readers below, never the process locale:
//   [blanks] [+|-] digits [. [digits]] [(e|E) [+|-] digits] [blanks]
// or the same with the digits before the "." left out (".5"). At least one
// digit; blanks are spaces and tabs.

// True when the whole text is a number by the syntax above.
bool isNumber(std::string_view text);

// The whole text read as a number; nothing when it is not one, or when its
// value lies outside the range of a double (1e999, 1e-999).
std::optional<double> readNumber(std::string_view text);

// The number a text starts with, after leading blanks; 0 when it starts with
// none or with one outside the range of a double. "12abc" gives 12, " 3.5x"
// 3.5, "1e3 KB" 1000, "1e" 1, "abc" and "" 0. Never fails.
double leadingNumber(std::string_view text);

// A calendar date and time of day, local wall-clock time, whole seconds.
// Ordered by time, so date bounds compare directly with file times.
struct DateTime {
    int year = 1;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend auto operator<=>(const DateTime&, const DateTime&) = default;
};

// A date typed by the user, "mm/dd/yyyy" (also "m/d/yyyy"), surrounding blanks
// allowed; the time of day is midnight. Dates that do not exist (02/30/2025)
// and years outside 1..9999 are not dates.
std::optional<DateTime> readDate(std::string_view text);

// A stored time-stamp text: "yyyy-mm-dd hh:nn[:ss]" (24-hour clock),
// "m/d/yyyy h:nn[:ss] AM" or "... PM" (12-hour clock, AM/PM in either case),
// or "m/d/yyyy" alone (midnight).
std::optional<DateTime> readTimeStamp(std::string_view text);

// The local date and time of a time_t; DateTime{} (0001-01-01 00:00:00) when
// the system cannot convert it.
DateTime localDateTime(std::time_t time);

// The time_t of a local date and time, as the system resolves a time that
// a change of clocks skips or repeats: the inverse of localDateTime.
std::time_t localTimeOf(const DateTime& time);

} // namespace twinsift
