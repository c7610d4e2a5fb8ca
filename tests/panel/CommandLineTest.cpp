// SPDX-License-Identifier: MIT
#include "panel/CommandLine.h"

#include <gtest/gtest.h>

#include <vector>

namespace shiftloom {
namespace {

// The first of the options decides; a text that cannot be told ends the program with 1; any
// other argument runs the panel and tells nothing.
TEST(CommandLine, AnOptionIsAnsweredWithItsTextAndAnyOtherArgumentRunsThePanel)
{
    struct Case
    {
        std::vector<std::string_view> arguments;
        bool told;
        std::optional<int> exitCode;
        std::string text;
    };
    const Case cases[] = {
        {{"-display", ":1", "--version", "--help"}, true, 0, versionText()},
        {{"/?"}, true, 0, usageText()},
        {{"--help"}, false, 1, usageText()},
        {{"-display", ":1"}, true, std::nullopt, ""},
    };
    for (const Case& c : cases) {
        std::string told;
        const auto tell = [&](const std::string& text) {
            told += text;
            return c.told;
        };
        EXPECT_EQ(answerCommandLine(c.arguments, tell), c.exitCode) << c.arguments.size();
        EXPECT_EQ(told, c.text) << c.arguments.size();
    }
}

} // namespace
} // namespace shiftloom
