#include "core/buz_timer.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace twinsift {
namespace {

// A clock the test moves by hand.
struct FakeClock {
    std::int64_t now = 1'000'000;
    buzTimer timer() {
        return buzTimer([this] { return now; });
    }
};

TEST(BuzTimerTest, elapsedTimeAtEachUnitBoundaryAndAfterReset) {
    FakeClock clock;
    buzTimer timer = clock.timer();
    const struct {
        std::int64_t seconds;
        const char* text;
    } cases[] = {
        {-3600, "00:00:00"}, {59, "00:00:59"},     {60, "00:01:00"},      {3599, "00:59:59"},
        {3725, "01:02:05"},  {359999, "99:59:59"}, {360000, "100:00:00"},
    };
    for (const auto& c : cases) {
        clock.now = 1'000'000 + c.seconds;
        EXPECT_EQ(timer.Elapsed(), c.text) << c.seconds;
    }
    timer.Reset();
    clock.now += 5;
    EXPECT_EQ(timer.Elapsed(), "00:00:05");
}

TEST(BuzTimerTest, remainingEstimatesFromThePaceOrIsEmptyWithoutUsableProgress) {
    FakeClock clock;
    const buzTimer timer = clock.timer();
    clock.now += 20;
    const struct {
        std::int32_t done;
        std::int32_t total;
        const char* text;
    } cases[] = {
        {5, 10, "00:00:20"}, {1, 4, "00:01:00"}, {10, 10, "00:00:00"},
        {1, 3, "00:00:40"},  {0, 10, ""},        {11, 10, ""},
        {1, 0, ""},          {-5, 10, ""},       {-5, -1, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(timer.Remaining(c.done, c.total), c.text) << c.done << " of " << c.total;
    clock.now -= 3600; // clock set back
    EXPECT_EQ(timer.Remaining(5, 10), "00:00:00");
}

TEST(BuzTimerTest, systemClockTimerStartsAtZero) {
    const std::string elapsed = buzTimer().Elapsed();
    EXPECT_TRUE(elapsed == "00:00:00" || elapsed == "00:00:01") << elapsed;
}

} // namespace
} // namespace twinsift
