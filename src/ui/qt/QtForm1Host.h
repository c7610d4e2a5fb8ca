// SPDX-License-Identifier: MIT
#pragma once

#include "ui/Form1Host.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <optional>

namespace shiftloom {

class Form1;
class Form1Window;
class Form2Dialog;
class Form3Dialog;
class SettingsStore;
namespace platform {
class DriveList;
class FileOps;
} // namespace platform

/**
 * What the main window's handlers need of the window system, on Qt: message boxes, the locate
 * and activity dialogs, the panel itself, the two timers of the main window, the about box and
 * the tray icon (both built elsewhere and plugged in), and the abrupt end of the process.
 *
 * The host is made before the main window's core (which needs it) and attached to the core and
 * its window once both exist.
 */
class QtForm1Host final : public QObject, public Form1Host
{
    Q_OBJECT
public:
    QtForm1Host(SettingsStore& settings, platform::FileOps& files, platform::DriveList& drives);
    ~QtForm1Host() override;
    QtForm1Host(const QtForm1Host&) = delete;
    QtForm1Host& operator=(const QtForm1Host&) = delete;

    void attach(Form1& form, Form1Window& window);

    /** Opens the about box without blocking; a second call while it is open shows the same box. */
    void setAboutBoxOpener(std::function<void()> open);
    /**
     * Shows or removes the tray icon. A request made before the tray is plugged in is passed on
     * when it is.
     */
    void setTrayIconShower(std::function<void(bool)> show);
    /**
     * Asked when the auto-hide timer fires: the panel hides itself only where the answer is yes
     * (a desktop with no notification area would leave nothing to bring it back by).
     */
    void setAutoHideCheck(std::function<bool()> mayHide);

    /** Starts the clock tick `Timer1`: every 1000 ms, for the rest of the run. */
    void startTimer1();

    QTimer& timer1() { return m_timer1; }
    QTimer& timer2() { return m_timer2; }
    /** The activity dialog, once it has been shown; kept hidden between showings. */
    Form3Dialog* activityDialogWidget() const;
    /** The locate dialog shown without waiting, while it is open. */
    Form2Dialog* modelessLocateDialog() const;

    MessageAnswer messageBox(const MessageBoxRequest& request) override;
    void showLocateDialog(bool modal) override;
    void showActivityDialog() override;
    void showAboutBox() override;
    void showWindow() override;
    void hideWindow() override;
    ScreenPosition windowPosition() const override;
    void moveWindow(ScreenPosition position) override;
    void focusJobList() override;
    void setTimer2Enabled(bool enabled) override;
    void showTrayIcon(bool visible) override;
    [[noreturn]] void endProgramNow() override;

private:
    SettingsStore& m_settings;
    platform::FileOps& m_files;
    platform::DriveList& m_drives;
    Form1* m_form = nullptr;
    Form1Window* m_window = nullptr;
    QTimer m_timer1;
    QTimer m_timer2;
    QPointer<Form3Dialog> m_form3;
    QPointer<Form2Dialog> m_modelessForm2;
    std::function<void()> m_openAboutBox;
    std::function<void(bool)> m_showTrayIcon;
    std::function<bool()> m_mayAutoHide;
    std::optional<bool> m_trayRequest;
};

} // namespace shiftloom
