#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace twinsift {

// Wall-clock seconds since a start instant, as "hh:mm:ss" text for the status
// bar. A new clock is reset at creation.
class buzTimer {
public:
    // Seconds on some fixed scale; the system clock by default. Tests pass
    // their own so that they never sleep.
    using SecondsClock = std::function<std::int64_t()>;

    explicit buzTimer(SecondsClock clock = systemSeconds);

    void Reset();

    // Whole seconds since the last Reset. A clock set back shows "00:00:00".
    std::string Elapsed() const;

    // Estimated time still to go once done of total items are finished, from
    // the pace so far; empty text while there is nothing to estimate from
    // (no progress, done outside 1..total).
    std::string Remaining(std::int32_t done, std::int32_t total) const;

    static std::int64_t systemSeconds();

private:
    std::int64_t secondsSinceStart() const;

    // "00:00:07", "00:02:05", "01:02:05", "100:00:00"; negative as "00:00:00".
    static std::string FormatSeconds(std::int64_t seconds);

    SecondsClock m_clock;
    std::int64_t m_start = 0;
};

} // namespace twinsift
