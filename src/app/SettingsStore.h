// SPDX-License-Identifier: MIT
#pragma once

#include "platform/SettingsBackend.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace shiftloom {

/** The application title, which is also the name every setting is stored under. */
inline constexpr std::string_view SettingsAppName = "Ovix_Shift-Loom";
/** The one section of the program's settings. */
inline constexpr std::string_view SettingsSection = "Properties";

/**
 * One of the worker's settings: the key it is stored under, the text a read gives when nothing
 * is stored, and where it is kept (its section under the application name). Every read and write
 * of a setting goes through one of these, so a key is spelled in this table and nowhere else.
 */
struct Setting
{
    std::string_view key;
    std::string_view defaultValue;
    std::string_view section = SettingsSection;
};

/** The number of job slots, each with a setting of its job, its card and its description. */
inline constexpr std::size_t kSlotSettingCount = 10;

/** A setting kept once per job slot: its key is a word followed by the slot index as one digit. */
struct SlotSetting
{
    std::array<std::string_view, kSlotSettingCount> keys;
    std::string_view defaultValue;

    /** The setting of slot `slot` (0 to 9). */
    constexpr Setting operator()(int slot) const
    {
        return Setting{keys.at(static_cast<std::size_t>(slot)), defaultValue};
    }
};

/** The program's settings, complete. Every default is empty text. */
namespace keys {
/** The folder of Card-Warden's data store. */
inline constexpr Setting DataLoc{"DataLoc", ""};
/** The worker's card number, stored when its box loses the focus. */
inline constexpr Setting AutoCode{"autocode", ""};
/** The current activity's code and number, stored when they change. */
inline constexpr Setting ActivityCode{"activity_code", ""};
inline constexpr Setting ActivityNum{"activity_num", ""};
/** A slot's job key as its button shows it; empty reads as a free slot. */
inline constexpr SlotSetting button{
    {"button0", "button1", "button2", "button3", "button4", "button5", "button6", "button7", "button8", "button9"}, ""};
/** A slot's card code, written into its start records. */
inline constexpr SlotSetting card{
    {"card0", "card1", "card2", "card3", "card4", "card5", "card6", "card7", "card8", "card9"}, ""};
/** A slot's job description, its button's tooltip. */
inline constexpr SlotSetting desc{
    {"desc0", "desc1", "desc2", "desc3", "desc4", "desc5", "desc6", "desc7", "desc8", "desc9"}, ""};
} // namespace keys

/**
 * The per-user settings of the program: text values under the application name, a section and a
 * key, as the table of `keys` gives them. A key never written reads as its default (empty text,
 * so a key never written and one written empty read the same). Nothing is ever deleted.
 */
class SettingsStore final
{
public:
    explicit SettingsStore(platform::SettingsBackend& backend, std::string_view appName = SettingsAppName);

    std::string read(const Setting& setting) const;
    void write(const Setting& setting, std::string_view value);
    /** Writes several settings of one section together (see `SettingsBackend::writeAll`). */
    void writeAll(const std::vector<std::pair<Setting, std::string>>& values);

    std::string_view appName() const { return m_appName; }

private:
    platform::SettingsBackend& m_backend;
    std::string m_appName;
};

} // namespace shiftloom
