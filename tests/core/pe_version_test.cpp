#include "core/pe_version.h"

#include "core/pe_image_builder.h"

#include <gtest/gtest.h>
#include <random>

namespace twinsift {
namespace {

using test::buildPeImage;
using test::PeImage;

std::optional<FileVersion> versionOf(const PeImage& image) {
    return peFileVersion(std::span<const std::uint8_t>(image.bytes));
}

void expectVersion(const PeImage& image, std::uint32_t ms, std::uint32_t ls) {
    const auto version = versionOf(image);
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(version->mostSignificant, ms);
    EXPECT_EQ(version->leastSignificant, ls);
}

TEST(PeVersionTest, readsFixedFileVersionOfTheNumberedVersionTypeAmongAllTypes) {
    expectVersion(buildPeImage(), 0x00050001, 0x0A280000);
    expectVersion(buildPeImage({.pe32Plus = true, .versionMs = 0xFFFF0000, .versionLs = 7}),
                  0xFFFF0000, 7);
    expectVersion(buildPeImage({.otherTypesFirst = true}), 0x00050001, 0x0A280000);
    EXPECT_FALSE(versionOf(buildPeImage({.resourceType = 24})).has_value());
    EXPECT_FALSE(
        versionOf(buildPeImage({.resourceType = 24, .otherTypesFirst = true})).has_value());
}

TEST(PeVersionTest, everyTruncatedImageHasNoVersion) {
    const PeImage image = buildPeImage();
    for (std::size_t length = 0; length < image.bytes.size(); ++length) {
        const std::span<const std::uint8_t> truncated(image.bytes.data(), length);
        EXPECT_FALSE(peFileVersion(truncated).has_value()) << "length " << length;
    }
}

TEST(PeVersionTest, hostileOffsetsSizesAndLoopsGiveNoVersion) {
    const PeImage valid = buildPeImage();
    const std::size_t rsrc = valid.resources;
    const std::size_t block = rsrc + PeImage::VersionBlock;
    const struct {
        const char* what;
        std::size_t at;
        std::uint32_t value;
    } patches[] = {
        {"e_lfanew past the end", 0x3C, 0xFFFFFFFF},
        {"resource RVA at the top", valid.optionalHeader + 96 + 16, 0xFFFFFFF0},
        {"section raw data past the end", valid.sectionTable + 20, 0xFFFFFFFF},
        {"section ends before the version block", valid.sectionTable + 16, PeImage::VersionBlock},
        {"subdirectory offset at the top", rsrc + PeImage::TypeDirectory + 20, 0xFFFFFFFF},
        {"entry count beyond the section", rsrc + PeImage::TypeDirectory + 12, 0xFFFFFFFF},
        {"name level points back at the root", rsrc + PeImage::NameDirectory + 20, 0x80000000},
        {"language level points at itself", rsrc + PeImage::LanguageDirectory + 20,
         0x80000000 | PeImage::LanguageDirectory},
        {"data RVA at the top", rsrc + PeImage::DataEntry, 0xFFFFFFFC},
        {"data size below the fixed record", rsrc + PeImage::DataEntry + 4, 91},
        {"block length beyond the data size", block, 0x0034005D},
        {"no fixed record", block, 0x0000005C},
        {"wrong signature", block + 40, 0xFEEF04BC},
    };
    for (const auto& patch : patches) {
        PeImage image = valid;
        image.put32(patch.at, patch.value);
        EXPECT_FALSE(versionOf(image).has_value()) << patch.what;
    }
}

// Random damage must never read outside the image; the address sanitizer
// fails the run on any stray access. Cut images are covered above.
TEST(PeVersionTest, survivesThousandsOfRandomlyDamagedImages) {
    const PeImage images[] = {buildPeImage(), buildPeImage({.pe32Plus = true})};
    const std::uint32_t hostileValues[] = {0,          0xFFFFFFFF, 0x7FFFFFFF, 0x80000000,
                                           0x80000028, 0xFFFF,     0x1000,     0x10000000};
    std::mt19937 random(20240611);
    int withVersion = 0;
    int withoutVersion = 0;
    for (int round = 0; round < 5000; ++round) {
        PeImage image = images[round % 2];
        const int damages = 1 + static_cast<int>(random() % 4);
        for (int d = 0; d < damages; ++d) {
            const std::size_t at = random() % (image.bytes.size() - 3);
            if (random() % 2)
                image.bytes[at] ^= static_cast<std::uint8_t>(1 + random() % 255);
            else
                image.put32(at, hostileValues[random() % std::size(hostileValues)]);
        }
        (versionOf(image) ? withVersion : withoutVersion) += 1;
    }
    // Both outcomes occur, so the damage neither always misses nor always
    // stops the parser at its first check.
    EXPECT_GT(withVersion, 100);
    EXPECT_GT(withoutVersion, 100);
}

} // namespace
} // namespace twinsift
