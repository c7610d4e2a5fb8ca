// SPDX-License-Identifier: MIT
#include "CommandLine.h"

#include "tool/ToolError.h"

#include <algorithm>
#include <numeric>

namespace shiftloom::tool {
namespace {

constexpr std::string_view kTool = "shift-loom-store";

constexpr CommandOption kCsv{"--csv", "", "Print CSV, for spreadsheets (UTF-8 with a byte-order mark)"};
constexpr CommandOption kJson{"--json", "", "Print JSON"};

std::vector<ToolCommand> makeCommands()
{
    return {
        {"init",
            "Make a data store: cardward.ini, dep.dat and activities.txt (the panel makes the data file). Without "
            "options, a sample store of a dozen workshop jobs and a few activities.",
            "Makes FOLDER when it is missing. An existing dep.dat or activities.txt is replaced only with --force; "
            "every input is checked before the first file is written.",
            "Folder of the store, made when missing",
            {{"--jobs",
                 "FILE.csv",
                 "Job list in CSV, UTF-8: prefix,code,name,detail,card,listed (listed: yes/no/1/0; a header row is "
                 "allowed)"},
                {"--activities",
                    "FILE",
                    "Activity list copied as it stands: 8-character code, text, 8-digit number, one closing "
                    "character a line"},
                {"--force", "", "Replace an existing dep.dat and activities.txt"}},
            {}},
        {"register",
            "Write Card-Warden's cwv5.ini where the panel looks for it, naming FOLDER as the data store: on Linux "
            "in this account's $XDG_CONFIG_HOME/Ovix_Shift-Loom, on Windows in the Windows directory.",
            "The panel reads this account's registration first, then the machine's in each folder of "
            "$XDG_CONFIG_DIRS (/etc/xdg by default). A folder that holds no cardward.ini is registered with a "
            "warning.",
            "Folder of the store",
            {{"--system",
                "",
                "For every account of the machine: into the first folder of $XDG_CONFIG_DIRS (on Windows the same "
                "place as without it)"}},
            {}},
        {"jobs",
            "Print the job list as the panel fills it from dep.dat (changes nothing).",
            "",
            "Folder of the store, the one that holds cardward.ini",
            {},
            {}},
        {"records",
            "Decode every line of the data file: start, stop, IN, or invalid with the reason (changes nothing).",
            "",
            "Folder of the store, the one that holds cardward.ini",
            {kCsv, kJson},
            {{"--csv", "--json"}}},
        {"report",
            "Minutes per card, job card and day with the totals of each card and job card, open starts apart; "
            "or the shop's timesheet, a row per card and a column per day and week (changes nothing).",
            "A start runs until the next start or stop of its card. Exit status 0 also when lines of the data file "
            "are invalid: they are counted on stderr and listed by the records command.",
            "Folder of the store, the one that holds cardward.ini",
            {{"--from", "DATE", "First day, yyyy-mm-dd or yyyymmdd"},
                {"--to", "DATE", "Last day, yyyy-mm-dd or yyyymmdd"},
                {"--summary",
                    "",
                    "The shop's timesheet alone: a row per card, a column per day and per week of the period, totals "
                    "at the ends"},
                {"--names",
                    "FILE.csv",
                    "Names of the cards' holders in CSV, UTF-8: card,name (a header row is allowed), shown beside the "
                    "cards"},
                {"--day-limit", "HH:MM", "Mark each day of a card with more time than this"},
                {"--week-limit", "HH:MM", "Mark each week of a card with more time than this"},
                {"--split-at-midnight",
                    "",
                    "Count an interval across midnight on each day for its part (without it, all of it counts for the "
                    "day of its start)"},
                kCsv,
                kJson,
                {"--html",
                    "FILE",
                    "Write a timesheet page to FILE instead: one self-contained HTML page that prints like a form "
                    "(- for the standard output)"}},
            {{"--csv", "--json"}, {"--csv", "--html"}, {"--json", "--html"}}},
    };
}

std::size_t editDistance(std::string_view a, std::string_view b)
{
    std::vector<std::size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), std::size_t{0});
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The word of `words` nearest to `typed`, when it is near enough to be what was meant.
std::optional<std::string_view> nearest(std::string_view typed, const std::vector<std::string_view>& words)
{
    std::optional<std::string_view> best;
    std::size_t bestDistance = std::max<std::size_t>(2, typed.size() / 3) + 1;
    for (const std::string_view word : words) {
        const std::size_t distance =
            word.substr(0, typed.size()) == typed && typed.size() > 2 ? 0 : editDistance(typed, word);
        if (distance < bestDistance) {
            best = word;
            bestDistance = distance;
        }
    }
    return best;
}

std::string joined(const std::vector<std::string_view>& words, std::string_view last)
{
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i)
        text += std::string(i == 0 ? "" : i + 1 == words.size() ? last : ", ") + std::string(words[i]);
    return text;
}

