// SPDX-License-Identifier: MIT
// A small program for the test on a real X display: shows the program icon in the notification
// area through the Qt backend, reports the tray control's events on standard output, and obeys
// one-word commands on standard input ("hide", "show", "about", "quit").
#include "platform/ProgramLauncher.h"
#include "platform/Registry.h"
#include "tray/Tray.h"
#include "tray/qt/AppIcon.h"
#include "tray/qt/QtIntervalTimer.h"
#include "tray/qt/QtNotifyIconService.h"
#include "ui/about/qt/AboutBoxLauncher.h"
#include "ui/about/qt/QtOkMessageBox.h"

#include <QApplication>
#include <QSocketNotifier>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

void say(const std::string& line)
{
    std::cout << line << std::endl; // flushed: the test reads it through a pipe
}

const char* describe(shiftloom::TrayError error)
{
    switch (error) {
    case shiftloom::TrayError::None:
        return "ok";
    case shiftloom::TrayError::NoImage:
        return "no-image";
    case shiftloom::TrayError::ServiceFailed:
        return "service-failed";
    }
    return "?";
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    using namespace shiftloom;

    QtNotifyIconService service;
    QtIntervalTimer timer;
    Tray tray(service, timer);
    tray.setTrayImage(appIconPicture());
    tray.setTrayToolTip("  Ovix Tick-Fob");
    tray.setEventMode(0);
    tray.onLeftClick([] { say("LeftClick"); });
    tray.onRightClick([] { say("RightClick"); });

    QtOkMessageBox messageBox;
    AboutBoxLauncher about(SysInfoServices{
        platform::systemRegistry(), platform::systemProgramLauncher(), messageBox, defaultSystemInformationPrograms()});

    say(std::string("systray-available ") + (QSystemTrayIcon::isSystemTrayAvailable() ? "yes" : "no"));
    say(std::string("shown ") + describe(tray.Show(true)));

    // Commands arrive one line at a time; read what is there and act on each complete line.
    std::string pending;
    auto obey = [&](const std::string& line) {
        if (line == "hide") {
            say(std::string("hidden ") + describe(tray.Show(false)));
        } else if (line == "show") {
            say(std::string("shown ") + describe(tray.Show(true)));
        } else if (line == "about") {
            about.show();
            say("about shown");
        } else if (line == "quit") {
            (void)tray.Show(false);
            QApplication::quit();
        }
    };
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) { // the test went away
            input.setEnabled(false);
            obey("quit");
            return;
        }
        pending.append(buffer, static_cast<std::size_t>(got));
        for (std::size_t end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            obey(line);
        }
    });
    return app.exec();
}
