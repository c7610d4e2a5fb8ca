// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class QSocketNotifier;

namespace shiftloom {

/**
 * Turns the signals that ask a program to end (SIGTERM, SIGHUP, SIGINT) into a Qt signal on the
 * event loop. The signal handler only writes the signal's number into a pipe; everything else
 * runs on the user-interface thread when the event loop reads it. Only one instance may exist.
 * On Windows it is inert.
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

private:
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace shiftloom
