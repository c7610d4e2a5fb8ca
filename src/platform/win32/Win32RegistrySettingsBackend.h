// SPDX-License-Identifier: MIT
#pragma once

#include "platform/SettingsBackend.h"

#include <string>

namespace shiftloom::platform {

/**
 * The per-user settings in the registry: HKEY_CURRENT_USER\Software\<app>\<section>, each key a
 * string value (REG_SZ), the program's Windows-1252 text stored as the wide text it stands for, so
 * HKCU\Software\Ovix_Shift-Loom\Properties for the panel. Every write is flushed before the call returns.
 */
class Win32RegistrySettingsBackend final : public SettingsBackend
{
public:
    /** `base` is the key below HKEY_CURRENT_USER that holds the applications ("Software"). */
    explicit Win32RegistrySettingsBackend(std::string base = "Software");

    std::optional<std::string> read(std::string_view app, std::string_view section, std::string_view key) override;
    void write(std::string_view app, std::string_view section, std::string_view key, std::string_view value) override;
    void writeAll(std::string_view app,
        std::string_view section,
        const std::vector<std::pair<std::string, std::string>>& values) override;

    /** The key that holds the settings of `app` and `section`, below HKEY_CURRENT_USER. */
    std::string keyName(std::string_view app, std::string_view section) const;

private:
    std::string m_base;
};

} // namespace shiftloom::platform
