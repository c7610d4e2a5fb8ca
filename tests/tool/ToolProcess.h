// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace shiftloom::test {

struct ToolRun
{
    int exitCode = -1; ///< -1 when the process did not end normally
    std::string out;
    std::string err;
};

/**
 * Runs the built store tool with `arguments`, its XDG_DATA_HOME set to `dataHome` and its output
 * caught in files under `scratch`; waits for it to end.
 */
ToolRun runStoreTool(
    const std::vector<std::string>& arguments, const std::string& dataHome, const std::string& scratch);

} // namespace shiftloom::test
