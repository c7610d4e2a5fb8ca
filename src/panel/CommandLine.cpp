// SPDX-License-Identifier: MIT
#include "CommandLine.h"

#include "panel/AppVersion.h"

namespace shiftloom {

CommandLineRequest readCommandLine(std::span<const std::string_view> arguments)
{
    for (const std::string_view argument : arguments) {
        if (argument == "--version")
            return CommandLineRequest::ShowVersion;
        if (argument == "--help" || argument == "-h" || argument == "/?")
            return CommandLineRequest::ShowHelp;
    }
    return CommandLineRequest::RunPanel;
}

std::optional<int> answerCommandLine(
    std::span<const std::string_view> arguments, const std::function<bool(const std::string&)>& tell)
{
    switch (readCommandLine(arguments)) {
    case CommandLineRequest::ShowVersion:
        return tell(versionText()) ? 0 : 1;
    case CommandLineRequest::ShowHelp:
        return tell(usageText()) ? 0 : 1;
    case CommandLineRequest::RunPanel:
        break;
    }
    return std::nullopt;
}

std::string versionText()
{
    return "shift-loom " + versionNumber() + "\n";
}

std::string usageText()
{
    return "Usage: shift-loom [--version | --help]\n"
           "The Ovix Shift-Loom time and job tracking panel beside Ovix Card-Warden.\n"
           "Without options it shows the panel and lives in the notification area;\n"
           "a second start shows the running panel and ends.\n"
           "\n"
           "  --version   print the version and end\n"
           "  --help, -h  print this help and end\n";
}

} // namespace shiftloom
