// SPDX-License-Identifier: MIT
#pragma once

#include "platform/SettingsBackend.h"

#include <string>

namespace shiftloom::win32 {

/**
 * The per-user settings in the registry: the value `key` of the key
 * HKEY_CURRENT_USER\Software\<app>\<section> (for this program
 * HKEY_CURRENT_USER\Software\Ovix_Shift-Loom\Properties), as text (REG_SZ) in the single-byte
 * code page. A value that cannot be read counts as never written.
 */
class RegistrySettings final : public platform::SettingsBackend
{
public:
    std::optional<std::string> read(std::string_view app, std::string_view section, std::string_view key) override;
    void write(std::string_view app, std::string_view section, std::string_view key, std::string_view value) override;
    void writeAll(std::string_view app,
        std::string_view section,
        const std::vector<std::pair<std::string, std::string>>& values) override;
};

} // namespace shiftloom::win32
