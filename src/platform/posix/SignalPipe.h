// SPDX-License-Identifier: MIT
#pragma once

namespace shiftloom::platform {

/**
 * The signals that ask a program to end (SIGTERM, SIGHUP, SIGINT) as bytes on a pipe: the signal
 * handler only writes the signal's number into it, and the program's event loop reads them from
 * `fd` when it is readable. Only one may exist; its end puts the default handlers back.
 */
class SignalPipe final
{
public:
    SignalPipe();
    ~SignalPipe();
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

    /** The end to watch for reading; -1 when no pipe could be made (the signals then end the program). */
    int fd() const;
    /** The number of the next signal that arrived, or -1 when none waits. */
    int next() const;
};

} // namespace shiftloom::platform
