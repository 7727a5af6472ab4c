#include "app/qt_settings_store.h"

#include <algorithm>

namespace twinsift {
namespace {

QString pathOf(const std::string& section, const std::string& key) {
    return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(key);
}

} // namespace

QtSettingsStore::QtSettingsStore()
    : m_settings(QStringLiteral("Twinsift"), QStringLiteral("Twinsift")) {}

std::string QtSettingsStore::getSetting(const std::string& section, const std::string& key,
                                        const std::string& defaultValue) const {
    const QVariant value = m_settings.value(pathOf(section, key));
    return value.isValid() ? value.toString().toStdString() : defaultValue;
}

void QtSettingsStore::saveSetting(const std::string& section, const std::string& key,
                                  const std::string& value) {
    m_settings.setValue(pathOf(section, key), QString::fromStdString(value));
}

void QtSettingsStore::deleteSetting(const std::string& section, const std::string& key) {
    m_settings.remove(pathOf(section, key));
}

std::vector<std::pair<std::string, std::string>>
QtSettingsStore::getAllSettings(const std::string& section) const {
    m_settings.beginGroup(QString::fromStdString(section));
    QStringList keys = m_settings.childKeys();
    // Numeric keys by their number first, then the others by name.
    std::sort(keys.begin(), keys.end(), [](const QString& a, const QString& b) {
        bool aNumeric = false;
        bool bNumeric = false;
        const qulonglong x = a.toULongLong(&aNumeric);
        const qulonglong y = b.toULongLong(&bNumeric);
        if (aNumeric != bNumeric)
            return aNumeric;
        return aNumeric ? (x != y ? x < y : a < b) : a < b;
    });
    std::vector<std::pair<std::string, std::string>> all;
    for (const QString& key : keys)
        all.emplace_back(key.toStdString(), m_settings.value(key).toString().toStdString());
    m_settings.endGroup();
    return all;
}

} // namespace twinsift
