// SPDX-License-Identifier: MIT
#include "RunEnd.h"

#include "qt/PanelWindow.h"
#include "qt/TerminationSignals.h"

#include <QGuiApplication>

namespace shiftloom {

void endRunWhenAsked(QGuiApplication& app, PanelWindow& window, TerminationSignals& signalsToEnd)
{
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, [&window] { window.endRun(); });
    QObject::connect(&signalsToEnd, &TerminationSignals::received, &window, [&window](int) { window.endRun(); });
}

} // namespace shiftloom
