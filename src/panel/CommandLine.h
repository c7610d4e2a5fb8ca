// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace shiftloom {

/** What the program's arguments ask for. */
enum class CommandLineRequest
{
    RunPanel,
    ShowVersion,
    ShowHelp,
};

/**
 * Reads the arguments after the program's name. The first of "--version", "--help", "-h" (and
 * "/?", as Windows programs take it) decides; the program then prints its text and ends without
 * starting the panel. Any other argument is left to the window system's toolkit, as it always
 * was, and the panel runs.
 */
CommandLineRequest readCommandLine(std::span<const std::string_view> arguments);

/**
 * Answers what the arguments ask for when that is a text and no panel: tells the text through
 * `tell` and returns the program's exit code, 0, or 1 where the text could not be told. None
 * when the panel is to run.
 */
std::optional<int> answerCommandLine(
    std::span<const std::string_view> arguments, const std::function<bool(const std::string&)>& tell);

/** "shift-loom 1.0.14" and a line end. */
std::string versionText();
/** A short usage: how the program is started and what the two options do. */
std::string usageText();

} // namespace shiftloom
