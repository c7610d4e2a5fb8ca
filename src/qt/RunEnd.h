// SPDX-License-Identifier: MIT
#pragma once

class QGuiApplication;

namespace shiftloom {

class PanelWindow;
class TerminationSignals;

/**
 * Ends the run of `window` when the application really quits or a termination signal arrives.
 * A session manager's request to save data at a log-off is not the end: the user may still
 * cancel the log-off, and a panel that ended its run there would have written its stop record
 * for nothing.
 */
void endRunWhenAsked(QGuiApplication& app, PanelWindow& window, TerminationSignals& signalsToEnd);

} // namespace shiftloom
