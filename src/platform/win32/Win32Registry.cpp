// SPDX-License-Identifier: MIT
#include "platform/Registry.h"

#include <algorithm>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace shiftloom::platform {
namespace {

HKEY toHkey(std::uintptr_t value)
{
    return reinterpret_cast<HKEY>(value);
}

/** A predefined root key: its 32-bit number sign-extended, as the system headers define them. */
HKEY rootKey(std::uint32_t root)
{
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(root))));
}

/** The system registry through the ANSI calls, so that names and values stay 8-bit text. */
class Win32Registry final : public Registry
{
public:
    long openKey(std::uint32_t root, std::string_view keyName, std::uint32_t access, RegistryKey& key) override
    {
        key = 0;
        const std::string name(keyName);
        HKEY opened = nullptr;
        const LONG result = RegOpenKeyExA(rootKey(root), name.c_str(), 0, static_cast<REGSAM>(access), &opened);
        if (result == ERROR_SUCCESS)
            key = reinterpret_cast<std::uintptr_t>(opened);
        return result;
    }

    long queryValue(RegistryKey key,
        std::string_view valueName,
        std::uint32_t& type,
        std::span<char> buffer,
        std::uint32_t& size) override
    {
        const std::string name(valueName);
        DWORD valueType = 0;
        DWORD dataSize = static_cast<DWORD>(std::min<std::size_t>(size, buffer.size()));
        const LONG result = RegQueryValueExA(
            toHkey(key), name.c_str(), nullptr, &valueType, reinterpret_cast<LPBYTE>(buffer.data()), &dataSize);
        type = valueType;
        size = dataSize;
        return result;
    }

    long closeKey(RegistryKey key) override { return RegCloseKey(toHkey(key)); }
};

} // namespace

Registry& systemRegistry()
{
    static Win32Registry registry;
    return registry;
}

} // namespace shiftloom::platform
