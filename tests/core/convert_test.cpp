#include "core/convert.h"
#include "core/format.h"
#include "support/scoped_env.h"

#include <gtest/gtest.h>

#include <ctime>
#include <limits>
#include <string>

namespace twinsift {
namespace {

TEST(ConvertTest, readsWholeNumberTextsOnly) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"-17", -17},  {"+3", 3},         {".5", 0.5},   {"5.", 5},     {"-.5", -0.5},
        {"1e3", 1000}, {"2.5E-2", 0.025}, {"1e+2", 100}, {"  12 ", 12}, {"\t007\t", 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_TRUE(isNumber(c.text));
        ASSERT_TRUE(readNumber(c.text).has_value());
        EXPECT_DOUBLE_EQ(*readNumber(c.text), c.value);
    }
    for (const char* text :
         {"",    " ",   "-",    "+",   ".",   "-.",  "1.2.3", "1e", "1e+", "12abc", "abc",
          "1,5", "1 2", "0x10", "inf", "nan", "+-1", "1e5.5", "e5", "--1", "1e999", "-1e999"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(isNumber(text));
        EXPECT_FALSE(readNumber(text).has_value());
    }
}

TEST(ConvertTest, leadingNumberTakesWhatTheTextStartsWith) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"12abc", 12},    {"abc", 0}, {"", 0},     {" 3.5x", 3.5}, {"-4 items", -4},
        {"1e3 KB", 1000}, {"1e", 1},  {"2e-x", 2}, {".5.5", 0.5},  {"-", 0},
        {"x12", 0},       {"1,5", 1}, {"  ", 0},   {"1e999", 0},   {"7\t", 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_DOUBLE_EQ(leadingNumber(c.text), c.value);
    }
}

TEST(ConvertTest, readsTypedDatesAndTimeStampsAndRefusesMalformedOnes) {
    EXPECT_EQ(readDate("2/9/2026"), (DateTime{2026, 2, 9, 0, 0, 0}));
    EXPECT_EQ(readDate(" 02/29/2024 "), (DateTime{2024, 2, 29, 0, 0, 0}));
    EXPECT_EQ(readDate("12/31/9999"), (DateTime{9999, 12, 31, 0, 0, 0}));
    for (const char* text :
         {"02/30/2025", "02/29/2025", "04/31/2025", "13/01/2025", "00/10/2025", "10/00/2025",
          "1/1/25", "1/1/02025", "12/06/0000", "2026-12-06", "12/06/2026x", "12-06-2026",
          "123/06/2026", "", "//", "12/06/2026 10:00"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(readDate(text).has_value());
    }
    EXPECT_EQ(readTimeStamp("2026-12-06 20:05"), (DateTime{2026, 12, 6, 20, 5, 0}));
    EXPECT_EQ(readTimeStamp("2026-12-06 20:05:09"), (DateTime{2026, 12, 6, 20, 5, 9}));
    EXPECT_EQ(readTimeStamp("12/6/2026 8:05:09 PM"), (DateTime{2026, 12, 6, 20, 5, 9}));
    EXPECT_EQ(readTimeStamp("12/6/2026 8:05 am"), (DateTime{2026, 12, 6, 8, 5, 0}));
    EXPECT_EQ(readTimeStamp("1/2/2026 12:30 AM"), (DateTime{2026, 1, 2, 0, 30, 0}));
    EXPECT_EQ(readTimeStamp("1/2/2026 12:30 PM"), (DateTime{2026, 1, 2, 12, 30, 0}));
    EXPECT_EQ(readTimeStamp("1/2/2026"), (DateTime{2026, 1, 2, 0, 0, 0}));
    for (const char* text :
         {"2026-12-06 24:00", "2026-12-06 23:60", "2026-12-06 23:59:60", "2026-02-30 10:00",
          "2026-12-06", "2026-12-0620:05", "2026-12-06 20:5", "1/2/2026 13:00 PM",
          "1/2/2026 0:30 AM", "1/2/2026 10:00", "1/2/2026 10:00 XM", "1/2/2026 10:00 PMx",
          "1/2/2026 10:00 P", "", "garbage", "2026-12-06 20:05:"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(readTimeStamp(text).has_value());
    }
    for (const char* text : {"0999-01-01 00:00", "2024-02-29 23:59"})
        EXPECT_EQ(timeStampText(readTimeStamp(text).value_or(DateTime{})), text);
}

TEST(ConvertTest, fileTimesAreLocalAndCutToTheMinute) {
    const test::TimeZone utc("UTC");
    EXPECT_EQ(localDateTime(0), (DateTime{1970, 1, 1, 0, 0, 0}));
    EXPECT_EQ(fileTimeText(1700000000), "2023-11-14 22:13");
    {
        const test::TimeZone berlin("CET-1");
        EXPECT_EQ(fileTimeText(1700000000), "2023-11-14 23:13");
    }
    // A time the calendar cannot hold must not crash the listing.
    EXPECT_EQ(localDateTime(std::numeric_limits<std::time_t>::max()), DateTime{});
}

TEST(ConvertTest, localTimesTurnBackIntoTheirSeconds) {
    const test::TimeZone berlin("Europe/Berlin");
    // Winter, summer, before 1970, and either side of the spring change of clocks.
    for (const std::time_t seconds :
         {0L, 1700000000L, 1719835200L, -34560000L, 1711846740L, 1711846800L})
        EXPECT_EQ(localTimeOf(localDateTime(seconds)), seconds) << seconds;
}

} // namespace
} // namespace twinsift
