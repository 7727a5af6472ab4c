#include "core/append_string.h"
#include "core/format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace twinsift {
namespace {
TEST(FormatTest, roundsTheDecimalValueHalfAwayFromZero) {
    const struct {
        double value;
        int decimals;
        const char* text;
    } cases[] = {
        {1.005, 2, "1.01"},
        {2.675, 2, "2.68"},
        {1.124, 2, "1.12"},
        {-1.125, 2, "-1.13"},
        {9.995, 2, "10.00"},
        {0.04, 1, "0.0"},
        {-2.5, 0, "-3"},
        {1e20, 2, "100000000000000000000.00"},
        // Never a negative zero or a non-number.
        {-0.001, 2, "0.00"},
        {-0.0, 1, "0.0"},
        {std::nan(""), 1, "0.0"},
        {std::numeric_limits<double>::infinity(), 2, "0.00"},
        {-std::numeric_limits<double>::infinity(), 2, "0.00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(formatFixed(c.value, c.decimals), c.text);
    }
}

TEST(FormatTest, zeroPadsNumbersAndNumberTextsAndLeavesOtherTextsAlone) {
    EXPECT_EQ(zeroPadded(7, 11), "00000000007");
    EXPECT_EQ(zeroPadded(1234567890123, 12), "1234567890123");
    EXPECT_EQ(zeroPadded(-5, 4), "-0005");
    EXPECT_EQ(zeroPadded(std::numeric_limits<std::int64_t>::min(), 12), "-9223372036854775808");
    EXPECT_EQ(zeroPaddedText("1.5", 12), "000000000002");
    EXPECT_EQ(zeroPaddedText(" 12 ", 12), "000000000012");
    EXPECT_EQ(zeroPaddedText("20261206200509", 12), "20261206200509");
    EXPECT_EQ(zeroPaddedText("9007199254740993", 12), "9007199254740993");
    EXPECT_EQ(zeroPaddedText("5.1.2600.0", 12), "5.1.2600.0");
    EXPECT_EQ(zeroPaddedText("", 12), "");
    EXPECT_EQ(zeroPaddedText("99999999999999999999", 12), "99999999999999999999");
    EXPECT_EQ(zeroPaddedText("1e300", 12), "1e300");
}

TEST(FormatTest, trimsSpacesAndTabsAndCutsWholeCharacters) {
    EXPECT_EQ(trimmed(" \ta b\t "), "a b");
    EXPECT_EQ(trimmed(" \t "), "");
    EXPECT_EQ(trimmed("\na\r"), "\na\r");
    EXPECT_EQ(leadingCharacters("/home/me", 3), "/ho");
    EXPECT_EQ(leadingCharacters("\xC3\xA9t\xC3\xA9", 2), "\xC3\xA9t");
    EXPECT_EQ(leadingCharacters("ab", 5), "ab");
}

TEST(FormatTest, sizeTextPicksTheUnitAtEachBoundary) {
    const struct {
        std::int64_t bytes;
        const char* text;
    } cases[] = {
        {1023, "1023 Bytes"},
        {1024, "1.00 KB"},
        {1152, "1.13 KB"},
        {1048575, "1024.00 KB"},
        {1048576, "1.00 MB"},
        {1073741823, "1024.00 MB"},
        {1073741824, "1.00 GB"},
        {1099511627776, "1024.00 GB"},
        {-1, "0 Bytes"},
        {std::numeric_limits<std::int64_t>::max(), "8589934592.00 GB"},
        {std::numeric_limits<std::int64_t>::min(), "0 Bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(SizeText(c.bytes), c.text);
    }
}

TEST(FormatTest, writesEveryDateShapeAndNowReadsBack) {
    const DateTime evening{2026, 12, 6, 20, 5, 9};
    EXPECT_EQ(timeStampText(evening), "2026-12-06 20:05");
    EXPECT_EQ(dateTimeText(evening), "2026-12-06 20:05:09");
    EXPECT_EQ(sortableStamp(evening), "20261206200509");
    EXPECT_EQ(dayMonthYearText(evening), "06-12-2026");
    EXPECT_EQ(reportStampText(evening), "06-Dec-2026 08:05:09 PM");
    EXPECT_EQ(sortableStamp(DateTime{987, 1, 2, 3, 4, 5}), "09870102030405");
    // The twelve-hour clock around midnight and noon.
    EXPECT_EQ(reportStampText({2026, 1, 1, 0, 0, 0}), "01-Jan-2026 12:00:00 AM");
    EXPECT_EQ(reportStampText({2026, 5, 31, 11, 59, 59}), "31-May-2026 11:59:59 AM");
    EXPECT_EQ(reportStampText({2026, 6, 1, 12, 0, 0}), "01-Jun-2026 12:00:00 PM");
    const std::string now = nowText();
    ASSERT_EQ(now.size(), 19u) << now;
    EXPECT_TRUE(readTimeStamp(now).has_value()) << now;
}

// Pieces that end exactly at a growth step, cross one and span several,
// appending after a read continues the same text, and a cleared buffer
// starts a new one, and a piece of the text itself may be appended.
TEST(AppendStringTest, keepsEveryPieceAcrossGrowthStepsAndReads) {
    constexpr std::size_t step = AppendString::growthStep;
    AppendString text;
    text.AddToString("");
    EXPECT_EQ(text.ReturnString(), "");
    const std::string fill(step - 1, 'b');
    const std::string longPiece(2 * step + 5, 'x');
    text.AddToString("a");
    text.AddToString(fill);
    text.AddToString("c");
    text.AddToString(longPiece);
    const std::string first = text.ReturnString();
    EXPECT_EQ(first, "a" + fill + "c" + longPiece);
    text.AddToString("Ünïcödé\r\n");
    EXPECT_EQ(text.ReturnString(), first + "Ünïcödé\r\n");
    text.clear();
    text.AddToString("z");
    EXPECT_EQ(text.text(), "z");
    // Appended to itself from an offset, moving the buffer; one this large
    // goes back to the system once moved, so a read from it would fault.
    for (const std::size_t length : {step / 2, std::size_t{32} << 20}) {
        AppendString self;
        self.AddToString(std::string(length, 'h') + "i");
        self.AddToString(self.text().substr(1));
        const std::string_view both = self.text();
        EXPECT_EQ(both.size(), 2 * length + 1);
        EXPECT_EQ(both.find_first_not_of('h'), length);
        EXPECT_EQ(both.find_first_not_of('h', length + 1), 2 * length);
    }
}

} // namespace
} // namespace twinsift
