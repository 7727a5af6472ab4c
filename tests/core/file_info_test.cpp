#include "core/file_info.h"
#include "core/pe_version.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace twinsift {
namespace {

using test::TempDir;

// A minimal PE image whose one ".rsrc" section holds a resource tree
// type -> name 1 -> language 1033 -> data entry -> version block, with the
// positions of its parts for tests that damage them.
struct PeImage {
    std::vector<std::uint8_t> bytes;
    std::size_t optionalHeader = 0;
    std::size_t sectionTable = 0;
    std::size_t resources = 0; // file offset of the resource section

    // Offsets within the resource section.
    static constexpr std::size_t TypeDirectory = 0x00; // room for three entries
    static constexpr std::size_t NameDirectory = 0x28;
    static constexpr std::size_t LanguageDirectory = 0x40;
    static constexpr std::size_t DataEntry = 0x58;
    static constexpr std::size_t VersionBlock = 0x68;
    static constexpr std::size_t VersionBlockSize = 92;
    static constexpr std::size_t ResourceSize = VersionBlock + VersionBlockSize;
    static constexpr std::uint32_t ResourceRva = 0x1000;

    void put16(std::size_t at, std::uint16_t value) {
        bytes.at(at) = static_cast<std::uint8_t>(value);
        bytes.at(at + 1) = static_cast<std::uint8_t>(value >> 8);
    }
    void put32(std::size_t at, std::uint32_t value) {
        put16(at, static_cast<std::uint16_t>(value));
        put16(at + 2, static_cast<std::uint16_t>(value >> 16));
    }
};

struct PeImageOptions {
    bool pe32Plus = false;
    std::uint32_t resourceType = 16; // RT_VERSION; anything else leaves the image without one
    // Puts a named type whose name offset is 16 and the numbered type 3 before
    // the version type, both leading straight to the data entry.
    bool otherTypesFirst = false;
    std::size_t resourceFileOffset = 0x180;
    std::uint32_t versionMs = 0x00050001; // 5.1
    std::uint32_t versionLs = 0x0A280000; // 2600.0
};

PeImage buildPeImage(const PeImageOptions& options = {}) {
    constexpr std::uint32_t Subdirectory = 0x80000000;
    PeImage image;
    const std::size_t peOffset = 0x40;
    const std::size_t optionalSize = options.pe32Plus ? 240 : 224;
    image.optionalHeader = peOffset + 24;
    image.sectionTable = image.optionalHeader + optionalSize;
    image.resources = options.resourceFileOffset;
    image.bytes.assign(image.resources + PeImage::ResourceSize, 0);

    image.bytes[0] = 'M';
    image.bytes[1] = 'Z';
    image.put32(0x3C, peOffset);
    image.put32(peOffset, 0x4550);
    image.put16(peOffset + 4, options.pe32Plus ? 0x8664 : 0x14C);
    image.put16(peOffset + 6, 1);
    image.put16(peOffset + 20, static_cast<std::uint16_t>(optionalSize));

    image.put16(image.optionalHeader, options.pe32Plus ? 0x20B : 0x10B);
    const std::size_t directoryCount = image.optionalHeader + (options.pe32Plus ? 108 : 92);
    image.put32(directoryCount, 16);
    image.put32(directoryCount + 4 + 2 * 8, PeImage::ResourceRva);
    image.put32(directoryCount + 4 + 2 * 8 + 4, PeImage::ResourceSize);

    std::memcpy(&image.bytes[image.sectionTable], ".rsrc", 5);
    image.put32(image.sectionTable + 8, PeImage::ResourceSize);
    image.put32(image.sectionTable + 12, PeImage::ResourceRva);
    image.put32(image.sectionTable + 16, PeImage::ResourceSize);
    image.put32(image.sectionTable + 20, static_cast<std::uint32_t>(image.resources));

    const auto directory = [&](std::size_t at, std::uint32_t id, std::uint32_t target) {
        image.put16(image.resources + at + 14, 1);
        image.put32(image.resources + at + 16, id);
        image.put32(image.resources + at + 20, target);
    };
    if (options.otherTypesFirst) {
        const std::size_t types = image.resources + PeImage::TypeDirectory;
        image.put16(types + 12, 1);
        image.put16(types + 14, 2);
        image.put32(types + 16, Subdirectory | 16);
        image.put32(types + 20, PeImage::DataEntry);
        image.put32(types + 24, 3);
        image.put32(types + 28, PeImage::DataEntry);
        image.put32(types + 32, options.resourceType);
        image.put32(types + 36, Subdirectory | PeImage::NameDirectory);
    } else {
        directory(PeImage::TypeDirectory, options.resourceType,
                  Subdirectory | PeImage::NameDirectory);
    }
    directory(PeImage::NameDirectory, 1, Subdirectory | PeImage::LanguageDirectory);
    directory(PeImage::LanguageDirectory, 1033, PeImage::DataEntry);
    image.put32(image.resources + PeImage::DataEntry, PeImage::ResourceRva + PeImage::VersionBlock);
    image.put32(image.resources + PeImage::DataEntry + 4, PeImage::VersionBlockSize);

    const std::size_t block = image.resources + PeImage::VersionBlock;
    image.put16(block, PeImage::VersionBlockSize);
    image.put16(block + 2, 52);
    const char key[] = "VS_VERSION_INFO";
    for (std::size_t i = 0; i < sizeof key; ++i)
        image.put16(block + 6 + 2 * i, static_cast<std::uint16_t>(key[i]));
    image.put32(block + 40, 0xFEEF04BD);
    image.put32(block + 44, 0x00010000);
    image.put32(block + 48, options.versionMs);
    image.put32(block + 52, options.versionLs);
    return image;
}

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

std::string textOf(const PeImage& image) {
    return std::string(image.bytes.begin(), image.bytes.end());
}

TEST(FileInfoTest, readsVersionOfProgramFilesWhateverTheirExtensionsCaseOrSize) {
    TempDir dir;
    const std::string program = textOf(buildPeImage());
    for (const char* name : {"x.exe", "X.EXE", "lib.dll", "control.Ocx", "\xff\xfe name.exe"})
        EXPECT_EQ(VersionText(dir.write(name, program)), "5.1.2600.0") << name;
    const auto big = buildPeImage({.pe32Plus = true, .resourceFileOffset = 8 << 20});
    EXPECT_EQ(VersionText(dir.write("big.dll", textOf(big))), "5.1.2600.0");
}

TEST(FileInfoTest, givesNotAvailableForOtherNamesAndFilesWithoutVersion) {
    TempDir dir;
    const std::string program = textOf(buildPeImage());
    for (const char* name : {"x.txt", "x.exe.bak", "exe", "x.exe "})
        EXPECT_EQ(VersionText(dir.write(name, program)), "N/A") << name;
    EXPECT_EQ(VersionText(dir.write("plain.EXE", textOf(buildPeImage({.resourceType = 24})))),
              "N/A");
    EXPECT_EQ(VersionText(dir.write("script.exe", "#!/bin/sh\necho hi\n")), "N/A");
    EXPECT_EQ(VersionText(dir.write("empty.dll", "")), "N/A");
    EXPECT_EQ(VersionText(dir.path() + "missing.exe"), "N/A");
    EXPECT_EQ(VersionText(dir.mkdir("folder.dll")), "N/A");
    EXPECT_EQ(VersionText(""), "N/A");
}

TEST(FileInfoTest, doesNotWaitOnPipeNamedLikeProgram) {
    TempDir dir;
    const std::string pipe = dir.path() + "pipe.exe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(VersionText(pipe), "N/A");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(FileInfoTest, fileExistsOnlyForRegularFiles) {
    TempDir dir;
    const std::string file = dir.write("file.txt", "x");
    EXPECT_TRUE(FileExists(file));
    EXPECT_TRUE(FileExists(dir.write("\xff\xfe odd, name?", "x")));
    EXPECT_FALSE(FileExists(dir.mkdir("folder")));
    EXPECT_FALSE(FileExists(dir.path() + "folder"));
    const std::string link = dir.path() + "link";
    ASSERT_EQ(::symlink(file.c_str(), link.c_str()), 0);
    EXPECT_FALSE(FileExists(link));
    EXPECT_FALSE(FileExists(dir.path() + "missing"));
    EXPECT_FALSE(FileExists(file + "/below"));
    EXPECT_FALSE(FileExists(""));
}

TEST(FileInfoTest, extensionIsTextAfterLastDot) {
    EXPECT_EQ(ExtensionOf("archive.tar.gz"), "gz");
    EXPECT_EQ(ExtensionOf("README"), "");
    EXPECT_EQ(ExtensionOf("name."), "");
    EXPECT_EQ(ExtensionOf(".bashrc"), "bashrc");
    EXPECT_EQ(ExtensionOf("Photo.JPG"), "JPG");
}

} // namespace
} // namespace twinsift
