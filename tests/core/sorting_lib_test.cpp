#include "core/sorting_lib.h"

#include "core/text_compare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace twinsift {
namespace {

using Texts = std::vector<std::string>;

Texts sorted(Texts texts, bool ascending, bool binaryCompare) {
    SortStrings(texts, ascending, binaryCompare);
    return texts;
}

// Sorted by the mode's comparison and holding exactly the input's texts.
::testing::AssertionResult isSortedPermutation(const Texts& input, const Texts& output,
                                               bool ascending, bool binaryCompare) {
    const int direction = ascending ? 1 : -1;
    for (std::size_t i = 1; i < output.size(); ++i) {
        const int order = binaryCompare ? compareBinary(output[i - 1], output[i])
                                        : compareText(output[i - 1], output[i]);
        if (order == direction)
            return ::testing::AssertionFailure() << "out of order at " << i << ": \""
                                                 << output[i - 1] << "\", \"" << output[i] << '"';
    }
    Texts a = input;
    Texts b = output;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    if (a != b)
        return ::testing::AssertionFailure() << "texts lost or duplicated";
    return ::testing::AssertionSuccess();
}

Texts randomNames(std::size_t count, unsigned seed) {
    static const std::vector<std::string> pieces = {"a", "B", "c", "D", "é",
                                                    "É", "0", "9", ".", "_"};
    std::mt19937 random(seed);
    Texts texts(count);
    for (auto& text : texts) {
        const auto length = random() % 5;
        for (unsigned i = 0; i < length; ++i)
            text += pieces[random() % pieces.size()];
    }
    return texts;
}

TEST(SortingLibTest, ordersByModeAndDirectionWithinTheGivenSpan) {
    EXPECT_EQ(sorted({"B", "a"}, true, false), (Texts{"a", "B"}));
    EXPECT_EQ(sorted({"1", "3", "2"}, false, false), (Texts{"3", "2", "1"}));
    EXPECT_EQ(sorted({"éb", "Éa"}, true, false), (Texts{"Éa", "éb"}));
    EXPECT_EQ(sorted({"éa", "Éb"}, true, false), (Texts{"éa", "Éb"}));
    EXPECT_EQ(sorted({"éa", "Éb"}, true, true), (Texts{"Éb", "éa"}));
    EXPECT_EQ(sorted({}, true, false), Texts{});
    EXPECT_EQ(sorted({"only"}, false, false), Texts{"only"});
    Texts texts = {"z", "c", "b", "a", "y"};
    SortStrings(std::span<std::string>(texts).subspan(1, 3), true, true);
    EXPECT_EQ(texts, (Texts{"z", "a", "b", "c", "y"}));
}

// 61 texts take the insertion sort alone, 62 are partitioned first; sizes
// around further partition splits catch off-by-one errors in the bounds.
TEST(SortingLibTest, matchesStdSortAtEverySizeAroundTheInsertionLimit) {
    for (std::size_t size : {2u, 60u, 61u, 62u, 63u, 123u, 124u, 125u, 4099u}) {
        for (bool ascending : {true, false}) {
            SCOPED_TRACE(::testing::Message()
                         << size << (ascending ? " ascending" : " descending"));
            const Texts input = randomNames(size, static_cast<unsigned>(size));
            Texts expected = input;
            std::sort(expected.begin(), expected.end(),
                      [&](const auto& a, const auto& b) { return ascending ? a < b : b < a; });
            EXPECT_EQ(sorted(input, ascending, true), expected);
            EXPECT_TRUE(
                isSortedPermutation(input, sorted(input, ascending, false), ascending, false));
        }
    }
}

TEST(SortingLibTest, handlesLargeOrderedReversedAndUniformInputs) {
    const std::size_t count = 100000;
    Texts ascendingInput(count);
    for (std::size_t i = 0; i < count; ++i)
        ascendingInput[i] = std::to_string(1000000 + i);
    Texts reversed(ascendingInput.rbegin(), ascendingInput.rend());
    const Texts uniform(count, "same name.txt");
    Texts organPipe = ascendingInput;
    std::reverse(organPipe.begin() + count / 2, organPipe.end());

    EXPECT_EQ(sorted(ascendingInput, true, false), ascendingInput);
    EXPECT_EQ(sorted(reversed, true, false), ascendingInput);
    EXPECT_EQ(sorted(ascendingInput, false, false), reversed);
    EXPECT_EQ(sorted(uniform, true, false), uniform);
    EXPECT_EQ(sorted(organPipe, true, true), ascendingInput);
}

} // namespace
} // namespace twinsift
