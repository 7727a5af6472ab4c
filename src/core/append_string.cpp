#include "core/append_string.h"

#include <algorithm>

namespace twinsift {

void AppendString::AddToString(std::string_view text) {
    const std::size_t needed = m_buffer.size() + text.size();
    if (needed > m_buffer.capacity()) {
        const std::size_t wanted = std::max(needed, 2 * m_buffer.capacity());
        m_buffer.reserve((wanted + growthStep - 1) / growthStep * growthStep);
    }
    m_buffer.append(text);
}

std::string AppendString::ReturnString() {
    return m_buffer;
}

} // namespace twinsift
