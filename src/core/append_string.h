#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace twinsift {

// Collects a long text from many short pieces. The buffer grows by whole
// steps of 10000 bytes (UTF-8 text), and at least doubles each time, so that
// a text of many megabytes is moved a few times only; an append costs the
// length of the piece.
class AppendString {
public:
    static constexpr std::size_t growthStep = 10000;

    void AddToString(std::string_view text);

    // A copy of the text collected so far; later appends continue the same
    // text.
    std::string ReturnString();

    // The text collected so far, without a copy: valid until the next
    // change.
    std::string_view text() const { return m_buffer; }

    // Starts a new text in the same buffer, so that a writer handing on its
    // text piece by piece allocates it once.
    void clear() { m_buffer.clear(); }

private:
    std::string m_buffer;
};

} // namespace twinsift
