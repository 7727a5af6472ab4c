#include "core/format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>

namespace twinsift {
namespace detail {
namespace {

// Adds one unit in the last place of a string of decimal digits.
void incrementDigits(std::string& digits) {
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
}

// n / 2^shift with two decimals, rounded half up, in integers so that 1152
// bytes give 1.13 KB exactly (n is not negative).
std::string scaledHundredths(std::int64_t n, int shift) {
    const std::int64_t whole = n >> shift;
    const std::int64_t rest = n & ((std::int64_t{1} << shift) - 1);
    const std::int64_t hundredths =
        whole * 100 + ((rest * 100 + (std::int64_t{1} << (shift - 1))) >> shift);
    return std::to_string(hundredths / 100) + "." + zeroPadded(hundredths % 100, 2);
}

const std::array<const char*, 12> monthAbbreviations = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string monthAbbreviation(int month) {
    if (month < 1 || month > 12)
        return "???";
    return monthAbbreviations[static_cast<std::size_t>(month - 1)];
}

std::string dashedDate(const DateTime& time) {
    return zeroPadded(time.year, 4) + "-" + zeroPadded(time.month, 2) + "-" +
           zeroPadded(time.day, 2);
}

} // namespace
} // namespace detail

std::string formatFixed(double value, int decimals) {
    if (!std::isfinite(value))
        value = 0;
    // The shortest text that reads back as the same double is the number as
    // it would have been typed; rounding that text avoids the binary error
    // that makes printf write 1.125 as "1.12".
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed);
    std::string_view text(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data()));
    const bool negative = text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    const std::size_t point = text.find('.');
    const std::string_view integer = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);

    const auto kept = static_cast<std::size_t>(std::clamp(decimals, 0, 15));
    std::string digits(integer);
    digits += fraction.substr(0, kept);
    digits.append(kept - std::min(kept, fraction.size()), '0');
    if (fraction.size() > kept && fraction[kept] >= '5')
        detail::incrementDigits(digits);

    std::string formatted;
    if (negative && digits.find_first_not_of('0') != std::string::npos)
        formatted.push_back('-');
    formatted.append(digits, 0, digits.size() - kept);
    if (kept > 0) {
        formatted += '.';
        formatted.append(digits, digits.size() - kept);
    }
    return formatted;
}

std::string zeroPadded(std::int64_t value, int width) {
    // The magnitude in unsigned arithmetic, so that the most negative value
    // has one too.
    const std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::string digits = std::to_string(magnitude);
    if (digits.size() < static_cast<std::size_t>(width))
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    if (value < 0)
        digits.insert(0, 1, '-');
    return digits;
}

std::string zeroPaddedText(std::string_view text, int width) {
    // Whole numbers are taken exactly, so long digit strings pass unharmed;
    // only numbers with decimals or an exponent go through a double.
    std::int64_t whole = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), whole);
    if (error == std::errc() && end == text.data() + text.size())
        return zeroPadded(whole, width);
    const auto value = readNumber(text);
    // 2^63 as a double: everything below it rounds into the 64-bit range.
    constexpr double limit = 9223372036854775808.0;
    if (!value || std::fabs(*value) >= limit)
        return std::string(text);
    return zeroPadded(std::llround(*value), width);
}

std::string_view trimmed(std::string_view text) {
    constexpr std::string_view kBlanks = " \t";
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::string leadingCharacters(std::string_view text, int count) {
    std::size_t end = 0;
    for (; end < text.size(); ++end) {
        const bool startsCharacter = (static_cast<unsigned char>(text[end]) & 0xC0) != 0x80;
        if (startsCharacter && count-- == 0)
            break;
    }
    return std::string(text.substr(0, end));
}

std::string htmlEscaped(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\'':
            escaped += "&#39;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string SizeText(std::int64_t bytes) {
    if (bytes < 0)
        return "0 Bytes";
    if (bytes >= (std::int64_t{1} << 30))
        return detail::scaledHundredths(bytes, 30) + " GB";
    if (bytes >= (std::int64_t{1} << 20))
        return detail::scaledHundredths(bytes, 20) + " MB";
    if (bytes >= (std::int64_t{1} << 10))
        return detail::scaledHundredths(bytes, 10) + " KB";
    return std::to_string(bytes) + " Bytes";
}

std::string timeStampText(const DateTime& time) {
    return detail::dashedDate(time) + " " + zeroPadded(time.hour, 2) + ":" +
           zeroPadded(time.minute, 2);
}

std::string fileTimeText(std::time_t time) {
    return timeStampText(localDateTime(time));
}

std::string dateTimeText(const DateTime& time) {
    return timeStampText(time) + ":" + zeroPadded(time.second, 2);
}

std::string nowText() {
    return dateTimeText(localDateTime(std::time(nullptr)));
}

std::string sortableStamp(const DateTime& time) {
    return zeroPadded(time.year, 4) + zeroPadded(time.month, 2) + zeroPadded(time.day, 2) +
           zeroPadded(time.hour, 2) + zeroPadded(time.minute, 2) + zeroPadded(time.second, 2);
}

std::string dayMonthYearText(const DateTime& time) {
    return zeroPadded(time.day, 2) + "-" + zeroPadded(time.month, 2) + "-" +
           zeroPadded(time.year, 4);
}

std::string reportStampText(const DateTime& time) {
    const int hour12 = time.hour % 12 == 0 ? 12 : time.hour % 12;
    return zeroPadded(time.day, 2) + "-" + detail::monthAbbreviation(time.month) + "-" +
           zeroPadded(time.year, 4) + " " + zeroPadded(hour12, 2) + ":" +
           zeroPadded(time.minute, 2) + ":" + zeroPadded(time.second, 2) +
           (time.hour < 12 ? " AM" : " PM");
}

} // namespace twinsift
