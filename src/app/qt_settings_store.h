#pragma once

#include "platform/settings_store.h"

#include <QSettings>

namespace twinsift {

// The settings store on QSettings: $XDG_CONFIG_HOME/Twinsift/Twinsift.conf,
// one group per section.
class QtSettingsStore : public SettingsStore {
public:
    QtSettingsStore();

    std::string getSetting(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const override;
    void saveSetting(const std::string& section, const std::string& key,
                     const std::string& value) override;
    void deleteSetting(const std::string& section, const std::string& key) override;
    std::vector<std::pair<std::string, std::string>>
    getAllSettings(const std::string& section) const override;

private:
    mutable QSettings m_settings;
};

} // namespace twinsift
