#pragma once

#include "core/guard.h"
#include "core/runtime_error.h"
#include "core/window_model.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace twinsift {

// What the parameters file and a session file have in common when read: the
// fields of a line, the header's switches and the search-path lines.

inline constexpr char kHeaderSeparator = ',';
inline constexpr char kResultSeparator = '?';
inline constexpr const char* kLineEnd = "\r\n";

// The fields of one line, decoded; asking for one the line does not have is
// error 9, which ends the read. A field that is not what it should be is
// reported with the file, the line and the field.
class Fields {
public:
    // The fields are views into `line`, which must outlive them.
    Fields(std::string_view line, char separator, const std::string& path, int lineNumber);
    Fields(const Fields&) = delete;
    Fields& operator=(const Fields&) = delete;

    std::size_t size() const { return m_fields.size(); }
    std::string_view operator[](std::size_t index) const;
    // The field as a number; error 13 when it is not one.
    double number(std::size_t index, const char* name) const;
    // The field as a whole number within `low` ... `high`; error 13 when it
    // is not a number, 6 (overflow) when it lies outside.
    std::int64_t integer(std::size_t index, const char* name, std::int64_t low,
                         std::int64_t high) const;
    bool checkBox(std::size_t index, const char* name) const;
    // The field when `valid` holds for it; error 13 naming `problem` when not.
    std::string_view checked(std::size_t index, const char* name,
                             bool (*valid)(std::string_view text), const char* problem) const;

private:
    RuntimeError wrongField(long number, std::size_t index, const char* name,
                            const char* problem) const;

    std::vector<std::string_view> m_fields;
    // The fields that held a code, decoded; reserved for every field, so
    // that the views into them stay where they are.
    std::vector<std::string> m_decoded;
    const std::string& m_path;
    int m_lineNumber;
};

// The leading-number value of a field, rounded to an icon number; never fails.
int iconOf(std::string_view text);

// Header fields 0 to 2: the engine (an unknown digit changes nothing) and the
// protection and hidden switches, set without the questions a click raises.
void readEngineAndSwitches(WindowModel& model, const Fields& header);

// A search-path line as a SearchList row: the icon stands between the fourth
// and the fifth sub-item; the date columns are there from the seventh field on.
SearchPathRow searchPathRowOf(const Fields& fields);

enum class StepEnd { Done, Silent, Abandoned };

// Runs one guarded step. Errors 53 (file not found) and 9 (a line with too few
// fields) end the read without a message; any other goes to the error report.
template <class Body> StepEnd runStep(Guard& guard, int number, Body&& body) {
    bool silent = false;
    const bool done = guard.step(number, [&] {
        try {
            body();
        } catch (const RuntimeError& error) {
            if (error.number() != err::SubscriptOutOfRange && error.number() != err::FileNotFound)
                throw;
            silent = true;
        }
    });
    return !done ? StepEnd::Abandoned : silent ? StepEnd::Silent : StepEnd::Done;
}

} // namespace twinsift
