// SPDX-License-Identifier: MIT
#pragma once

#ifndef _WIN32
#include "platform/posix/SignalPipe.h"
#endif

#include <QObject>

namespace shiftloom {

/**
 * Turns the signals that ask a program to end (SIGTERM, SIGHUP, SIGINT) into a Qt signal on the
 * event loop: the event loop reads them from a `platform::SignalPipe`, so everything runs on the
 * user-interface thread. Only one instance may exist. On Windows it is inert.
 */
class TerminationSignals final : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

signals:
    /** One of the signals arrived; told once per signal delivered. */
    void received(int signalNumber);

#ifndef _WIN32
private:
    platform::SignalPipe m_pipe;
#endif
};

} // namespace shiftloom
