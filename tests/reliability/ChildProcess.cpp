// SPDX-License-Identifier: MIT
#include "ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace shiftloom::test {

namespace {

int exitCodeOf(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

} // namespace

ChildProcess::ChildProcess(
    const std::vector<std::string>& argv, const std::vector<std::string>& environment, const std::string& outputPath)
{
    // Everything the child needs is made before fork, so that it only calls async-signal-safe functions.
    std::vector<std::string> envStrings;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view existing(*entry);
        bool replaced = false;
        for (const std::string& item : environment) {
            const std::size_t eq = item.find('=');
            replaced =
                replaced || existing.substr(0, existing.find('=') + 1) == std::string_view(item).substr(0, eq + 1);
        }
        if (!replaced)
            envStrings.emplace_back(existing);
    }
    envStrings.insert(envStrings.end(), environment.begin(), environment.end());
    std::vector<char*> envp;
    for (std::string& item : envStrings)
        envp.push_back(item.data());
    envp.push_back(nullptr);
    std::vector<std::string> args(argv);
    std::vector<char*> argp;
    for (std::string& item : args)
        argp.push_back(item.data());
    argp.push_back(nullptr);
    const std::string output = outputPath.empty() ? "/dev/null" : outputPath;

    m_pid = ::fork();
    if (m_pid < 0)
        throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
    if (m_pid == 0) {
        const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (out < 0 || ::dup2(out, STDOUT_FILENO) < 0)
            ::_exit(126);
        ::execve(argp[0], argp.data(), envp.data());
        ::_exit(127);
    }
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : m_pid(other.m_pid)
    , m_status(other.m_status)
{
    other.m_pid = -1;
}

ChildProcess::~ChildProcess()
{
    if (m_pid > 0 && m_status < 0) {
        kill();
        wait();
    }
}

void ChildProcess::kill()
{
    if (m_pid > 0 && m_status < 0)
        ::kill(m_pid, SIGKILL);
}

void ChildProcess::terminate()
{
    if (m_pid > 0 && m_status < 0)
        ::kill(m_pid, SIGTERM);
}

int ChildProcess::wait()
{
    if (m_pid <= 0)
        return -1;
    while (m_status < 0) {
        int status = 0;
        const pid_t done = ::waitpid(m_pid, &status, 0);
        if (done == m_pid)
            m_status = status;
        else if (done < 0 && errno != EINTR)
            return -1;
    }
    return exitCodeOf(m_status);
}

bool ChildProcess::running()
{
    if (m_pid <= 0 || m_status >= 0)
        return false;
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_status = status;
        return false;
    }
    return true;
}

int ChildProcess::waitFor(std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (running()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return m_pid > 0 ? exitCodeOf(m_status) : -1;
}

} // namespace shiftloom::test
