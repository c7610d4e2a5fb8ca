// SPDX-License-Identifier: MIT
#include "SettingsStore.h"

#include <algorithm>

namespace shiftloom {

SettingsStore::SettingsStore(platform::SettingsBackend& backend, std::string_view appName)
    : m_backend(backend)
    , m_appName(appName)
{
}

std::string SettingsStore::read(const Setting& setting) const
{
    if (auto value = m_backend.read(m_appName, setting.section, setting.key))
        return std::move(*value);
    return std::string(setting.defaultValue);
}

void SettingsStore::write(const Setting& setting, std::string_view value)
{
    m_backend.write(m_appName, setting.section, setting.key, value);
}

void SettingsStore::writeAll(const std::vector<std::pair<Setting, std::string>>& values)
{
    // One write for each section the settings are kept in, in the order the sections first appear.
    std::vector<std::string_view> sections;
    for (const auto& [setting, value] : values) {
        if (std::find(sections.begin(), sections.end(), setting.section) == sections.end())
            sections.push_back(setting.section);
    }
    for (const std::string_view section : sections) {
        std::vector<std::pair<std::string, std::string>> keyed;
        for (const auto& [setting, value] : values) {
            if (setting.section == section)
                keyed.emplace_back(setting.key, value);
        }
        m_backend.writeAll(m_appName, section, keyed);
    }
}

} // namespace shiftloom
