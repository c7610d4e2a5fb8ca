// SPDX-License-Identifier: MIT
#include "platform/ProgramLauncher.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace shiftloom::platform {
namespace {

bool isExecutableFile(const std::string& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

/**
 * Starts programs with posix_spawnp, which looks a bare name up on PATH itself and reports a
 * program that cannot be executed as a failure of the call (glibc waits for the exec). The child
 * gets a session of its own, so that it outlives the panel and its terminal, and a thread of ours
 * waits for it so that it leaves no zombie behind when it ends.
 */
class PosixProgramLauncher final : public ProgramLauncher
{
public:
    bool start(std::string_view program, const std::vector<std::string>& arguments) override
    {
        const std::string file(program);
        std::vector<std::string> args;
        args.reserve(arguments.size() + 1);
        args.push_back(file);
        args.insert(args.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        argv.reserve(args.size() + 1);
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);

        posix_spawnattr_t attributes;
        if (posix_spawnattr_init(&attributes) != 0)
            return false;
        sigset_t noSignals;
        sigemptyset(&noSignals);
        posix_spawnattr_setsigmask(&attributes, &noSignals);
        short flags = POSIX_SPAWN_SETSIGMASK;
#ifdef POSIX_SPAWN_SETSID
        flags = static_cast<short>(flags | POSIX_SPAWN_SETSID);
#endif
        posix_spawnattr_setflags(&attributes, flags);

        pid_t pid = 0;
        const int error = posix_spawnp(&pid, file.c_str(), nullptr, &attributes, argv.data(), environ);
        posix_spawnattr_destroy(&attributes);
        if (error != 0)
            return false;
        std::thread([pid] {
            int status = 0;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
        }).detach();
        return true;
    }

    std::string findOnPath(std::string_view name) const override
    {
        if (name.empty())
            return {};
        if (name.find('/') != std::string_view::npos) {
            std::string path(name);
            return isExecutableFile(path) ? path : std::string();
        }
        const char* env = std::getenv("PATH");
        const std::string_view searchPath = (env && *env) ? env : "/usr/local/bin:/usr/bin:/bin";
        std::size_t begin = 0;
        while (begin <= searchPath.size()) {
            std::size_t end = searchPath.find(':', begin);
            if (end == std::string_view::npos)
                end = searchPath.size();
            std::string folder(searchPath.substr(begin, end - begin));
            if (folder.empty())
                folder = "."; // an empty entry names the current folder
            std::string candidate = folder + "/" + std::string(name);
            if (isExecutableFile(candidate))
                return candidate;
            begin = end + 1;
        }
        return {};
    }

    bool fileExists(std::string_view path) const override
    {
        struct stat info
        {
        };
        const std::string p(path);
        return ::stat(p.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    }
};

} // namespace

ProgramLauncher& systemProgramLauncher()
{
    static PosixProgramLauncher launcher;
    return launcher;
}

} // namespace shiftloom::platform
