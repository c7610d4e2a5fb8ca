// SPDX-License-Identifier: MIT
// The panel: the platform adapters, the main window's core with its Qt window and host, the
// clock tick, the start-up, and the orderly end when the window system or a signal asks for it.
#include "app/SettingsStore.h"
#include "app/StartUp.h"
#include "platform/Clock.h"
#include "platform/Drives.h"
#include "platform/Process.h"
#include "platform/ProgramLauncher.h"
#include "platform/Registry.h"
#include "platform/WindowsPath.h"
#include "platform/posix/PosixFileOps.h"
#include "platform/qt/QtSettingsBackend.h"
#include "tray/Tray.h"
#include "tray/qt/AppIcon.h"
#include "tray/qt/QtIntervalTimer.h"
#include "tray/qt/QtNotifyIconService.h"
#include "ui/Form1.h"
#include "ui/about/qt/AboutBoxLauncher.h"
#include "ui/about/qt/QtOkMessageBox.h"
#include "ui/qt/DesktopSession.h"
#include "ui/qt/DisplayLossGuard.h"
#include "ui/qt/Form1Window.h"
#include "ui/qt/QtForm1Host.h"
#include "ui/qt/SingleInstance.h"
#include "ui/qt/TerminationSignals.h"

#include <QApplication>
#include <QSessionManager>
#include <QThread>
#include <QTimer>

int main(int argc, char** argv)
{
    using namespace shiftloom;

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

    platform::PosixPathMapper paths(platform::xdgDataHome());
    platform::PosixFileOps files(paths);
    platform::SystemClock clock;
    platform::QtSettingsBackend settingsBackend;
    SettingsStore settings(settingsBackend);
    platform::PosixDriveList drives(paths);

    // Each image of the icon is decoded once, for the windows and the tray alike.
    const QIcon icon = appIcon();
    QApplication::setWindowIcon(icon);
    QtForm1Host host(settings, files, drives);
    Form1 form(settings, files, clock, host);
    Form1Window window(form);
    host.attach(form, window);

    // Tray1: the program's icon in the notification area. A left click brings the panel back
    // and reads the job list again.
    QtNotifyIconService notificationArea;
    QtIntervalTimer trayLatchTimer;
    Tray tray(notificationArea, trayLatchTimer);
    tray.setTrayImage(appIconPicture(icon));
    tray.setTrayToolTip("  Ovix Tick-Fob");
    tray.setEventMode(0);
    tray.onLeftClick([&form] { form.Tray1_LeftClick(); });
    // At login the panel may start before the desktop's notification area: an icon that could
    // not be added is tried again every few seconds, or the hidden panel could not come back.
    QTimer trayRetry;
    trayRetry.setInterval(3000);
    QObject::connect(&trayRetry, &QTimer::timeout, &trayRetry, [&tray, &trayRetry] {
        if (tray.Show(true) == TrayError::None)
            trayRetry.stop();
    });
    host.setTrayIconShower([&tray, &trayRetry](bool visible) {
        trayRetry.stop();
        if (tray.Show(visible) == TrayError::ServiceFailed && visible)
            trayRetry.start();
    });
    // The panel hides itself after a job press only into a tray that is there to bring it back;
    // without one (a desktop with no notification area) it stays shown.
    host.setAutoHideCheck(desktop::notificationAreaAvailable);

    // A second start hands over as a left click on the tray icon does; while the start-up waits
    // in its locate dialog, that dialog comes to the front instead.
    QObject::connect(&instance, &SingleInstance::showRequested, &window, [&form] {
        form.Tray1_LeftClick();
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            dialog->raise();
            dialog->activateWindow();
        }
    });

    // The about box, opened by a click on the title; one at a time.
    QtOkMessageBox sysInfoMessage;
    AboutBoxLauncher about(SysInfoServices{platform::systemRegistry(),
        platform::systemProgramLauncher(),
        sysInfoMessage,
        defaultSystemInformationPrograms()});
    host.setAboutBoxOpener([&about, &window] { about.show(&window); });

    // The window system closing the panel, the session ending and the signals that ask a
    // program to end all run the unload step once; then the program ends. Inside a dialog's own
    // event loop (a start-up locate dialog, a message box, the activity dialog) the handler that
    // opened it must not go on after the unload, so the process ends at once there.
    bool mainLoopRunning = false;
    QObject::connect(&window, &Form1Window::runEnded, &app, [&mainLoopRunning] {
        if (!mainLoopRunning || QThread::currentThread()->loopLevel() > 1)
            platform::endProcessNow(0);
        QCoreApplication::exit(0);
    });
    QObject::connect(
        &app, &QGuiApplication::commitDataRequest, &window, [&window](QSessionManager&) { window.endRun(); });
    TerminationSignals signalsToEnd;
    QObject::connect(&signalsToEnd, &TerminationSignals::received, &window, [&window](int) { window.endRun(); });
    // The display going away first (its server or compositor ended) ends the run the same way.
    const DisplayLossGuard displayLoss([&window] { window.endRun(); });

    // The clock ticks from the moment the window is loaded, also while the start-up waits in
    // its locate dialog.
    host.startTimer1();
    if (form.Form_Load() == LoadOutcome::NoStart)
        return 0;
    window.show();
    mainLoopRunning = true;
    return QApplication::exec();
}
