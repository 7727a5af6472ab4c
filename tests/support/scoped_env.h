#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace twinsift::test {

// Sets (or, given no value, unsets) one environment variable for the life of
// the object, then puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        set(value);
    }
    ~ScopedEnv() { set(m_old ? m_old->c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void set(const char* value) {
        if (value)
            ::setenv(m_name, value, 1);
        else
            ::unsetenv(m_name);
    }

    const char* m_name;
    std::optional<std::string> m_old;
};

// Sets the process time zone for one test and puts the old one back.
class TimeZone {
public:
    explicit TimeZone(const char* zone) : m_variable(std::in_place, "TZ", zone) { ::tzset(); }
    ~TimeZone() {
        m_variable.reset();
        ::tzset();
    }
    TimeZone(const TimeZone&) = delete;
    TimeZone& operator=(const TimeZone&) = delete;

private:
    std::optional<ScopedEnv> m_variable;
};

} // namespace twinsift::test
