#include "core/candidates.h"
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

int sign(int value) {
    return (value > 0) - (value < 0);
}

// Texts of up to five pieces drawn at random from `pieces`, the same for the same seed.
Texts randomTexts(std::size_t count, unsigned seed, const Texts& pieces) {
    std::mt19937 random(seed);
    Texts texts(count);
    for (auto& text : texts) {
        const auto length = random() % 6;
        for (unsigned i = 0; i < length; ++i)
            text += pieces[random() % pieces.size()];
    }
    return texts;
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
    const Texts texts = randomTexts(40000, 7,
                                    {"a", "A", "z", "Z", "_", "0", "É", "é", "ß", "\u212A", "k",
                                     "K", "\xff", "\xc3", "Ω", "ω", " "});
    for (std::size_t i = 0; i < texts.size(); i += 2) {
        const std::string& a = texts[i];
        const std::string& b = texts[i + 1];
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

Texts sorted(Texts texts, bool ascending, bool binaryCompare) {
    SortStrings(texts, ascending, binaryCompare);
    return texts;
}

// Sorted by compareText and holding exactly the input's texts.
::testing::AssertionResult isSortedPermutation(const Texts& input, const Texts& output,
                                               bool ascending) {
    const int direction = ascending ? 1 : -1;
    for (std::size_t i = 1; i < output.size(); ++i) {
        if (compareText(output[i - 1], output[i]) == direction)
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
            const Texts input = randomTexts(size, static_cast<unsigned>(size),
                                            {"a", "B", "c", "D", "é", "É", "0", "9", ".", "_"});
            Texts expected = input;
            std::sort(expected.begin(), expected.end(),
                      [&](const auto& a, const auto& b) { return ascending ? a < b : b < a; });
            EXPECT_EQ(sorted(input, ascending, true), expected);
            EXPECT_TRUE(isSortedPermutation(input, sorted(input, ascending, false), ascending));
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

struct Entry {
    std::int64_t size;
    std::string name;
    std::string folder;
    std::time_t lastWrite = 0;
};

std::vector<std::string> sortedNames(const std::vector<Entry>& entries, RecordOrder order) {
    CandidateStore store;
    for (const Entry& e : entries)
        store.records.push_back({e.size, e.name, store.folderIndex(e.folder), e.lastWrite, {}});
    sortCandidates(store, order);
    std::vector<std::string> names;
    for (const FileRecord& r : store.records)
        names.push_back(store.folderOf(r) + r.name);
    return names;
}

TEST(CandidateOrderTest, comparesSizesAsNumbersAndNamesAsFieldsIgnoringCase) {
    EXPECT_EQ(sortedNames({{10, "b", "/x/"}, {9, "a", "/x/"}}, RecordOrder::SizeFirst),
              (std::vector<std::string>{"/x/a", "/x/b"}));
    // Beyond twelve digits text order and number order part ways.
    EXPECT_EQ(sortedNames({{2'000'000'000'000, "a", "/x/"}, {999'999'999'999, "b", "/x/"}},
                          RecordOrder::SizeFirst),
              (std::vector<std::string>{"/x/b", "/x/a"}));
    // Equal sizes: name, then folder, each without regard to case.
    EXPECT_EQ(sortedNames({{5, "b", "/x/"}, {5, "A", "/y/"}, {5, "a", "/X/"}, {5, "A", "/w/"}},
                          RecordOrder::SizeFirst),
              (std::vector<std::string>{"/w/A", "/X/a", "/y/A", "/x/b"}));
    // Name first keeps equal names together whatever their size.
    EXPECT_EQ(sortedNames({{1, "B", "/x/"}, {9, "a", "/x/"}, {3, "A", "/y/"}, {2, "ab", "/x/"}},
                          RecordOrder::NameFirst),
              (std::vector<std::string>{"/y/A", "/x/a", "/x/ab", "/x/B"}));
    // "?" is a name character: "a?b" sorts between "a" and "b", never split.
    EXPECT_EQ(
        sortedNames({{1, "b", "/x/"}, {1, "a?b", "/x/"}, {1, "a", "/z?/"}}, RecordOrder::SizeFirst),
        (std::vector<std::string>{"/z?/a", "/x/a?b", "/x/b"}));
    // Bytes that are not UTF-8 have a fixed place: after every ASCII name.
    EXPECT_EQ(sortedNames({{1, "\xff", "/x/"}, {1, "z", "/x/"}}, RecordOrder::SizeFirst),
              (std::vector<std::string>{"/x/z", "/x/\xff"}));
}

TEST(CandidateOrderTest, theTimeDecidesLastAndFoldersAreSharedOnlyWhenRepeated) {
    CandidateStore store;
    EXPECT_EQ(store.folderIndex("/a/"), 0u);
    EXPECT_EQ(store.folderIndex("/a/"), 0u);
    EXPECT_EQ(store.folderIndex("/b/"), 1u);
    const FileRecord later{1, "n", 0, 3600 * 24, {}};
    const FileRecord earlier{1, "n", 0, 60, {}};
    EXPECT_GT(compareRecords(store, later, earlier, RecordOrder::SizeFirst), 0);
    EXPECT_EQ(compareRecords(store, earlier, earlier, RecordOrder::NameFirst), 0);
}

} // namespace
} // namespace twinsift
