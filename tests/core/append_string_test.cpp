#include "core/append_string.h"

#include <gtest/gtest.h>

#include <string>

namespace twinsift {
namespace {

constexpr std::size_t step = AppendString::growthStep;

TEST(AppendStringTest, newAndEmptyAppendsHoldNothing) {
    AppendString text;
    EXPECT_EQ(text.ReturnString(), "");
    text.AddToString("");
    EXPECT_EQ(text.capacity(), 0u);
    EXPECT_EQ(text.ReturnString(), "");
}

TEST(AppendStringTest, growsInWholeStepsOnlyWhenFull) {
    AppendString text;
    text.AddToString("a");
    EXPECT_EQ(text.capacity(), step);
    text.AddToString(std::string(step - 1, 'b'));
    EXPECT_EQ(text.capacity(), step);
    text.AddToString("c");
    EXPECT_EQ(text.capacity(), 2 * step);
    const std::string result = text.ReturnString();
    EXPECT_EQ(result.size(), step + 1);
    EXPECT_EQ(result.front(), 'a');
    EXPECT_EQ(result.back(), 'c');
}

TEST(AppendStringTest, longPieceIsAppendedWhole) {
    AppendString text;
    text.AddToString("head ");
    const std::string piece(25000, 'x');
    text.AddToString(piece);
    EXPECT_EQ(text.capacity(), 3 * step);
    EXPECT_EQ(text.ReturnString(), "head " + piece);
}

TEST(AppendStringTest, continuesTheSameTextAfterReturning) {
    AppendString text;
    text.AddToString("line 1\r\n");
    text.AddToString("Ünïcödé\r\n");
    const std::string first = text.ReturnString();
    EXPECT_EQ(first, "line 1\r\nÜnïcödé\r\n");
    EXPECT_EQ(text.ReturnString(), first);
    EXPECT_EQ(text.capacity(), first.size());
    text.AddToString("line 3");
    EXPECT_EQ(text.capacity(), first.size() + step);
    EXPECT_EQ(text.ReturnString(), first + "line 3");
}

} // namespace
} // namespace twinsift
