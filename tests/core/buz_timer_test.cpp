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

TEST(BuzTimerTest, elapsedTimeAtEachUnitBoundary) {
    FakeClock clock;
    const buzTimer timer = clock.timer();
    const struct {
        std::int64_t seconds;
        const char* text;
    } cases[] = {
        {0, "00:00:00"},      {7, "00:00:07"},       {59, "00:00:59"},   {60, "00:01:00"},
        {125, "00:02:05"},    {3599, "00:59:59"},    {3600, "01:00:00"}, {3725, "01:02:05"},
        {359999, "99:59:59"}, {360000, "100:00:00"},
    };
    for (const auto& c : cases) {
        clock.now = 1'000'000 + c.seconds;
        EXPECT_EQ(timer.Elapsed(), c.text) << c.seconds;
    }
}

TEST(BuzTimerTest, resetStartsCountingAgain) {
    FakeClock clock;
    buzTimer timer = clock.timer();
    clock.now += 90;
    timer.Reset();
    EXPECT_EQ(timer.Elapsed(), "00:00:00");
    clock.now += 5;
    EXPECT_EQ(timer.Elapsed(), "00:00:05");
}

TEST(BuzTimerTest, clockSetBackShowsZero) {
    FakeClock clock;
    const buzTimer timer = clock.timer();
    clock.now -= 3600;
    EXPECT_EQ(timer.Elapsed(), "00:00:00");
    EXPECT_EQ(timer.Remaining(5, 10), "00:00:00");
}

TEST(BuzTimerTest, remainingEstimatesFromThePaceSoFar) {
    FakeClock clock;
    const buzTimer timer = clock.timer();
    clock.now += 20;
    EXPECT_EQ(timer.Remaining(5, 10), "00:00:20");
    EXPECT_EQ(timer.Remaining(1, 4), "00:01:00");
    EXPECT_EQ(timer.Remaining(10, 10), "00:00:00");
    EXPECT_EQ(timer.Remaining(1, 3), "00:00:40");
}

TEST(BuzTimerTest, remainingIsEmptyWithoutUsableProgress) {
    FakeClock clock;
    const buzTimer timer = clock.timer();
    clock.now += 20;
    EXPECT_EQ(timer.Remaining(0, 10), "");
    EXPECT_EQ(timer.Remaining(11, 10), "");
    EXPECT_EQ(timer.Remaining(1, 0), "");
    EXPECT_EQ(timer.Remaining(0, 0), "");
    EXPECT_EQ(timer.Remaining(-5, 10), "");
    EXPECT_EQ(timer.Remaining(-5, -1), "");
}

TEST(BuzTimerTest, systemClockTimerStartsAtZero) {
    const buzTimer timer;
    const std::string elapsed = timer.Elapsed();
    EXPECT_TRUE(elapsed == "00:00:00" || elapsed == "00:00:01") << elapsed;
}

} // namespace
} // namespace twinsift
