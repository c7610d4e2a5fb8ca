// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace shiftloom::platform {

/**
 * Card-Warden's files and the program's own texts are 8-bit, one byte per character in the
 * Windows-1252 code page. The core keeps those bytes as they are; these two functions convert
 * only where text meets a UTF-8 world (the Qt layer, the store tool's output).
 *
 * The five bytes that Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the
 * C1 control characters of the same number, so that every byte string survives a round trip.
 */
std::string cp1252ToUtf8(std::string_view bytes);

/**
 * Converts UTF-8 text back to Windows-1252 bytes. A character that has no byte in the code page
 * becomes "?"; malformed UTF-8 sequences become "?" too.
 */
std::string utf8ToCp1252(std::string_view utf8);

} // namespace shiftloom::platform
