#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace twinsift {

// Fills `out` with the image's bytes starting at `offset`; false when they are
// not all there.
using ReadAt = std::function<bool(std::uint64_t offset, std::span<std::uint8_t> out)>;

// The file version of a program file's fixed version record, as its two double
// words.
struct FileVersion {
    std::uint32_t mostSignificant = 0;
    std::uint32_t leastSignificant = 0;
};

// The file version from the version resource of a PE image (PE32 or PE32+).
// Nothing when the image has no version resource or anything on the way is
// malformed. Only the headers and the few structures on the path to the
// version record are read, so the cost does not grow with the image.
std::optional<FileVersion> peFileVersion(const ReadAt& readAt);
std::optional<FileVersion> peFileVersion(std::span<const std::uint8_t> image);

} // namespace twinsift
