// SPDX-License-Identifier: MIT
#include "platform/ProgramLauncher.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace shiftloom::platform {
namespace {

/** One argument of a command line, quoted so that the C runtime's parser gives it back unchanged. */
std::string quoteArgument(std::string_view argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string_view::npos)
        return std::string(argument);
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            out.append(backslashes * 2 + 1, '\\');
        else
            out.append(backslashes, '\\');
        backslashes = 0;
        out.push_back(c);
    }
    out.append(backslashes * 2, '\\');
    out.push_back('"');
    return out;
}

/**
 * Starts programs with CreateProcessA: the program's path is given on its own, so that no part of
 * it is taken for a second program or an argument, in a normal window that takes the focus.
 */
class Win32ProgramLauncher final : public ProgramLauncher
{
public:
    bool start(std::string_view program, const std::vector<std::string>& arguments) override
    {
        std::string path = findOnPath(program);
        if (path.empty())
            return false;
        std::string commandLine = quoteArgument(path);
        for (const std::string& argument : arguments) {
            commandLine += ' ';
            commandLine += quoteArgument(argument);
        }

        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNORMAL;
        PROCESS_INFORMATION process{};
        if (!CreateProcessA(
                path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
            return false;
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return true;
    }

    std::string findOnPath(std::string_view name) const override
    {
        if (name.empty())
            return {};
        const std::string file(name);
        char found[MAX_PATH];
        const DWORD length = SearchPathA(nullptr, file.c_str(), ".exe", MAX_PATH, found, nullptr);
        if (length == 0 || length >= MAX_PATH)
            return {};
        return std::string(found, length);
    }

    bool fileExists(std::string_view path) const override
    {
        const std::string p(path);
        const DWORD attributes = GetFileAttributesA(p.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }
};

} // namespace

ProgramLauncher& systemProgramLauncher()
{
    static Win32ProgramLauncher launcher;
    return launcher;
}

} // namespace shiftloom::platform
