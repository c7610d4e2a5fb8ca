// SPDX-License-Identifier: MIT
#include "Spawn.h"

#include "TempDir.h"

#include <stdexcept>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
extern char** environ;
#endif

namespace shiftloom::test {

Spawned::Spawned(const std::vector<std::string>& argv)
{
#ifdef _WIN32
    // The tests' arguments hold no quotes: each one quoted is read back as it is.
    std::string commandLine;
    for (const std::string& argument : argv)
        commandLine.append(commandLine.empty() ? "\"" : " \"").append(argument).append("\"");
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessA(
        argv.at(0).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(process.hThread); // none when it did not start
    m_process = reinterpret_cast<std::intptr_t>(process.hProcess);
#else
    std::vector<char*> args(argv.size() + 1); // ended by a null
    for (std::size_t i = 0; i < argv.size(); ++i)
        args[i] = const_cast<char*>(argv[i].c_str());
    pid_t pid = 0;
    const bool started = ::posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), environ) == 0;
    m_process = pid;
#endif
    if (!started)
        throw std::runtime_error("cannot start " + argv.at(0));
}

Spawned::~Spawned()
{
    wait();
#ifdef _WIN32
    CloseHandle(reinterpret_cast<HANDLE>(m_process));
#endif
}

int Spawned::wait()
{
    if (m_exitCode)
        return *m_exitCode;
#ifdef _WIN32
    const HANDLE process = reinterpret_cast<HANDLE>(m_process);
    WaitForSingleObject(process, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    m_exitCode = static_cast<int>(code);
#else
    int status = 0;
    ::waitpid(static_cast<pid_t>(m_process), &status, 0);
    m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
#endif
    return *m_exitCode;
}

void Spawned::signal(int signal)
{
#ifdef _WIN32
    TerminateProcess(reinterpret_cast<HANDLE>(m_process), static_cast<UINT>(128 + signal));
#else
    if (!m_exitCode)
        ::kill(static_cast<pid_t>(m_process), signal);
#endif
}

bool waitForFile(const std::string& path, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!fileExists(path) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return fileExists(path);
}

} // namespace shiftloom::test
