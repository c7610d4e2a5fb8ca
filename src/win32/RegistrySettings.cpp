// SPDX-License-Identifier: MIT
#include "RegistrySettings.h"

#include <algorithm>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace shiftloom::win32 {
namespace {

std::string keyPath(std::string_view app, std::string_view section)
{
    return "Software\\" + std::string(app) + "\\" + std::string(section);
}

/** The settings' key, opened for writing (and made when missing); null when that fails. */
HKEY openForWriting(std::string_view app, std::string_view section)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER,
            keyPath(app, section).c_str(),
            0,
            nullptr,
            REG_OPTION_NON_VOLATILE,
            KEY_SET_VALUE,
            nullptr,
            &key,
            nullptr)
        != ERROR_SUCCESS)
        return nullptr;
    return key;
}

void setText(HKEY key, std::string_view name, std::string_view value)
{
    const std::string text(value);
    RegSetValueExA(key,
        std::string(name).c_str(),
        0,
        REG_SZ,
        reinterpret_cast<const BYTE*>(text.c_str()),
        static_cast<DWORD>(text.size() + 1));
}

} // namespace

std::optional<std::string> RegistrySettings::read(std::string_view app, std::string_view section, std::string_view key)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath(app, section).c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return std::nullopt;
    const std::string name(key);
    DWORD type = 0;
    DWORD size = 0;
    std::optional<std::string> value;
    if (RegQueryValueExA(opened, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ) {
        std::string text(size, '\0');
        if (RegQueryValueExA(opened, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size)
            == ERROR_SUCCESS) {
            // The stored terminator (and anything after a NUL) is not part of the text.
            text.resize(std::min<std::size_t>(size, text.size()));
            const std::size_t end = text.find('\0');
            if (end != std::string::npos)
                text.resize(end);
            value = std::move(text);
        }
    }
    RegCloseKey(opened);
    return value;
}

void RegistrySettings::write(
    std::string_view app, std::string_view section, std::string_view key, std::string_view value)
{
    writeAll(app, section, {{std::string(key), std::string(value)}});
}

void RegistrySettings::writeAll(
    std::string_view app, std::string_view section, const std::vector<std::pair<std::string, std::string>>& values)
{
    HKEY key = openForWriting(app, section);
    if (!key)
        return;
    for (const auto& [name, value] : values)
        setText(key, name, value);
    // On disk when the call returns: a program ended at once a moment later keeps them.
    RegFlushKey(key);
    RegCloseKey(key);
}

} // namespace shiftloom::win32
