// SPDX-License-Identifier: MIT
#include "SettingsStore.h"

namespace shiftloom {

namespace keys {
namespace {
std::string slotKey(std::string_view word, int slot)
{
    std::string key(word);
    key.push_back(static_cast<char>('0' + slot));
    return key;
}
} // namespace

std::string button(int slot)
{
    return slotKey("button", slot);
}
std::string card(int slot)
{
    return slotKey("card", slot);
}
std::string desc(int slot)
{
    return slotKey("desc", slot);
}
} // namespace keys

SettingsStore::SettingsStore(platform::SettingsBackend& backend, std::string_view appName)
    : m_backend(backend)
    , m_appName(appName)
{
}

std::string SettingsStore::read(std::string_view key, std::string_view defaultValue) const
{
    if (auto value = m_backend.read(m_appName, SettingsSection, key))
        return std::move(*value);
    return std::string(defaultValue);
}

void SettingsStore::write(std::string_view key, std::string_view value)
{
    m_backend.write(m_appName, SettingsSection, key, value);
}

void SettingsStore::writeAll(const std::vector<std::pair<std::string, std::string>>& values)
{
    m_backend.writeAll(m_appName, SettingsSection, values);
}

} // namespace shiftloom
