#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace twinsift {

// Collects a long text from many short pieces. The buffer grows in steps of
// 10000 bytes (UTF-8 text); an append costs the length of the piece.
class AppendString {
public:
    static constexpr std::size_t growthStep = 10000;

    void AddToString(std::string_view text);

    // The text collected so far. Cuts the buffer to the collected length;
    // later appends continue the same text and grow it again by whole steps.
    std::string ReturnString();

private:
    std::string m_buffer;
    std::size_t m_used = 0;
};

} // namespace twinsift
