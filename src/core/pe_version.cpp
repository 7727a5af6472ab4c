#include "core/pe_version.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

namespace twinsift {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t PeSignature = 0x00004550; // "PE\0\0"
constexpr std::uint16_t Pe32Magic = 0x10B;
constexpr std::uint16_t Pe32PlusMagic = 0x20B;
constexpr std::size_t CoffHeaderSize = 24; // signature included
constexpr std::size_t SectionHeaderSize = 40;
constexpr std::size_t ResourceDirectoryIndex = 2;
constexpr std::uint32_t RtVersion = 16;
constexpr std::uint32_t SubdirectoryFlag = 0x80000000;
constexpr std::uint32_t FixedFileInfoSignature = 0xFEEF04BD;

// Hostile headers can claim up to 65535 sections or directory entries; real
// images stay far below these, and the limits keep the reads small.
constexpr std::size_t MaxSections = 96;
constexpr std::size_t MaxDirectoryEntries = 1024;

// wLength, wValueLength, wType, "VS_VERSION_INFO\0" in UTF-16 and padding to a
// double word, then the 52-byte fixed record.
constexpr std::size_t VersionKeyOffset = 6;
constexpr std::size_t FixedInfoOffset = 40;
constexpr std::size_t FixedInfoSize = 52;
constexpr std::size_t VersionBlockMinSize = FixedInfoOffset + FixedInfoSize;
constexpr std::array<char, 16> VersionKey = {'V', 'S', '_', 'V', 'E', 'R', 'S', 'I',
                                             'O', 'N', '_', 'I', 'N', 'F', 'O', '\0'};

std::uint16_t u16(const Bytes& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

std::uint32_t u32(const Bytes& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(u16(bytes, at)) |
           static_cast<std::uint32_t>(u16(bytes, at + 2)) << 16;
}

std::optional<Bytes> readBytes(const ReadAt& readAt, std::uint64_t offset, std::size_t length) {
    Bytes bytes(length);
    if (!readAt(offset, bytes))
        return std::nullopt;
    return bytes;
}

struct Section {
    std::uint32_t virtualAddress = 0;
    std::uint32_t rawSize = 0;
    std::uint32_t rawOffset = 0;
};

struct ImageLayout {
    std::vector<Section> sections;
    std::uint32_t resourceRva = 0;
};

// Where [rva, rva + length) lies in the file, when one section holds all of it.
std::optional<std::uint64_t> fileOffsetOf(const ImageLayout& image, std::uint64_t rva,
                                          std::uint64_t length) {
    for (const Section& section : image.sections) {
        if (rva < section.virtualAddress)
            continue;
        const std::uint64_t into = rva - section.virtualAddress;
        if (into + length <= section.rawSize)
            return std::uint64_t{section.rawOffset} + into;
    }
    return std::nullopt;
}

std::optional<Bytes> readRva(const ImageLayout& image, const ReadAt& readAt, std::uint64_t rva,
                             std::size_t length) {
    const auto offset = fileOffsetOf(image, rva, length);
    if (!offset)
        return std::nullopt;
    return readBytes(readAt, *offset, length);
}

// The resource data directory's address, from the optional header.
std::optional<std::uint32_t> resourceRvaOf(const Bytes& optionalHeader) {
    if (optionalHeader.size() < 2)
        return std::nullopt;
    std::size_t countAt = 0;
    switch (u16(optionalHeader, 0)) {
    case Pe32Magic:
        countAt = 92;
        break;
    case Pe32PlusMagic:
        countAt = 108;
        break;
    default:
        return std::nullopt;
    }
    const std::size_t entryAt = countAt + 4 + ResourceDirectoryIndex * 8;
    if (optionalHeader.size() < entryAt + 8 ||
        u32(optionalHeader, countAt) <= ResourceDirectoryIndex)
        return std::nullopt;
    const std::uint32_t rva = u32(optionalHeader, entryAt);
    const std::uint32_t size = u32(optionalHeader, entryAt + 4);
    if (rva == 0 || size == 0)
        return std::nullopt;
    return rva;
}

std::optional<ImageLayout> readLayout(const ReadAt& readAt) {
    const auto dosHeader = readBytes(readAt, 0, 64);
    if (!dosHeader || (*dosHeader)[0] != 'M' || (*dosHeader)[1] != 'Z')
        return std::nullopt;
    const std::uint64_t peOffset = u32(*dosHeader, 0x3C);
    const auto coff = readBytes(readAt, peOffset, CoffHeaderSize);
    if (!coff || u32(*coff, 0) != PeSignature)
        return std::nullopt;
    const std::size_t sectionCount = u16(*coff, 6);
    const std::size_t optionalSize = u16(*coff, 20);
    if (sectionCount == 0 || sectionCount > MaxSections)
        return std::nullopt;

    // The data directories end well within the first 256 bytes of either header form.
    const auto optionalHeader =
        readBytes(readAt, peOffset + CoffHeaderSize, std::min<std::size_t>(optionalSize, 256));
    if (!optionalHeader)
        return std::nullopt;
    ImageLayout image;
    const auto resourceRva = resourceRvaOf(*optionalHeader);
    if (!resourceRva)
        return std::nullopt;
    image.resourceRva = *resourceRva;

    const auto table = readBytes(readAt, peOffset + CoffHeaderSize + optionalSize,
                                 sectionCount * SectionHeaderSize);
    if (!table)
        return std::nullopt;
    for (std::size_t i = 0; i < sectionCount; ++i) {
        const std::size_t at = i * SectionHeaderSize;
        image.sections.push_back(
            {u32(*table, at + 12), u32(*table, at + 16), u32(*table, at + 20)});
    }
    return image;
}

struct DirectoryEntry {
    std::uint32_t name = 0;
    std::uint32_t target = 0;

    bool isSubdirectory() const { return (target & SubdirectoryFlag) != 0; }
    std::uint32_t targetOffset() const { return target & ~SubdirectoryFlag; }
};

// The entries (named first, then numbered) of the resource directory at
// `offset` from the start of the resource data.
std::vector<DirectoryEntry> directoryEntries(const ImageLayout& image, const ReadAt& readAt,
                                             std::uint32_t offset) {
    const std::uint64_t rva = std::uint64_t{image.resourceRva} + offset;
    const auto header = readRva(image, readAt, rva, 16);
    if (!header)
        return {};
    const std::size_t count = std::min<std::size_t>(
        std::size_t{u16(*header, 12)} + u16(*header, 14), MaxDirectoryEntries);
    const auto raw = readRva(image, readAt, rva + 16, count * 8);
    if (!raw)
        return {};
    std::vector<DirectoryEntry> entries;
    for (std::size_t i = 0; i < count; ++i)
        entries.push_back({u32(*raw, i * 8), u32(*raw, i * 8 + 4)});
    return entries;
}

// The resource data entry of the first version resource: type RT_VERSION, then
// its first name and its first language. The three levels are walked by hand,
// so a directory that points back at itself cannot make this loop.
std::optional<DirectoryEntry> versionDataEntry(const ImageLayout& image, const ReadAt& readAt) {
    const auto types = directoryEntries(image, readAt, 0);
    const auto version = std::find_if(types.begin(), types.end(), [](const DirectoryEntry& entry) {
        return entry.name == RtVersion;
    });
    if (version == types.end() || !version->isSubdirectory())
        return std::nullopt;
    const auto names = directoryEntries(image, readAt, version->targetOffset());
    if (names.empty() || !names.front().isSubdirectory())
        return std::nullopt;
    const auto languages = directoryEntries(image, readAt, names.front().targetOffset());
    if (languages.empty() || languages.front().isSubdirectory())
        return std::nullopt;
    return languages.front();
}

std::optional<FileVersion> fixedFileVersion(const Bytes& block, std::uint32_t dataSize) {
    const std::uint16_t length = u16(block, 0);
    const std::uint16_t valueLength = u16(block, 2);
    if (length < VersionBlockMinSize || length > dataSize || valueLength < FixedInfoSize)
        return std::nullopt;
    for (std::size_t i = 0; i < VersionKey.size(); ++i) {
        if (u16(block, VersionKeyOffset + 2 * i) != static_cast<std::uint16_t>(VersionKey[i]))
            return std::nullopt;
    }
    if (u32(block, FixedInfoOffset) != FixedFileInfoSignature)
        return std::nullopt;
    return FileVersion{u32(block, FixedInfoOffset + 8), u32(block, FixedInfoOffset + 12)};
}

} // namespace

std::optional<FileVersion> peFileVersion(const ReadAt& readAt) {
    const auto image = readLayout(readAt);
    if (!image)
        return std::nullopt;
    const auto entry = versionDataEntry(*image, readAt);
    if (!entry)
        return std::nullopt;
    const auto dataEntry =
        readRva(*image, readAt, std::uint64_t{image->resourceRva} + entry->targetOffset(), 16);
    if (!dataEntry)
        return std::nullopt;
    const std::uint32_t dataSize = u32(*dataEntry, 4);
    if (dataSize < VersionBlockMinSize)
        return std::nullopt;
    const auto block = readRva(*image, readAt, u32(*dataEntry, 0), VersionBlockMinSize);
    if (!block)
        return std::nullopt;
    return fixedFileVersion(*block, dataSize);
}

std::optional<FileVersion> peFileVersion(std::span<const std::uint8_t> image) {
    return peFileVersion([image](std::uint64_t offset, std::span<std::uint8_t> out) {
        if (offset > image.size() || out.size() > image.size() - offset)
            return false;
        std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
        return true;
    });
}

} // namespace twinsift
