// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace shiftloom::win32 {

/**
 * The edge between the program's texts and the windows: the program's own texts and Card-Warden's
 * are Windows-1252 bytes whatever code page the PC runs in (a Japanese one, or UTF-8 where a
 * policy sets it), and the windows get and give them as wide (UTF-16) texts of the ...W
 * functions, converted here and nowhere else.
 */

/** The wide text of a Windows-1252 text; every byte has its character. */
std::wstring wide(std::string_view text);

/**
 * The Windows-1252 text of a wide text of Windows; a character that the code page lacks becomes
 * "?" (never a look-alike, which would name another folder or another card).
 */
std::string narrow(std::wstring_view text);

/** The text of a window (a caption, what an edit box holds) as a Windows-1252 text. */
std::string windowText(HWND window);

} // namespace shiftloom::win32
