// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace shiftloom::platform {

/** An open registry key; 0 is no key. */
using RegistryKey = std::uintptr_t;

/** The predefined root key of the machine-wide settings (HKEY_LOCAL_MACHINE). */
inline constexpr std::uint32_t kHKeyLocalMachine = 0x80000002u;
/** The access asked for when opening a key (KEY_ALL_ACCESS). */
inline constexpr std::uint32_t kKeyAllAccess = 0x2003Fu;
/** A read-only access (KEY_READ). */
inline constexpr std::uint32_t kKeyRead = 0x20019u;

/** Value types (REG_SZ, REG_DWORD, and two others that tests use). */
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

/** Results, as the Windows registry calls give them. */
inline constexpr long kRegSuccess = 0;
inline constexpr long kRegFileNotFound = 2;
inline constexpr long kRegAccessDenied = 5;
inline constexpr long kRegInvalidHandle = 6;
inline constexpr long kRegMoreData = 234;

/**
 * The registry calls the program makes, one to one with the Windows ones: open a key below a
 * root key, read a value of it, close it. Key paths and value names are 8-bit text; key paths use
 * "\" between their parts. On Windows this is the system registry; elsewhere a registry held in
 * memory stands in (empty for the program; tests fill it).
 */
class Registry
{
public:
    virtual ~Registry() = default;

    /** Opens `keyName` below `root` with `access`; kRegSuccess and `key` set, or an error. */
    virtual long openKey(std::uint32_t root, std::string_view keyName, std::uint32_t access, RegistryKey& key) = 0;
    /**
     * Reads the value `valueName` of an open key into `buffer`. On entry `size` is the buffer's
     * size in bytes; on return it is the size of the value's data (strings with their NUL as
     * stored). A value larger than the buffer gives kRegMoreData with `size` the size needed.
     */
    virtual long queryValue(RegistryKey key,
        std::string_view valueName,
        std::uint32_t& type,
        std::span<char> buffer,
        std::uint32_t& size) = 0;
    virtual long closeKey(RegistryKey key) = 0;
};

/**
 * A registry in memory. Key paths and value names compare without regard to ASCII case, as in
 * the Windows registry. Keys can be made to refuse being opened, and the open keys are counted
 * so that tests can see that every key was closed.
 */
class MemoryRegistry final : public Registry
{
public:
    /** Stores a value with its raw data (a string's data should end with its NUL, as Windows stores it). */
    void setValue(
        std::uint32_t root, std::string_view keyName, std::string_view valueName, std::uint32_t type, std::string data);
    /** Stores a REG_SZ value with its terminating NUL. */
    void setString(std::uint32_t root, std::string_view keyName, std::string_view valueName, std::string_view text);
    /** Stores a REG_DWORD value, its four bytes little-endian. */
    void setDword(std::uint32_t root, std::string_view keyName, std::string_view valueName, std::uint32_t number);
    /** Makes opening the key fail with kRegAccessDenied. */
    void denyAccess(std::uint32_t root, std::string_view keyName);

    long openKey(std::uint32_t root, std::string_view keyName, std::uint32_t access, RegistryKey& key) override;
    long queryValue(RegistryKey key,
        std::string_view valueName,
        std::uint32_t& type,
        std::span<char> buffer,
        std::uint32_t& size) override;
    long closeKey(RegistryKey key) override;

    /** Keys opened and not closed yet. */
    int openKeyCount() const { return static_cast<int>(m_open.size()); }

private:
    struct Value
    {
        std::uint32_t type = 0;
        std::string data;
    };
    struct Key
    {
        bool denied = false;
        std::map<std::string, Value, std::less<>> values; ///< by lower-case name
    };
    Key& keyAt(std::uint32_t root, std::string_view keyName);

    std::map<std::string, Key, std::less<>> m_keys; ///< by root number and lower-case path
    std::map<RegistryKey, std::string, std::less<>> m_open; ///< open handles and the key each names
    RegistryKey m_nextHandle = 0x100;
};

/** The registry of this system: the Windows registry, or an empty registry in memory elsewhere. */
Registry& systemRegistry();

} // namespace shiftloom::platform
