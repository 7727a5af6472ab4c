#include "core/append_string.h"

#include <gtest/gtest.h>

#include <string>

namespace twinsift {
namespace {

constexpr std::size_t step = AppendString::growthStep;

TEST(AppendStringTest, keepsEveryPieceAcrossGrowthSteps) {
    AppendString text;
    EXPECT_EQ(text.ReturnString(), "");
    text.AddToString("");
    EXPECT_EQ(text.ReturnString(), "");

    // Pieces that end exactly at a step, cross one, and span several.
    const std::string fill(step - 1, 'b');
    const std::string longPiece(2 * step + 5, 'x');
    text.AddToString("a");
    text.AddToString(fill);
    text.AddToString("c");
    text.AddToString(longPiece);
    EXPECT_EQ(text.ReturnString(), "a" + fill + "c" + longPiece);
}

TEST(AppendStringTest, continuesTheSameTextAfterReturning) {
    AppendString text;
    text.AddToString("line 1\r\n");
    text.AddToString("Ünïcödé\r\n");
    const std::string first = text.ReturnString();
    EXPECT_EQ(first, "line 1\r\nÜnïcödé\r\n");
    EXPECT_EQ(text.ReturnString(), first);
    text.AddToString("line 3");
    EXPECT_EQ(text.ReturnString(), first + "line 3");
}

} // namespace
} // namespace twinsift
