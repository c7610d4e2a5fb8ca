// SPDX-License-Identifier: MIT
// The panel: the platform adapters, the panel's model with its Qt window and front end, the
// tray icon, the clock tick, the start-up, and the end of the run when the session or a signal
// asks for it.
#include "app/SettingsStore.h"
#include "panel/CommandLine.h"
#include "panel/Panel.h"
#include "panel/PanelView.h"
#include "platform/Clock.h"
#include "platform/Drives.h"
#include "platform/HostFiles.h"
#include "platform/Process.h"
#include "platform/qt/QtSettingsBackend.h"
#include "qt/AboutBoxLauncher.h"
#include "qt/AppIcon.h"
#include "qt/DesignLook.h"
#include "qt/DesktopSession.h"
#include "qt/DisplayLossGuard.h"
#include "qt/PanelWindow.h"
#include "qt/QtFrontEnd.h"
#include "qt/RunEnd.h"
#include "qt/SingleInstance.h"
#include "qt/TerminationSignals.h"
#include "qt/TrayIcon.h"

#include <QApplication>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <string_view>
#include <vector>

namespace {

/** Prints `text` on the standard output; false when it could not be written whole. */
bool print(const std::string& text)
{
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace shiftloom;

    // "--version" and "--help" answer before anything of the desktop is touched: they work
    // without a display, and never start or reach a panel.
    const std::vector<std::string_view> arguments(argv + std::min(argc, 1), argv + argc);
    if (const std::optional<int> answered = answerCommandLine(arguments, print))
        return *answered;

    // The delivery's thread reads the job list that the window's thread then keeps: with one heap
    // for both, what one frees the other takes again, instead of each holding pages of its own.
    mallopt(M_ARENA_MAX, 1);

    // The panel is small and repaints once a second; X's shared-memory image transfer costs it an
    // extra round trip (and wake-up) per repaint, plain transfer does not.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
    desktop::preferXWayland();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ovix_Shift-Loom"));

    // One panel per worker and display: a second start shows the running panel and ends here,
    // before it has read or written anything.
    SingleInstance instance(SingleInstance::currentDisplayName());
    switch (instance.claim()) {
    case SingleInstance::Claim::HandedOver:
        return 0;
    case SingleInstance::Claim::NoAnswer:
        qWarning("shift-loom: a panel runs already on this display but does not answer");
        return 1;
    case SingleInstance::Claim::Unguarded:
        qWarning("shift-loom: no private runtime folder; a second start would start a second panel");
        break;
    case SingleInstance::Claim::First:
        break;
    }
    QGuiApplication::setDesktopFileName(QStringLiteral("com.ovix.ShiftLoom"));
    // The panel hides itself and lives in the tray; the run ends only as told below.
    QApplication::setQuitOnLastWindowClosed(false);
    // Every text of the program in the panel's faces, the messages too: a control made before its
    // own font is set (the job list's text field) would otherwise load the desktop's default face
    // as well, one more font file in memory for nothing shown.
    QApplication::setFont(designFont(panelDesign().font));

    platform::HostFiles host;
    platform::FileOps& files = host.files();
    platform::SystemClock clock;
    platform::QtSettingsBackend settingsBackend;
    SettingsStore settings(settingsBackend);
    platform::PosixDriveList drives;

    // Each image of the icon is decoded once, for the windows and the tray alike.
    const QIcon icon = appIcon();
    QApplication::setWindowIcon(icon);
    QtFrontEnd frontEnd(settings, files, drives);
    Panel panel(settings, files, clock, frontEnd, TimeRecordWriter::Mode::Background);
    // The store's first delivery runs on its thread while the window is built.
    panel.prepare();
    PanelWindow window(panel);
    frontEnd.attach(panel, window);

    TrayIcon tray(icon, toQString(trayToolTip()), [&window] { window.showFromTray(); });
    frontEnd.setTrayIconShower([&tray](bool visible) { tray.show(visible); });
    // The panel hides itself after a job press only into a tray that is there to bring it back;
    // without one (a desktop with no notification area) it stays shown.
    frontEnd.setAutoHideCheck(desktop::notificationAreaAvailable);

    // A second start hands over as a left click on the tray icon does; while the start-up waits
    // in its locate dialog, that dialog comes to the front instead.
    QObject::connect(&instance, &SingleInstance::showRequested, &window, [&window] {
        window.showFromTray();
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            dialog->raise();
            dialog->activateWindow();
        }
    });

    // The about box, opened by a click on the title; one at a time.
    AboutBoxLauncher about;
    frontEnd.setAboutBoxOpener([&about, &window] { about.show(&window); });

    // The end of the session and the signals that ask a program to end record the end of the
    // run once; then the program ends. Inside a dialog's own event loop (a start-up locate
    // dialog, a message box, the activity dialog) the operation that opened it must not go on
    // after that, so the process ends at once there.
    bool mainLoopRunning = false;
    QObject::connect(&window, &PanelWindow::runEnded, &app, [&mainLoopRunning] {
        if (!mainLoopRunning || QThread::currentThread()->loopLevel() > 1)
            platform::endProcessNow(0);
        QCoreApplication::exit(0);
    });
    TerminationSignals signalsToEnd;
    endRunWhenAsked(app, window, signalsToEnd);
    // The display going away first (its server or compositor ended) ends the run the same way.
    const DisplayLossGuard displayLoss([&window] { window.endRun(); });

    // The clock ticks from the start, also while the start-up waits in its locate dialog.
    frontEnd.startClock();
    if (panel.load() == LoadOutcome::NoStart)
        return 0;
    window.show();
    mainLoopRunning = true;
    return QApplication::exec();
}