ToolError usageError(const ToolCommand* command, const std::string& message)
{
    const std::string where = command ? std::string(command->name) + ": " : std::string();
    const std::string help =
        std::string(kTool) + (command ? " " + std::string(command->name) : std::string()) + " --help";
    return ToolError(where + message + " (" + help + " tells more)");
}

void unknownOption(const ToolCommand& command, std::string_view name)
{
    std::vector<std::string_view> own, elsewhere;
    for (const CommandOption& option : command.options)
        own.push_back(option.name);
    for (const ToolCommand& other : storeToolCommands()) {
        for (const CommandOption& option : other.options) {
            if (option.name == name && &other != &command)
                elsewhere.push_back(other.name);
        }
    }
    std::string message = "no option " + std::string(name);
    if (!elsewhere.empty())
        message += "; it is an option of " + joined(elsewhere, " and ");
    else if (const auto near = nearest(name, own))
        message += "; did you mean " + std::string(*near) + "?";
    throw usageError(&command, message);
}

} // namespace

const std::vector<ToolCommand>& storeToolCommands()
{
    static const std::vector<ToolCommand> commands = makeCommands();
    return commands;
}

std::optional<std::string> CommandLine::value(std::string_view name) const
{
    const auto found = options.find(name);
    return found == options.end() ? std::nullopt : std::optional<std::string>(found->second);
}

CommandLine parseCommandLine(const std::vector<std::string>& arguments)
{
    CommandLine line;
    const std::vector<ToolCommand>& commands = storeToolCommands();
    for (const std::string& argument : arguments) {
        if (argument == "--")
            break;
        if (argument == "--version" && !line.command)
            line.action = CommandLine::Action::Version;
        if (argument == "--help" || argument == "-h")
            line.action = CommandLine::Action::Help;
        if (line.action != CommandLine::Action::Run)
            break;
        if (line.command || argument.starts_with("-"))
            continue;
        const auto found = std::find_if(
            commands.begin(), commands.end(), [&](const ToolCommand& command) { return command.name == argument; });
        if (found == commands.end())
            break;
        line.command = &*found;
    }
    if (line.action != CommandLine::Action::Run)
        return line;

    std::vector<std::string_view> names;
    for (const ToolCommand& command : commands)
        names.push_back(command.name);
    if (arguments.empty())
        throw usageError(nullptr, "a command is required: " + joined(names, " or "));
    const std::string& first = arguments.front();
    if (first.starts_with("-"))
        throw usageError(nullptr, first + ": the command comes first, then FOLDER and the options");
    if (!line.command) {
        const auto near = nearest(first, names);
        throw usageError(nullptr,
            "\"" + first + "\" is not a command"
                + (near ? "; did you mean " + std::string(*near) + "?"
                        : "; the commands are " + joined(names, " and ")));
    }

    const ToolCommand& command = *line.command;
    bool positionalOnly = false;
    std::vector<std::string> positionals;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (positionalOnly || !argument.starts_with("-") || argument == "-") {
            positionals.push_back(argument);
            continue;
        }
        if (argument == "--") {
            positionalOnly = true;
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        const auto option = std::find_if(command.options.begin(),
            command.options.end(),
            [&](const CommandOption& known) { return known.name == name; });
        if (option == command.options.end())
            unknownOption(command, name);
        if (line.has(name))
            throw usageError(&command, name + " is given twice");
        std::string value;
        if (option->value.empty()) {
            if (equals != std::string::npos)
                throw usageError(&command, name + " takes no value");
        } else if (equals != std::string::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size() && !arguments[i + 1].starts_with("--")) {
            value = arguments[++i];
        } else {
            throw usageError(&command, name + " needs a " + std::string(option->value));
        }
        if (!option->value.empty() && value.empty())
            throw usageError(&command, name + " needs a " + std::string(option->value) + ", not an empty text");
        line.options.emplace(name, std::move(value));
    }
    for (const auto& [a, b] : command.exclusive) {
        if (line.has(a) && line.has(b))
            throw usageError(&command, std::string(a) + " and " + std::string(b) + " exclude each other");
    }
    if (positionals.empty())
        throw usageError(&command, "FOLDER is missing");
    if (positionals.size() > 1)
        throw usageError(&command, "one FOLDER only, and \"" + positionals[1] + "\" is a second one");
    if (positionals.front().empty())
        throw usageError(&command, "FOLDER is an empty text");
    line.folder = positionals.front();
    return line;
}

