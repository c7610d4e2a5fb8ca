// SPDX-License-Identifier: MIT
// shift-loom-store: makes, registers and reads Card-Warden data stores for the panel's tests,
// demos and supervisors. Exit status: 0 success, 2 a fault in what it was given (one line on
// stderr naming the file and the fault), 1 anything else.

#include "tool/CommandLine.h"
#include "tool/Commands.h"
#include "tool/ToolError.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace {

using namespace shiftloom::tool;

constexpr const char* kToolName = "shift-loom-store";

// The width help is wrapped to: $COLUMNS when set, else the terminal's, else 80; at least 40.
std::size_t helpWidth()
{
    std::size_t width = 0;
    if (const char* columns = std::getenv("COLUMNS"))
        width = std::strtoul(columns, nullptr, 10);
#ifdef _WIN32
    CONSOLE_SCREEN_BUFFER_INFO console;
    if (width == 0 && GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &console))
        width = std::size_t(console.srWindow.Right - console.srWindow.Left + 1);
#else
    winsize terminal{};
    if (width == 0 && isatty(STDOUT_FILENO) && ioctl(STDOUT_FILENO, TIOCGWINSZ, &terminal) == 0)
        width = terminal.ws_col;
#endif
    return width == 0 ? 80 : std::max<std::size_t>(width, 40);
}

OutputFormat formatOf(const CommandLine& line)
{
    return line.has("--csv") ? OutputFormat::Csv : line.has("--json") ? OutputFormat::Json : OutputFormat::Text;
}

int run(const CommandLine& line)
{
    const std::string_view command = line.command->name;
    if (command == "init")
        return runInit(
            {line.folder, line.value("--jobs"), line.value("--activities"), line.has("--force")}, std::cout, std::cerr);
    if (command == "register")
        return runRegister({line.folder, line.has("--system")}, std::cout, std::cerr);
    if (command == "jobs")
        return runJobs({line.folder}, std::cout, std::cerr);
    if (command == "records")
        return runRecords({line.folder, formatOf(line)}, std::cout, std::cerr);
    ReportOptionsText report;
    report.folder = line.folder;
    report.from = line.value("--from");
    report.to = line.value("--to");
    report.format = formatOf(line);
    report.html = line.value("--html");
    report.summary = line.has("--summary");
    report.names = line.value("--names");
    report.dayLimit = line.value("--day-limit");
    report.weekLimit = line.value("--week-limit");
    report.splitAtMidnight = line.has("--split-at-midnight");
    return runReport(report, std::cout, std::cerr);
}

} // namespace

int main(int argc, char** argv)
{
    try {
        const CommandLine line = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
        switch (line.action) {
        case CommandLine::Action::Help:
            std::cout << (line.command ? commandHelp(*line.command, helpWidth()) : toolHelp(helpWidth()));
            return 0;
        case CommandLine::Action::Version:
            std::cout << kToolName << ' ' << SHIFTLOOM_VERSION << '\n';
            return 0;
        case CommandLine::Action::Run:
            break;
        }
        return run(line);
    } catch (const ToolError& error) {
        std::cerr << kToolName << ": " << error.what() << '\n';
        return 2;
    } catch (const std::exception& error) {
        std::cerr << kToolName << ": " << error.what() << '\n';
        return 1;
    }
}
