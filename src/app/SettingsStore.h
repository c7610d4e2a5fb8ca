// SPDX-License-Identifier: MIT
#pragma once

#include "platform/SettingsBackend.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace shiftloom {

/** The application title, which is also the name every setting is stored under. */
inline constexpr std::string_view SettingsAppName = "Ovix_Shift-Loom";
/** The one section of the program's settings. */
inline constexpr std::string_view SettingsSection = "Properties";

/** The keys of the program's settings. */
namespace keys {
inline constexpr std::string_view DataLoc = "DataLoc";
inline constexpr std::string_view AutoCode = "autocode";
inline constexpr std::string_view ActivityCode = "activity_code";
inline constexpr std::string_view ActivityNum = "activity_num";
/** "button0" to "button9": the word, then the slot index as one digit. */
std::string button(int slot);
std::string card(int slot);
std::string desc(int slot);
} // namespace keys

/**
 * The per-user settings of the program: text values under the application name, the section
 * "Properties" and a key. Reads pass empty text as the default, so a key never written and a key
 * written empty read the same. Nothing is ever deleted.
 */
class SettingsStore final
{
public:
    explicit SettingsStore(platform::SettingsBackend& backend, std::string_view appName = SettingsAppName);

    std::string read(std::string_view key, std::string_view defaultValue = {}) const;
    void write(std::string_view key, std::string_view value);
    /** Writes several keys together (see `SettingsBackend::writeAll`). */
    void writeAll(const std::vector<std::pair<std::string, std::string>>& values);

    std::string_view appName() const { return m_appName; }

private:
    platform::SettingsBackend& m_backend;
    std::string m_appName;
};

} // namespace shiftloom
