#include "core/append_string.h"

#include <algorithm>
#include <functional>

namespace twinsift {

void AppendString::AddToString(std::string_view text) {
    const std::size_t needed = m_buffer.size() + text.size();
    if (needed > m_buffer.capacity()) {
        // A piece taken from this very text (text() or part of it) would be
        // left behind by the move; it is found again at its place after.
        const char* begin = m_buffer.data();
        const bool own = !text.empty() && std::less_equal<>()(begin, text.data()) &&
                         std::less<>()(text.data(), begin + m_buffer.size());
        const std::size_t offset = own ? static_cast<std::size_t>(text.data() - begin) : 0;
        const std::size_t wanted = std::max(needed, 2 * m_buffer.capacity());
        m_buffer.reserve((wanted + growthStep - 1) / growthStep * growthStep);
        if (own)
            text = std::string_view(m_buffer).substr(offset, text.size());
    }
    m_buffer.append(text);
}

std::string AppendString::ReturnString() {
    return m_buffer;
}

} // namespace twinsift
