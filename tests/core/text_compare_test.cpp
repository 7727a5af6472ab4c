#include "core/text_compare.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace twinsift {
namespace {

int sign(int value) {
    return (value > 0) - (value < 0);
}

TEST(TextCompareTest, ignoresCaseInAsciiAndBeyondBySimpleFolding) {
    EXPECT_EQ(compareText("ReadMe.TXT", "readme.txt"), 0);
    EXPECT_EQ(compareText("ΣΊΣΥΦΟΣ", "σίσυφοσ"), 0);
    EXPECT_EQ(compareText("σ", "ς"), 0);
    EXPECT_EQ(compareText("ДОКУМЕНТ", "документ"), 0);
    EXPECT_EQ(compareText("\u212A", "k"), 0);      // Kelvin sign folds to k
    EXPECT_EQ(compareText("\u1E9E", "\u00DF"), 0); // capital sharp s folds to ß
    EXPECT_LT(compareText("Éa", "éb"), 0);
    EXPECT_GT(compareText("b", "A"), 0);
    EXPECT_LT(compareText("abc", "ABCD"), 0);
    EXPECT_LT(compareText("", "a"), 0);
    // Full folding would make these equal; file names must stay distinct.
    EXPECT_NE(compareText("straße", "strasse"), 0);
    EXPECT_NE(compareText("\u0130", "i"), 0);
    EXPECT_NE(compareText("ﬁle", "file"), 0);
}

TEST(TextCompareTest, invalidBytesCompareAsTheyAre) {
    EXPECT_EQ(compareText("\xff", "\xff"), 0);
    EXPECT_LT(compareText("a\xfe", "A\xff"), 0);
    EXPECT_LT(compareText("\xc3", "\xc3\xa9"), 0); // truncated sequence is a prefix
    EXPECT_EQ(compareText("x\xc3", "X\xc3"), 0);
    EXPECT_NE(compareText("\xed\xa0\x80", "\xed\xa0\x81"), 0); // encoded surrogates
    EXPECT_EQ(foldCase("A\xffÉ"), "a\xffé");
}

// The fast ASCII path and the Unicode path must agree with the definition:
// byte order of the folded texts.
TEST(TextCompareTest, agreesWithTheOrderOfFoldedTexts) {
    const std::vector<std::string> pieces = {"a",      "A", "z", "Z",    "_",    "0", "É", "é", "ß",
                                             "\u212A", "k", "K", "\xff", "\xc3", "Ω", "ω", " "};
    std::mt19937 random(7);
    auto make = [&] {
        std::string text;
        const auto length = random() % 6;
        for (unsigned i = 0; i < length; ++i)
            text += pieces[random() % pieces.size()];
        return text;
    };
    for (int round = 0; round < 20000; ++round) {
        const std::string a = make();
        const std::string b = make();
        ASSERT_EQ(compareText(a, b), sign(foldCase(a).compare(foldCase(b))))
            << '"' << a << "\" vs \"" << b << '"';
        ASSERT_EQ(compareText(a, b), -compareText(b, a));
    }
}

TEST(TextCompareTest, binaryOrderIsUnsignedBytes) {
    EXPECT_LT(compareBinary("B", "a"), 0);
    EXPECT_LT(compareBinary("z", "\xc3\xa9"), 0);
    EXPECT_EQ(compareBinary("same", "same"), 0);
    EXPECT_GT(compareBinary("ab", "a"), 0);
}

} // namespace
} // namespace twinsift
