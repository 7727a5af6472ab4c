#include "core/buz_timer.h"

#include "core/format.h"

#include <cmath>
#include <ctime>
#include <utility>

namespace twinsift {

buzTimer::buzTimer(SecondsClock clock) : m_clock(std::move(clock)) {
    Reset();
}

std::int64_t buzTimer::systemSeconds() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

void buzTimer::Reset() {
    m_start = m_clock();
}

std::int64_t buzTimer::secondsSinceStart() const {
    return m_clock() - m_start;
}

std::string buzTimer::Elapsed() const {
    return FormatSeconds(secondsSinceStart());
}

std::string buzTimer::Remaining(std::int32_t done, std::int32_t total) const {
    if (total < 1 || done < 1 || done > total)
        return {};
    const double percent = static_cast<double>(done) / total * 100.0;
    const double secondsPerPercent = static_cast<double>(secondsSinceStart()) / percent;
    return FormatSeconds(std::llround((100.0 - percent) * secondsPerPercent));
}

std::string buzTimer::FormatSeconds(std::int64_t seconds) {
    if (seconds < 0)
        seconds = 0;
    const std::int64_t hours = seconds / 3600;
    const std::int64_t minutes = seconds / 60 % 60;
    return zeroPadded(hours, 2) + ":" + zeroPadded(minutes, 2) + ":" + zeroPadded(seconds % 60, 2);
}

} // namespace twinsift
