#include "support/memory_settings.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>

namespace twinsift::test {
namespace {

std::optional<std::uint64_t> keyNumber(const std::string& key) {
    std::uint64_t number = 0;
    const char* end = key.data() + key.size();
    const auto [stop, error] = std::from_chars(key.data(), end, number);
    if (key.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    return number;
}

// Numeric keys by their number first, then the others by name.
bool storedBefore(const std::string& a, const std::string& b) {
    const auto x = keyNumber(a);
    const auto y = keyNumber(b);
    if (x.has_value() != y.has_value())
        return x.has_value();
    if (x && *x != *y)
        return *x < *y;
    return a < b;
}

} // namespace

std::string MemorySettings::getSetting(const std::string& section, const std::string& key,
                                       const std::string& defaultValue) const {
    const auto s = m_sections.find(section);
    if (s == m_sections.end())
        return defaultValue;
    const auto k = s->second.find(key);
    return k == s->second.end() ? defaultValue : k->second;
}

void MemorySettings::saveSetting(const std::string& section, const std::string& key,
                                 const std::string& value) {
    m_sections[section][key] = value;
}

void MemorySettings::deleteSetting(const std::string& section, const std::string& key) {
    const auto s = m_sections.find(section);
    if (s != m_sections.end())
        s->second.erase(key);
}

std::vector<std::pair<std::string, std::string>>
MemorySettings::getAllSettings(const std::string& section) const {
    std::vector<std::pair<std::string, std::string>> all;
    if (const auto s = m_sections.find(section); s != m_sections.end())
        all.assign(s->second.begin(), s->second.end());
    std::sort(all.begin(), all.end(),
              [](const auto& a, const auto& b) { return storedBefore(a.first, b.first); });
    return all;
}

bool MemorySettings::contains(const std::string& section, const std::string& key) const {
    const auto s = m_sections.find(section);
    return s != m_sections.end() && s->second.count(key) != 0;
}

} // namespace twinsift::test
