// SPDX-License-Identifier: MIT
#include "SignalPipe.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace shiftloom::platform {
namespace {

constexpr std::array<int, 3> kSignals = {SIGTERM, SIGHUP, SIGINT};
// The pipe from the signal handler to the event loop: [0] read, [1] write.
std::array<int, 2> g_pipe = {-1, -1};

extern "C" void onTerminationSignal(int signalNumber)
{
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    // Nothing to do when the pipe is full: enough requests to end are queued already.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

void setHandler(int signalNumber, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signalNumber, &action, nullptr);
}

} // namespace

SignalPipe::SignalPipe()
{
    if (::pipe2(g_pipe.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
        g_pipe = {-1, -1};
        return;
    }
    for (int signalNumber : kSignals)
        setHandler(signalNumber, onTerminationSignal);
}

SignalPipe::~SignalPipe()
{
    if (g_pipe[0] < 0)
        return;
    for (int signalNumber : kSignals)
        setHandler(signalNumber, SIG_DFL);
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe = {-1, -1};
}

int SignalPipe::fd() const
{
    return g_pipe[0];
}

int SignalPipe::next() const
{
    unsigned char byte = 0;
    return g_pipe[0] >= 0 && ::read(g_pipe[0], &byte, 1) == 1 ? byte : -1;
}

} // namespace shiftloom::platform
