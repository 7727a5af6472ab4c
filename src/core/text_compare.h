#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace twinsift {

// Case-insensitive order of texts: both texts are case-folded by Unicode simple
// case folding and the folded texts are compared byte by byte. Bytes that are
// not valid UTF-8 are not folded and compare as they are, so any byte string
// has a place in the order. Result -1, 0 or +1 (a before, equal to, after b).
// Never allocates.
int compareText(std::string_view a, std::string_view b);

// Byte order: -1, 0 or +1.
int compareBinary(std::string_view a, std::string_view b);

// The folded text that compareText orders by (invalid bytes kept as they are).
std::string foldCase(std::string_view text);

// The length of the well-formed UTF-8 character that starts `text`, or 0
// when its first byte starts none (overlong forms and surrogates included).
std::size_t validUtf8Length(std::string_view text);

// U+FFFD: what a byte that starts no character is shown as where a reader
// expects UTF-8.
inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// The first eight bytes of foldCase(text), big-endian, zero-padded: texts whose
// prefixes differ are ordered by compareText as their prefixes are.
std::uint64_t foldedPrefix(std::string_view text);

} // namespace twinsift
