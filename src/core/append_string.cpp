#include "core/append_string.h"

namespace twinsift {

void AppendString::AddToString(std::string_view text) {
    const std::size_t needed = m_used + text.size();
    if (needed > m_buffer.size()) {
        const std::size_t steps = (needed - m_buffer.size() + growthStep - 1) / growthStep;
        // std::string grows its storage geometrically underneath, so the whole
        // text is not copied on every step: the total cost stays linear even
        // for texts of many megabytes.
        m_buffer.resize(m_buffer.size() + steps * growthStep, ' ');
    }
    m_buffer.replace(m_used, text.size(), text);
    m_used = needed;
}

std::string AppendString::ReturnString() {
    m_buffer.resize(m_used);
    return m_buffer;
}

} // namespace twinsift
