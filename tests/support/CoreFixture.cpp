// SPDX-License-Identifier: MIT
#include "CoreFixture.h"

namespace shiftloom::test {

std::vector<std::string> recordLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t end = text.find("\r\n", begin);
        if (end == std::string::npos) {
            ADD_FAILURE() << "line without CR LF: " << text.substr(begin);
            lines.push_back(text.substr(begin));
            break;
        }
        lines.push_back(text.substr(begin, end - begin));
        begin = end + 2;
    }
    return lines;
}

} // namespace shiftloom::test
