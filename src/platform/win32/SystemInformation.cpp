// SPDX-License-Identifier: MIT
#include "SystemInformation.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace shiftloom::platform {
namespace {

/** Characters, a terminator included. */
constexpr DWORD kValueBufferSize = 1024;

constexpr wchar_t kSysInfoKey[] = L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr wchar_t kSysInfoValue[] = L"PATH";
constexpr wchar_t kSysInfoLocationKey[] = L"SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr wchar_t kSysInfoLocationValue[] = L"MSINFO";
constexpr wchar_t kSysInfoProgram[] = L"\\MSINFO32.EXE";

/** A file that a directory listing finds at exactly this path. */
bool fileExists(const std::wstring& path)
{
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

/** Starts the program at `path` in a normal window that takes the focus. */
bool startProgram(const std::wstring& path)
{
    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(
            path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

} // namespace

bool readRegistryText(HKEY root, const wchar_t* keyName, const wchar_t* valueName, std::wstring& value)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, keyName, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        value.clear();
        return false;
    }
    std::array<wchar_t, kValueBufferSize> buffer{};
    DWORD type = 0;
    DWORD size = kValueBufferSize * sizeof(wchar_t); // bytes
    const LONG result = RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (result != ERROR_SUCCESS || size > kValueBufferSize * sizeof(wchar_t)) {
        value.clear();
        RegCloseKey(key);
        return false;
    }
    if (type == REG_SZ) {
        // A text stored with its terminator counts it in its size.
        std::size_t n = size / sizeof(wchar_t);
        if (n > 0 && buffer[n - 1] == L'\0')
            --n;
        value.assign(buffer.data(), n);
    } else if (type == REG_DWORD && size >= sizeof(std::uint32_t)) {
        std::uint32_t number = 0;
        std::memcpy(&number, buffer.data(), sizeof number);
        value = std::to_wstring(number);
    }
    RegCloseKey(key);
    return true;
}

bool startSystemInformation()
{
    std::wstring path;
    if (readRegistryText(HKEY_LOCAL_MACHINE, kSysInfoKey, kSysInfoValue, path))
        return startProgram(path);
    if (readRegistryText(HKEY_LOCAL_MACHINE, kSysInfoLocationKey, kSysInfoLocationValue, path)) {
        const std::wstring program = path + kSysInfoProgram;
        return fileExists(program) && startProgram(program);
    }
    return false;
}

} // namespace shiftloom::platform
