#include "core/convert.h"

#include <charconv>
#include <chrono>
#include <cstddef>
#include <ctime>

namespace twinsift {
namespace detail {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::size_t digitRun(std::string_view text, std::size_t pos) {
    std::size_t end = pos;
    while (end < text.size() && isDigit(text[end]))
        ++end;
    return end - pos;
}

// Length of the longest number at the start of the text (sign included), 0
// when the text does not start with one. An exponent counts only when digits
// follow it, so "1e" is the number 1 followed by "e".
std::size_t numberLength(std::string_view text) {
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        ++pos;
    std::size_t digits = digitRun(text, pos);
    pos += digits;
    if (pos < text.size() && text[pos] == '.') {
        const std::size_t fraction = digitRun(text, pos + 1);
        if (digits + fraction > 0)
            pos += 1 + fraction;
        digits += fraction;
    }
    if (digits == 0)
        return 0;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::size_t exponent = pos + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-'))
            ++exponent;
        const std::size_t exponentDigits = digitRun(text, exponent);
        if (exponentDigits > 0)
            pos = exponent + exponentDigits;
    }
    return pos;
}

// Converts a text that numberLength accepted whole.
std::optional<double> convertNumber(std::string_view number) {
    if (number.front() == '+')
        number.remove_prefix(1); // from_chars takes "-" but not "+"
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size())
        return std::nullopt;
    return value;
}

// Reads the fixed parts of a date or time text from left to right.
class FieldReader {
public:
    explicit FieldReader(std::string_view text) : m_text(text) {}

    bool atEnd() const { return m_pos == m_text.size(); }

    std::optional<int> number(std::size_t minDigits, std::size_t maxDigits) {
        const std::size_t digits = digitRun(m_text, m_pos);
        if (digits < minDigits || digits > maxDigits)
            return std::nullopt;
        int value = 0;
        for (std::size_t i = 0; i < digits; ++i)
            value = value * 10 + (m_text[m_pos + i] - '0');
        m_pos += digits;
        return value;
    }

    bool literal(char c) {
        if (m_pos >= m_text.size() || m_text[m_pos] != c)
            return false;
        ++m_pos;
        return true;
    }

    bool blanks() {
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && isBlank(m_text[m_pos]))
            ++m_pos;
        return m_pos > start;
    }

    // "AM" or "PM" in either case: 0 for AM, 12 for PM.
    std::optional<int> meridiem() {
        if (m_text.size() - m_pos < 2 || (m_text[m_pos + 1] != 'M' && m_text[m_pos + 1] != 'm'))
            return std::nullopt;
        const char first = m_text[m_pos];
        m_pos += 2;
        if (first == 'A' || first == 'a')
            return 0;
        if (first == 'P' || first == 'p')
            return 12;
        return std::nullopt;
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

bool isValidDate(int year, int month, int day) {
    if (year < 1 || year > 9999)
        return false;
    const std::chrono::year_month_day date{std::chrono::year(year),
                                           std::chrono::month(static_cast<unsigned>(month)),
                                           std::chrono::day(static_cast<unsigned>(day))};
    return date.ok();
}

bool isValid(const DateTime& t) {
    return isValidDate(t.year, t.month, t.day) && t.hour >= 0 && t.hour <= 23 && t.minute >= 0 &&
           t.minute <= 59 && t.second >= 0 && t.second <= 59;
}

// "m/d/yyyy", the month and day with one or two digits.
bool readSlashDate(FieldReader& reader, DateTime& result) {
    const auto month = reader.number(1, 2);
    if (!month || !reader.literal('/'))
        return false;
    const auto day = reader.number(1, 2);
    if (!day || !reader.literal('/'))
        return false;
    const auto year = reader.number(4, 4);
    if (!year)
        return false;
    result.year = *year;
    result.month = *month;
    result.day = *day;
    return true;
}

// "h:nn[:ss]", the hour with one or two digits.
bool readTime(FieldReader& reader, DateTime& result) {
    const auto hour = reader.number(1, 2);
    if (!hour || !reader.literal(':'))
        return false;
    const auto minute = reader.number(2, 2);
    if (!minute)
        return false;
    result.hour = *hour;
    result.minute = *minute;
    if (reader.literal(':')) {
        const auto second = reader.number(2, 2);
        if (!second)
            return false;
        result.second = *second;
    }
    return true;
}

std::optional<DateTime> readIsoTimeStamp(std::string_view text) {
    FieldReader reader(text);
    DateTime result;
    const auto year = reader.number(4, 4);
    if (!year || !reader.literal('-'))
        return std::nullopt;
    const auto month = reader.number(2, 2);
    if (!month || !reader.literal('-'))
        return std::nullopt;
    const auto day = reader.number(2, 2);
    if (!day || !reader.blanks() || !readTime(reader, result) || !reader.atEnd())
        return std::nullopt;
    result.year = *year;
    result.month = *month;
    result.day = *day;
    return result;
}

std::optional<DateTime> readSlashTimeStamp(std::string_view text) {
    FieldReader reader(text);
    DateTime result;
    if (!readSlashDate(reader, result))
        return std::nullopt;
    if (reader.atEnd())
        return result;
    if (!reader.blanks() || !readTime(reader, result) || !reader.blanks())
        return std::nullopt;
    const auto offset = reader.meridiem();
    if (!offset || !reader.atEnd() || result.hour < 1 || result.hour > 12)
        return std::nullopt;
    result.hour = result.hour % 12 + *offset;
    return result;
}

} // namespace
} // namespace detail

