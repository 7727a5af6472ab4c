#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace twinsift::test {

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

inline PeImage buildPeImage(const PeImageOptions& options = {}) {
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

} // namespace twinsift::test
