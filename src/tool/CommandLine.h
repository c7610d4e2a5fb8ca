// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace shiftloom::tool {

/** An option of a command: a flag, or one that takes a value. */
struct CommandOption
{
    std::string_view name; ///< "--from"
    std::string_view value; ///< what follows it, as help names it ("DATE"); empty for a flag
    std::string_view help;
};

/** A command of the store tool: its name, its help, its options and which of them exclude each other. */
struct ToolCommand
{
    std::string_view name;
    std::string_view summary; ///< what the command does, for the tool's help
    std::string_view details; ///< what its own help adds
    std::string_view folderHelp;
    std::vector<CommandOption> options;
    std::vector<std::pair<std::string_view, std::string_view>> exclusive;
};

/** The commands, in the order the help lists them. */
const std::vector<ToolCommand>& storeToolCommands();

/** What a command line asks for. */
struct CommandLine
{
    enum class Action
    {
        Run,
        Help, ///< the help of `command`, or of the tool when there is none
        Version,
    };
    Action action = Action::Run;
    const ToolCommand* command = nullptr;
    std::string folder;
    std::map<std::string, std::string, std::less<>> options; ///< name -> value ("" for a flag)

    bool has(std::string_view name) const { return options.find(name) != options.end(); }
    std::optional<std::string> value(std::string_view name) const;
};

/**
 * Reads the arguments after the program's name:
 *
 *     line     := ("-h" | "--help" | "--version") | command FOLDER option*    FOLDER and options in any order
 *     option   := flag | name value | name "=" value                          "--" ends the options
 *
 * "--help" or "-h" anywhere asks for help (the command's after a known command), "--version" for
 * the version. Throws ToolError with one line for any fault: an unknown command or option (naming
 * the nearest one), a missing or extra FOLDER, a missing value, an option given twice, options that
 * exclude each other.
 */
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

/** The tool's help and a command's, wrapped to `width` columns. */
std::string toolHelp(std::size_t width);
std::string commandHelp(const ToolCommand& command, std::size_t width);

/** Words of `text` in lines of at most `width` columns, each but the first indented by `indent`. */
std::string wrapped(std::string_view text, std::size_t indent, std::size_t width);

} // namespace shiftloom::tool
