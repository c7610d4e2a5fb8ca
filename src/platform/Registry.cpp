// SPDX-License-Identifier: MIT
#include "Registry.h"

#include <algorithm>
#include <cstring>

namespace shiftloom::platform {
namespace {

std::string lower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return out;
}

/** The map key of a key path: the root's number, a colon, the path in lower case without outer "\". */
std::string keyId(std::uint32_t root, std::string_view keyName)
{
    while (!keyName.empty() && keyName.front() == '\\')
        keyName.remove_prefix(1);
    while (!keyName.empty() && keyName.back() == '\\')
        keyName.remove_suffix(1);
    return std::to_string(root) + ":" + lower(keyName);
}

} // namespace

MemoryRegistry::Key& MemoryRegistry::keyAt(std::uint32_t root, std::string_view keyName)
{
    return m_keys[keyId(root, keyName)];
}

void MemoryRegistry::setValue(
    std::uint32_t root, std::string_view keyName, std::string_view valueName, std::uint32_t type, std::string data)
{
    keyAt(root, keyName).values.insert_or_assign(lower(valueName), Value{type, std::move(data)});
}

void MemoryRegistry::setString(
    std::uint32_t root, std::string_view keyName, std::string_view valueName, std::string_view text)
{
    std::string data(text);
    data.push_back('\0');
    setValue(root, keyName, valueName, kRegSz, std::move(data));
}

void MemoryRegistry::setDword(
    std::uint32_t root, std::string_view keyName, std::string_view valueName, std::uint32_t number)
{
    std::string data(4, '\0');
    for (std::size_t i = 0; i < 4; ++i)
        data[i] = static_cast<char>((number >> (8 * i)) & 0xFFu);
    setValue(root, keyName, valueName, kRegDword, std::move(data));
}

void MemoryRegistry::denyAccess(std::uint32_t root, std::string_view keyName)
{
    keyAt(root, keyName).denied = true;
}

long MemoryRegistry::openKey(std::uint32_t root, std::string_view keyName, std::uint32_t /*access*/, RegistryKey& key)
{
    key = 0;
    const std::string id = keyId(root, keyName);
    const auto it = m_keys.find(id);
    if (it == m_keys.end())
        return kRegFileNotFound;
    if (it->second.denied)
        return kRegAccessDenied;
    key = m_nextHandle++;
    m_open.emplace(key, id);
    return kRegSuccess;
}

long MemoryRegistry::queryValue(
    RegistryKey key, std::string_view valueName, std::uint32_t& type, std::span<char> buffer, std::uint32_t& size)
{
    const auto open = m_open.find(key);
    if (open == m_open.end())
        return kRegInvalidHandle;
    const Key& k = m_keys.at(open->second);
    const auto it = k.values.find(lower(valueName));
    if (it == k.values.end())
        return kRegFileNotFound;
    const Value& value = it->second;
    type = value.type;
    const auto needed = static_cast<std::uint32_t>(value.data.size());
    const std::uint32_t room = std::min(size, static_cast<std::uint32_t>(buffer.size()));
    size = needed;
    if (needed > room)
        return kRegMoreData;
    std::memcpy(buffer.data(), value.data.data(), value.data.size());
    return kRegSuccess;
}

long MemoryRegistry::closeKey(RegistryKey key)
{
    return m_open.erase(key) == 1 ? kRegSuccess : kRegInvalidHandle;
}

#if !defined(_WIN32)
Registry& systemRegistry()
{
    // No registry on this system: nothing is ever found in it.
    static MemoryRegistry registry;
    return registry;
}
#endif

} // namespace shiftloom::platform
