// SPDX-License-Identifier: MIT
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace shiftloom::tool {

/** Card number without leading zeros -> the worker's name, UTF-8. */
using CardNames = std::map<std::string, std::string>;

/**
 * Reads the names of the cards' holders from CSV (see `readCsv`), two columns a row: card, name.
 *
 * - A first row "card,name" (in any letter case, blanks around the words allowed) is a header.
 * - card: digits, at most the 16 of a record's card field, blanks around them allowed; leading
 *   zeros do not count, so 0042 and 42 name the same card.
 * - name: UTF-8 text without control characters, blanks around it dropped; it may be empty.
 * - A card named twice, a wrong number of columns, a card that is not a number, malformed UTF-8
 *   and a control character are problems: ToolError naming `path`, the line and the fault.
 */
CardNames readCardNames(std::string_view text, const std::string& path);

} // namespace shiftloom::tool
