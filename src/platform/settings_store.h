#pragma once

#include <string>
#include <utility>
#include <vector>

namespace twinsift {

// The per-user settings store of application "Twinsift": section, key -> text.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // The stored text, or `defaultValue` when the key does not exist.
    virtual std::string getSetting(const std::string& section, const std::string& key,
                                   const std::string& defaultValue) const = 0;
    virtual void saveSetting(const std::string& section, const std::string& key,
                             const std::string& value) = 0;
    virtual void deleteSetting(const std::string& section, const std::string& key) = 0;
    // Every key and value of a section, in stored order: numeric keys "0", "1", ...
    // by their number first, then the others by name.
    virtual std::vector<std::pair<std::string, std::string>>
    getAllSettings(const std::string& section) const = 0;
};

} // namespace twinsift
