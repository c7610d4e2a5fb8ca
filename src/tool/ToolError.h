// SPDX-License-Identifier: MIT
#pragma once

#include <stdexcept>
#include <string>

namespace shiftloom::tool {

/**
 * A fault in what the tool was given: a file it cannot read, a malformed CSV row, a folder that
 * is not there. The message names the file and the fault on one line; main() prints it after
 * "shift-loom-store: " and exits with status 2.
 */
class ToolError final : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace shiftloom::tool
