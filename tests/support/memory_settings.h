#pragma once

#include "platform/settings_store.h"

#include <map>
#include <string>

namespace twinsift::test {

// A settings store that lives in memory, for tests of code that reads and
// writes settings. Keys are kept as given (case-sensitive).
class MemorySettings : public SettingsStore {
public:
    std::string getSetting(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const override;
    void saveSetting(const std::string& section, const std::string& key,
                     const std::string& value) override;
    void deleteSetting(const std::string& section, const std::string& key) override;
    std::vector<std::pair<std::string, std::string>>
    getAllSettings(const std::string& section) const override;

    bool contains(const std::string& section, const std::string& key) const;

private:
    std::map<std::string, std::map<std::string, std::string>> m_sections;
};

} // namespace twinsift::test
