#include "persist/session_lines.h"

#include "core/convert.h"
#include "core/field_code.h"
#include "core/window_commands.h"

#include <algorithm>
#include <cmath>

namespace twinsift {

Fields::Fields(std::string_view line, char separator, const std::string& path, int lineNumber)
    : m_path(path), m_lineNumber(lineNumber) {
    if (line.empty())
        return;
    const auto count =
        static_cast<std::size_t>(std::count(line.begin(), line.end(), separator)) + 1;
    m_fields.reserve(count);
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = line.find(separator, start);
        const std::string_view field = line.substr(start, end - start);
        if (field.find('%') == std::string_view::npos) {
            m_fields.push_back(field);
        } else {
            m_decoded.reserve(count);
            m_fields.emplace_back(m_decoded.emplace_back(decodeField(field)));
        }
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
}

std::string_view Fields::operator[](std::size_t index) const {
    if (index >= m_fields.size())
        throw RuntimeError(err::SubscriptOutOfRange, runtimeErrorText(err::SubscriptOutOfRange));
    return m_fields[index];
}

RuntimeError Fields::wrongField(long number, std::size_t index, const char* name,
                                const char* problem) const {
    return RuntimeError(number, runtimeErrorText(number) + ": " + m_path + " line " +
                                    std::to_string(m_lineNumber) + ", field " +
                                    std::to_string(index + 1) + " (" + name + "): " + problem);
}

double Fields::number(std::size_t index, const char* name) const {
    const auto value = readNumber((*this)[index]);
    if (!value)
        throw wrongField(err::TypeMismatch, index, name, "not a number");
    return *value;
}

std::int64_t Fields::integer(std::size_t index, const char* name, std::int64_t low,
                             std::int64_t high) const {
    const double value = std::round(number(index, name));
    // Compared as a double first: the largest whole number rounds up to 2^63,
    // which no 64-bit integer holds.
    if (!(value >= -0x1p63 && value < 0x1p63))
        throw wrongField(err::Overflow, index, name, "out of range");
    const auto whole = static_cast<std::int64_t>(value);
    if (whole < low || whole > high)
        throw wrongField(err::Overflow, index, name, "out of range");
    return whole;
}

bool Fields::checkBox(std::size_t index, const char* name) const {
    return std::round(number(index, name)) != 0;
}

std::string_view Fields::checked(std::size_t index, const char* name,
                                 bool (*valid)(std::string_view text), const char* problem) const {
    const std::string_view field = (*this)[index];
    if (!valid(field))
        throw wrongField(err::TypeMismatch, index, name, problem);
    return field;
}

int iconOf(std::string_view text) {
    return static_cast<int>(std::lround(std::clamp(leadingNumber(text), -1e9, 1e9)));
}

void readEngineAndSwitches(WindowModel& model, const Fields& header) {
    const double digit = header.number(0, "Search Option");
    if (digit == 1 || digit == 2 || digit == 3 || digit == 4)
        selectEngine(model, static_cast<Engine>(static_cast<int>(digit)));
    model.chkProtect.tag = "ThruFile";
    model.chkProtect.checked = header.checkBox(1, "Protect System Folders");
    model.chkProtect.tag = "Direct";
    model.chkIncludeHidden.checked = header.checkBox(2, "Include Hidden");
}

SearchPathRow searchPathRowOf(const Fields& fields) {
    SearchPathRow row;
    row.text = fields[0];
    for (std::size_t sub = SearchPathRow::SubFolders; sub <= SearchPathRow::MaxSize; ++sub)
        row.subItems[sub] = fields[sub + 1];
    row.icon = iconOf(fields[5]);
    if (fields.size() > 6) {
        row.subItems[SearchPathRow::MinDate] = fields[6];
        row.subItems[SearchPathRow::MaxDate] = fields[7];
    }
    return row;
}

} // namespace twinsift
