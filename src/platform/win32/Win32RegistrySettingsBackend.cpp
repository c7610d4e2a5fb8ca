// SPDX-License-Identifier: MIT
#include "Win32RegistrySettingsBackend.h"

#include "platform/Cp1252.h"
#include "platform/win32/WideText.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace shiftloom::platform {
namespace {

// The registry holds wide texts; the settings are the program's Windows-1252 texts, whatever
// code page the PC runs in (a job's name read back in another one would come back altered).
std::wstring wideOf(std::string_view text)
{
    return toWide(cp1252ToUtf8(text));
}

/** An open key, closed at the end of its scope. */
class Key final
{
public:
    Key(const std::string& name, bool create)
    {
        const LONG result = create ? RegCreateKeyExW(HKEY_CURRENT_USER,
                                wideOf(name).c_str(),
                                0,
                                nullptr,
                                REG_OPTION_NON_VOLATILE,
                                KEY_QUERY_VALUE | KEY_SET_VALUE,
                                nullptr,
                                &m_key,
                                nullptr)
                                   : RegOpenKeyExW(HKEY_CURRENT_USER, wideOf(name).c_str(), 0, KEY_QUERY_VALUE, &m_key);
        if (result != ERROR_SUCCESS)
            m_key = nullptr;
    }
    ~Key()
    {
        if (m_key)
            RegCloseKey(m_key);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    HKEY get() const { return m_key; }

    void set(const std::string& name, std::string_view value)
    {
        if (!m_key)
            return;
        // REG_SZ holds the text and its NUL.
        const std::wstring text = wideOf(value);
        RegSetValueExW(m_key,
            wideOf(name).c_str(),
            0,
            REG_SZ,
            reinterpret_cast<const BYTE*>(text.c_str()),
            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }

private:
    HKEY m_key = nullptr;
};

} // namespace

Win32RegistrySettingsBackend::Win32RegistrySettingsBackend(std::string base)
    : m_base(std::move(base))
{
}

std::string Win32RegistrySettingsBackend::keyName(std::string_view app, std::string_view section) const
{
    return m_base + "\\" + std::string(app) + "\\" + std::string(section);
}

std::optional<std::string> Win32RegistrySettingsBackend::read(
    std::string_view app, std::string_view section, std::string_view key)
{
    const Key open(keyName(app, section), false);
    if (!open.get())
        return std::nullopt;
    const std::wstring name = wideOf(key);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(open.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS
        || (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(open.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size)
        != ERROR_SUCCESS)
        return std::nullopt;
    value.resize(size / sizeof(wchar_t));
    // The stored text ends with its NUL (one written by another program may not).
    while (!value.empty() && value.back() == L'\0')
        value.pop_back();
    return utf8ToCp1252(toUtf8(value));
}

void Win32RegistrySettingsBackend::write(
    std::string_view app, std::string_view section, std::string_view key, std::string_view value)
{
    Key open(keyName(app, section), true);
    open.set(std::string(key), value);
    if (open.get())
        RegFlushKey(open.get());
}

void Win32RegistrySettingsBackend::writeAll(
    std::string_view app, std::string_view section, const std::vector<std::pair<std::string, std::string>>& values)
{
    Key open(keyName(app, section), true);
    for (const auto& [key, value] : values)
        open.set(key, value);
    if (open.get())
        RegFlushKey(open.get());
}

} // namespace shiftloom::platform
