// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace shiftloom::platform {

/**
 * Reads the text or number `valueName` of the key `keyName` under `root` into `value` (a number
 * in decimal); false, with `value` empty, when the key or the value cannot be read. A value of
 * another type leaves `value` as it was and counts as read. The key is opened for reading only:
 * a worker's account may not open the machine's keys with full access. Wide throughout: the
 * value is a path that may hold any character.
 */
bool readRegistryText(HKEY root, const wchar_t* keyName, const wchar_t* valueName, std::wstring& value);

/**
 * Starts the system's information program: the one the registry names under
 * "SOFTWARE\Microsoft\Shared Tools\MSINFO" (value "PATH"), else "MSINFO32.EXE" in the folder named
 * under "SOFTWARE\Microsoft\Shared Tools Location" (value "MSINFO") when it is there. False when
 * neither applies or the start fails.
 */
bool startSystemInformation();

} // namespace shiftloom::platform
