#include "core/append_string.h"

#include <gtest/gtest.h>

#include <string>

namespace twinsift {
namespace {

// Pieces that end exactly at a growth step, cross one and span several, and
// appending after a read continues the same text.
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
}

} // namespace
} // namespace twinsift
