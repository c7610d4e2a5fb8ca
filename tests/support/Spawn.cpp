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

#ifdef _WIN32

Spawned::Spawned(const std::vector<std::string>& argv)
{
    // The tests' arguments hold no quotes: each one quoted is read back as it is.
    std::string commandLine;
    for (const std::string& argument : argv)
        commandLine.append(commandLine.empty() ? "\"" : " \"").append(argument).append("\"");
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(
            argv.at(0).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        throw std::runtime_error("cannot start " + argv.at(0));
    CloseHandle(process.hThread);
    m_process = reinterpret_cast<std::intptr_t>(process.hProcess);
}

Spawned::~Spawned()
{
    wait();
    CloseHandle(reinterpret_cast<HANDLE>(m_process));
}

int Spawned::wait()
{
    if (m_waited)
        return m_exitCode;
    const HANDLE process = reinterpret_cast<HANDLE>(m_process);
    WaitForSingleObject(process, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    m_waited = true;
    m_exitCode = static_cast<int>(code);
    return m_exitCode;
}

void Spawned::signal(int signal)
{
    TerminateProcess(reinterpret_cast<HANDLE>(m_process), static_cast<UINT>(128 + signal));
}

#else

Spawned::Spawned(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& argument : argv)
        args.push_back(const_cast<char*>(argument.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0)
        throw std::runtime_error("cannot start " + argv.at(0));
    m_process = pid;
}

Spawned::~Spawned()
{
    wait();
}

int Spawned::wait()
{
    if (m_waited)
        return m_exitCode;
    int status = 0;
    ::waitpid(static_cast<pid_t>(m_process), &status, 0);
    m_waited = true;
    m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return m_exitCode;
}

void Spawned::signal(int signal)
{
    if (!m_waited)
        ::kill(static_cast<pid_t>(m_process), signal);
}

#endif

bool waitForFile(const std::string& path, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!fileExists(path)) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

} // namespace shiftloom::test
