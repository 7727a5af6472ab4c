#include "core/text_compare.h"

#include <utf8proc.h>

#include <array>
#include <cstddef>
#include <cstdint>

namespace twinsift {
namespace detail {
namespace {

constexpr unsigned char asciiFold(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// utf8proc only knows full folding (ß -> "ss"). Where the full folding is a
// single code point it equals the simple folding; where it is longer, the
// simple folding is the lower-case mapping, except for the dotted capital I,
// which simple folding leaves alone.
utf8proc_int32_t simpleFold(utf8proc_int32_t cp) {
    std::array<utf8proc_int32_t, 4> folded{};
    int boundClass = 0;
    const utf8proc_ssize_t count =
        utf8proc_decompose_char(cp, folded.data(), folded.size(), UTF8PROC_CASEFOLD, &boundClass);
    if (count == 1)
        return folded[0];
    if (cp == 0x130)
        return cp;
    return utf8proc_tolower(cp);
}

// Reads a text as the byte sequence of its folded form, one byte at a time,
// without building the folded text.
class FoldedBytes {
public:
    explicit FoldedBytes(std::string_view text) : m_text(text) {}

    bool atEnd() const { return m_pendingPos == m_pendingLen && m_pos == m_text.size(); }

    unsigned char next() {
        if (m_pendingPos == m_pendingLen)
            foldNextUnit();
        return m_pending[m_pendingPos++];
    }

private:
    void foldNextUnit() {
        const auto* start = reinterpret_cast<const utf8proc_uint8_t*>(m_text.data() + m_pos);
        const auto rest = static_cast<utf8proc_ssize_t>(m_text.size() - m_pos);
        utf8proc_int32_t cp = 0;
        const utf8proc_ssize_t used = utf8proc_iterate(start, rest, &cp);
        m_pendingPos = 0;
        if (used <= 0) {
            m_pending[0] = *start;
            m_pendingLen = 1;
            m_pos += 1;
            return;
        }
        m_pendingLen =
            static_cast<std::size_t>(utf8proc_encode_char(simpleFold(cp), m_pending.data()));
        m_pos += static_cast<std::size_t>(used);
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    std::array<utf8proc_uint8_t, 4> m_pending{};
    std::size_t m_pendingPos = 0;
    std::size_t m_pendingLen = 0;
};

int compareFolded(std::string_view a, std::string_view b) {
    FoldedBytes left(a);
    FoldedBytes right(b);
    while (!left.atEnd() && !right.atEnd()) {
        const unsigned char x = left.next();
        const unsigned char y = right.next();
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (left.atEnd() == right.atEnd())
        return 0;
    return left.atEnd() ? -1 : 1;
}

} // namespace
} // namespace detail

int compareText(std::string_view a, std::string_view b) {
    // File names are mostly ASCII: fold A-Z inline and hand over to the Unicode
    // folding only from the first non-ASCII byte on. The equal prefix is whole
    // code points, so the hand-over keeps the order exact.
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if ((x | y) & 0x80)
            return detail::compareFolded(a.substr(i), b.substr(i));
        const unsigned char fx = detail::asciiFold(x);
        const unsigned char fy = detail::asciiFold(y);
        if (fx != fy)
            return fx < fy ? -1 : 1;
    }
    // All ASCII so far: the shorter text's folded form is a prefix of the
    // longer one's.
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

int compareBinary(std::string_view a, std::string_view b) {
    const int order = a.compare(b);
    return (order > 0) - (order < 0);
}

std::uint64_t foldedPrefix(std::string_view text) {
    detail::FoldedBytes bytes(text);
    std::uint64_t prefix = 0;
    for (int i = 0; i < 8; ++i)
        prefix = (prefix << 8) | (bytes.atEnd() ? 0u : bytes.next());
    return prefix;
}

std::string foldCase(std::string_view text) {
    std::string folded;
    folded.reserve(text.size());
    detail::FoldedBytes bytes(text);
    while (!bytes.atEnd())
        folded.push_back(static_cast<char>(bytes.next()));
    return folded;
}

std::size_t validUtf8Length(std::string_view text) {
    utf8proc_int32_t character = 0;
    const utf8proc_ssize_t length =
        utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data()),
                         static_cast<utf8proc_ssize_t>(text.size()), &character);
    return length > 0 ? static_cast<std::size_t>(length) : 0;
}

} // namespace twinsift
