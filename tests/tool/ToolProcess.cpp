// SPDX-License-Identifier: MIT
#include "ToolProcess.h"

#include "support/TempDir.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>

extern char** environ;

namespace shiftloom::test {

ToolRun runStoreTool(const std::vector<std::string>& arguments, const std::string& dataHome, const std::string& scratch)
{
    const std::string outPath = scratch + "/tool-stdout";
    const std::string errPath = scratch + "/tool-stderr";

    std::vector<std::string> argumentTexts{SHIFTLOOM_STORE_TOOL};
    argumentTexts.insert(argumentTexts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : argumentTexts)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    std::vector<std::string> environmentTexts;
    for (char** entry = environ; *entry; ++entry) {
        if (std::strncmp(*entry, "XDG_DATA_HOME=", 14) != 0)
            environmentTexts.emplace_back(*entry);
    }
    environmentTexts.push_back("XDG_DATA_HOME=" + dataHome);
    std::vector<char*> envp;
    for (std::string& text : environmentTexts)
        envp.push_back(text.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error(std::string("cannot start the store tool: ") + std::strerror(spawned));

    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            throw std::runtime_error("cannot wait for the store tool");
    }
    ToolRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = readFile(outPath);
    run.err = readFile(errPath);
    return run;
}

} // namespace shiftloom::test