std::string wrapped(std::string_view text, std::size_t indent, std::size_t width)
{
    // The first line goes on where the caller left off, at column `indent`.
    std::string out;
    std::size_t column = indent;
    bool lineEmpty = true;
    for (std::size_t at = text.find_first_not_of(' '); at != std::string_view::npos;
         at = text.find_first_not_of(' ', at)) {
        std::size_t end = std::min(text.find(' ', at), text.size());
        // A word longer than a line is cut after a slash or comma, or where the line ends.
        if (end - at > width - std::min(width - 1, indent)) {
            const std::size_t room = width - std::min(width - 1, indent);
            const std::size_t cut = text.substr(at, room).find_last_of("/,");
            end = at + (cut != std::string_view::npos && cut > 0 ? cut + 1 : room);
        }
        const std::size_t length = end - at;
        if (!lineEmpty && column + 1 + length > width) {
            out += '\n' + std::string(indent, ' ');
            column = indent;
            lineEmpty = true;
        }
        if (!lineEmpty) {
            out += ' ';
            ++column;
        }
        out.append(text.substr(at, length));
        column += length;
        lineEmpty = false;
        at = end;
        if (at < text.size() && text[at] != ' ') {
            out += '\n' + std::string(indent, ' ');
            column = indent;
            lineEmpty = true;
        }
    }
    return out;
}

namespace {

// "  LABEL  description", the descriptions of a list in one column, wrapped.
std::string listing(const std::vector<std::pair<std::string, std::string_view>>& items, std::size_t width)
{
    std::size_t labelWidth = 0;
    for (const auto& [label, text] : items)
        labelWidth = std::max(labelWidth, label.size());
    const std::size_t column = std::min<std::size_t>(2 + labelWidth + 2, std::max<std::size_t>(width / 3, 12));
    std::string out;
    for (const auto& [label, text] : items) {
        std::string line = "  " + label;
        if (line.size() + 2 > column)
            line += "\n" + std::string(column, ' ');
        else
            line += std::string(column - line.size(), ' ');
        out += line + wrapped(text, column, width) + "\n";
    }
    return out;
}

constexpr std::string_view kExitStatus =
    "Exit status: 0 success; 2 a fault in what the tool was given (a folder that is no data store, a file given as "
    "a folder, a bad command or option, a malformed file), told in one line on stderr; 1 anything else.";

} // namespace

std::string toolHelp(std::size_t width)
{
    std::vector<std::pair<std::string, std::string_view>> commands;
    for (const ToolCommand& command : storeToolCommands())
        commands.emplace_back(std::string(command.name), command.summary);
    return "Usage: " + std::string(kTool) + " COMMAND FOLDER [OPTIONS]\n\n"
        + wrapped("Makes, registers and reads Card-Warden data stores for Ovix Shift-Loom.", 0, width)
        + "\n\nCommands:\n" + listing(commands, width) + "\nOptions:\n"
        + listing(
            {{"-h, --help", "Print this help; after a command, the command's"}, {"--version", "Print the version"}},
            width)
        + "\n" + wrapped(kExitStatus, 0, width) + "\n";
}

std::string commandHelp(const ToolCommand& command, std::size_t width)
{
    std::vector<std::pair<std::string, std::string_view>> options;
    for (const CommandOption& option : command.options)
        options.emplace_back(
            std::string(option.name) + (option.value.empty() ? "" : " " + std::string(option.value)), option.help);
    options.emplace_back("-h, --help", "Print this help");
    std::string text = "Usage: " + std::string(kTool) + " " + std::string(command.name) + " FOLDER"
        + (command.options.empty() ? "" : " [OPTIONS]") + "\n\n" + wrapped(command.summary, 0, width) + "\n";
    if (!command.details.empty())
        text += "\n" + wrapped(command.details, 0, width) + "\n";
    return text + "\nArguments:\n" + listing({{"FOLDER", command.folderHelp}}, width) + "\nOptions:\n"
        + listing(options, width) + "\n" + wrapped(kExitStatus, 0, width) + "\n";
}

} // namespace shiftloom::tool
