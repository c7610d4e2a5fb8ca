// SPDX-License-Identifier: MIT
#include "TerminationSignals.h"

#include <QSocketNotifier>

namespace shiftloom {

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent)
{
#ifndef _WIN32
    if (m_pipe.fd() < 0)
        return;
    auto* notifier = new QSocketNotifier(m_pipe.fd(), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        for (int signalNumber; (signalNumber = m_pipe.next()) >= 0;)
            emit received(signalNumber);
    });
#endif
}

TerminationSignals::~TerminationSignals() = default;

} // namespace shiftloom