bool isNumber(std::string_view text) {
    return readNumber(text).has_value();
}

std::optional<double> readNumber(std::string_view text) {
    text = detail::trimBlanks(text);
    if (text.empty() || detail::numberLength(text) != text.size())
        return std::nullopt;
    return detail::convertNumber(text);
}

double leadingNumber(std::string_view text) {
    while (!text.empty() && detail::isBlank(text.front()))
        text.remove_prefix(1);
    const std::size_t length = detail::numberLength(text);
    if (length == 0)
        return 0;
    return detail::convertNumber(text.substr(0, length)).value_or(0);
}

std::optional<DateTime> readDate(std::string_view text) {
    detail::FieldReader reader(detail::trimBlanks(text));
    DateTime result;
    if (!detail::readSlashDate(reader, result) || !reader.atEnd() || !detail::isValid(result))
        return std::nullopt;
    return result;
}

std::optional<DateTime> readTimeStamp(std::string_view text) {
    text = detail::trimBlanks(text);
    auto result = detail::readIsoTimeStamp(text);
    if (!result)
        result = detail::readSlashTimeStamp(text);
    if (!result || !detail::isValid(*result))
        return std::nullopt;
    return result;
}

DateTime localDateTime(std::time_t time) {
    std::tm parts{};
    if (localtime_r(&time, &parts) == nullptr)
        return {};
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
            parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

std::time_t localTimeOf(const DateTime& time) {
    std::tm parts{};
    parts.tm_year = time.year - 1900;
    parts.tm_mon = time.month - 1;
    parts.tm_mday = time.day;
    parts.tm_hour = time.hour;
    parts.tm_min = time.minute;
    parts.tm_sec = time.second;
    // The offset from UTC that holds at the result; mktime would do the same
    // but reads the zone file again on every call, a million times for a
    // session's rows. Two rounds settle a time next to a change of clocks.
    const std::time_t asUtc = timegm(&parts);
    std::time_t result = asUtc;
    for (int round = 0; round < 3; ++round) {
        std::tm local{};
        if (localtime_r(&result, &local) == nullptr)
            break;
        const std::time_t next = asUtc - local.tm_gmtoff;
        if (next == result)
            break;
        result = next;
    }
    return result;
}

} // namespace twinsift
