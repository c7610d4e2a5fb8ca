// SPDX-License-Identifier: MIT
#include "SettingsBackend.h"

namespace shiftloom::platform {

std::optional<std::string> MemorySettingsBackend::read(
    std::string_view app, std::string_view section, std::string_view key)
{
    const auto found = m_values.find(std::make_tuple(std::string(app), std::string(section), std::string(key)));
    if (found == m_values.end())
        return std::nullopt;
    return found->second;
}

void MemorySettingsBackend::write(
    std::string_view app, std::string_view section, std::string_view key, std::string_view value)
{
    m_values[std::make_tuple(std::string(app), std::string(section), std::string(key))] = std::string(value);
}

} // namespace shiftloom::platform
