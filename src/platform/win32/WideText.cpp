// SPDX-License-Identifier: MIT
#include "WideText.h"

#include "platform/Cp1252.h"

#include <climits>
#include <windows.h>

namespace shiftloom::platform {
namespace {

// CreateDirectoryW takes at most MAX_PATH - 12 characters without the \\?\ prefix.
constexpr std::size_t kClassicPathLimit = MAX_PATH - 12;

} // namespace

std::wstring toWide(std::string_view utf8)
{
    if (utf8.empty() || utf8.size() > INT_MAX)
        return {};
    const int length = static_cast<int>(utf8.size());
    std::wstring out(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, out.data(), static_cast<int>(out.size()));
    return out;
}

std::string toUtf8(std::wstring_view wide)
{
    if (wide.empty() || wide.size() > INT_MAX)
        return {};
    const int length = static_cast<int>(wide.size());
    std::string out(
        static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr)),
        '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, out.data(), static_cast<int>(out.size()), nullptr, nullptr);
    return out;
}

std::wstring widePath(std::string_view utf8, bool absolute)
{
    std::wstring path = toWide(utf8);
    if ((path.size() < kClassicPathLimit && !absolute) || path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\"))
        return path;
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    const DWORD length = size == 0 ? 0 : GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size)
        return path;
    full.resize(length);
    if (full.size() < kClassicPathLimit)
        return full;
    // GetFullPathNameW has turned every "/" into "\", folded runs of separators, "." and "..".
    if (full.starts_with(L"\\\\"))
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

bool toPathText(std::wstring_view wide, std::string& text)
{
    const std::string utf8 = toUtf8(wide);
    text = utf8ToCp1252(utf8);
    return cp1252ToUtf8(text) == utf8;
}

unsigned long makeFolderTree(std::string_view utf8)
{
    while (utf8.size() > 1 && (utf8.back() == '\\' || utf8.back() == '/'))
        utf8.remove_suffix(1);
    const std::wstring path = widePath(utf8);
    if (CreateDirectoryW(path.c_str(), nullptr))
        return ERROR_SUCCESS;
    DWORD error = GetLastError();
    if (error == ERROR_PATH_NOT_FOUND) {
        // The parent is missing: make it, then this folder once more.
        const std::size_t cut = utf8.find_last_of("\\/");
        if (cut == std::string_view::npos || cut == 0)
            return error;
        if (const unsigned long parent = makeFolderTree(utf8.substr(0, cut)); parent != ERROR_SUCCESS)
            return parent;
        if (CreateDirectoryW(path.c_str(), nullptr))
            return ERROR_SUCCESS;
        error = GetLastError();
    }
    // The root of a drive answers "access denied" rather than "exists".
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED) {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES)
            return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
    }
    return error;
}

} // namespace shiftloom::platform
