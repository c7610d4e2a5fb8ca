// SPDX-License-Identifier: MIT
#include "EdgeText.h"

namespace shiftloom::win32 {
namespace {

constexpr UINT kProgramCodePage = 1252;

} // namespace

std::wstring wide(std::string_view text)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    std::wstring out(
        static_cast<std::size_t>(MultiByteToWideChar(kProgramCodePage, 0, text.data(), size, nullptr, 0)), L'\0');
    MultiByteToWideChar(kProgramCodePage, 0, text.data(), size, out.data(), static_cast<int>(out.size()));
    return out;
}

std::string narrow(std::wstring_view text)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    constexpr DWORD flags = WC_NO_BEST_FIT_CHARS;
    std::string out(static_cast<std::size_t>(
                        WideCharToMultiByte(kProgramCodePage, flags, text.data(), size, nullptr, 0, "?", nullptr)),
        '\0');
    WideCharToMultiByte(
        kProgramCodePage, flags, text.data(), size, out.data(), static_cast<int>(out.size()), "?", nullptr);
    return out;
}

std::string windowText(HWND window)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    const int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return narrow(text);
}

} // namespace shiftloom::win32
