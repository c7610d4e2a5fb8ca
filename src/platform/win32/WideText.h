// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace shiftloom::platform {

/**
 * The edge between the program's texts and the wide (UTF-16) calls of Windows. Host paths are
 * UTF-8 (see `Win32PathMapper`); the program's own path texts are Windows-1252.
 */

/** UTF-16 of UTF-8 text; malformed sequences become U+FFFD, as MultiByteToWideChar makes them. */
std::wstring toWide(std::string_view utf8);
/** UTF-8 of UTF-16 text. */
std::string toUtf8(std::wstring_view wide);

/**
 * The wide path for a call of Windows. A path too long for the classic limit (MAX_PATH less the
 * 12 characters that CreateDirectoryW keeps for a file name) is made absolute and normalised by
 * GetFullPathNameW, and gets the \\?\ prefix (\\?\UNC\ for \\server\share), which lifts the limit
 * to 32,767 characters but takes the path as it stands: hence the normalising first. Shorter
 * paths go to Windows as they are, which normalises them itself, unless `absolute` asks for the
 * full path (a new name given to SetFileInformationByHandle).
 */
std::wstring widePath(std::string_view utf8, bool absolute = false);

/**
 * The program's Windows-1252 text for a text of Windows, only when every character has a byte
 * in that code page: false otherwise, so that no path text ever names another folder than the
 * one Windows gave (a "?" in place of a character would).
 */
bool toPathText(std::wstring_view wide, std::string& text);

/**
 * Makes `utf8` (a host path) a folder, with the folders missing on its way; the new folders take
 * the permissions their parent passes on. Gives ERROR_SUCCESS when the folder is there (made or
 * found), ERROR_ACCESS_DENIED when a file stands in its place, or the error of CreateDirectoryW.
 */
unsigned long makeFolderTree(std::string_view utf8);

} // namespace shiftloom::platform
