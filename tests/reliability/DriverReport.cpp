// SPDX-License-Identifier: MIT
#include "DriverReport.h"

namespace shiftloom::test {

namespace {
constexpr std::string_view kLetters = "olsrwtfdp"; // in the order of FileOp
} // namespace

std::string faultPointReport(const FaultFileOps& files)
{
    std::string kinds;
    for (const auto& [point, op] : files.pointKinds())
        kinds.push_back(kLetters[static_cast<std::size_t>(op)]);
    return "points " + std::to_string(files.points()) + "\nkinds " + kinds;
}

int opOfKindLetter(char letter)
{
    const std::size_t at = kLetters.find(letter);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

} // namespace shiftloom::test
