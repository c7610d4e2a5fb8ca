// SPDX-License-Identifier: MIT
#pragma once

#include "app/SettingsStore.h"
#include "panel/DataFolderDialog.h"
#include "panel/Panel.h"
#include "panel/PanelFrontEnd.h"
#include "panel/SecondCounter.h"
#include "platform/Drives.h"
#include "platform/FileOps.h"
#include "win32/AboutDialog.h"
#include "win32/LocateDialog.h"
#include "win32/PanelWindow.h"
#include "win32/TrayIcon.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace shiftloom::win32 {

/**
 * The Windows front end of the panel: the panel window, its dialogs and the tray icon, over the
 * panel's model. It forwards each timer and each event of the window system to the model's
 * operation for it, has the panel window paint the model's state after every such call (the
 * window itself runs the worker's acts), and answers the model's requests (message boxes,
 * dialogs, showing and moving the panel, the auto-hide timer, the tray icon, the end).
 *
 * The run ends at once on the model's request, or, when the window system closes the panel or
 * the session ends, after the model's end-of-run step has run once.
 */
class WindowsFrontEnd final : public PanelFrontEnd, private PanelEvents
{
public:
    WindowsFrontEnd(SettingsStore& settings, platform::FileOps& files, platform::DriveList& drives);
    ~WindowsFrontEnd() override;
    WindowsFrontEnd(const WindowsFrontEnd&) = delete;
    WindowsFrontEnd& operator=(const WindowsFrontEnd&) = delete;

    /** The model this front end shows; to be called once, before `start`. */
    void attach(Panel& panel);
    /**
     * Starts the clock tick and runs the start-up; shows the panel unless the run does not
     * start. Returns the start-up's outcome.
     */
    LoadOutcome start();
    /** Runs the message loop until the program ends; returns the exit code. */
    int run();

    PanelWindow& window() { return m_window; }

    // PanelFrontEnd
    MessageAnswer showMessage(const Message& message) override;
    std::optional<Activity> chooseActivity(const ActivityList& list, const Activity& current) override;
    void showLocateDialog(DialogMode mode) override;
    void showAboutBox() override;
    void showPanel() override;
    void hidePanel() override;
    ScreenPosition panelPosition() const override;
    void movePanel(ScreenPosition position) override;
    void focusJobList() override;
    void setAutoHideTimer(bool on) override;
    void showTrayIcon(bool visible) override;
    [[noreturn]] void endProcessNow() override;
    void storeNews() override;

private:
    // PanelEvents
    void timer(int number) override;
    void closing() override;
    void notificationAreaStarted() override;
    void storeNewsArrived() override;
    void showRequested() override;
    void clockChanged() override;
    void displayChanged() override;

    /**
     * The clock tick: the seconds that passed since the last one counted, by the monotonic clock,
     * one as the panel's tick and the rest caught up; the timer set to the next whole second.
     */
    void countSeconds();
    /**
     * Says where the worker's records wait when the end of the session could not take them all
     * to the store: in the shutdown's reason while the panel waits, and in the Application event
     * log after (the profile they wait in may be deleted before the panel starts again).
     */
    void reportRecordsLeft();

    /** A left click on the tray icon, or a second start: the panel shows and reads its job list again. */
    void showFromTray();
    /** The window the model's message boxes and dialogs belong to: the panel while it shows. */
    HWND ownerWindow() const;
    void dropClosedDialogs();

    SettingsStore& m_settings;
    platform::FileOps& m_files;
    platform::DriveList& m_drives;
    Panel* m_panel = nullptr;
    PanelWindow m_window;

    TrayIcon m_tray;
    SecondCounter m_seconds;

    std::unique_ptr<DataFolderDialog> m_locateModel;
    std::unique_ptr<LocateDialog> m_locate;
    LocateDialog* m_modalLocate = nullptr; ///< while the start-up or the keypad's code asks for the data folder
    std::unique_ptr<AboutDialog> m_about;
    bool m_runEnded = false;
};

} // namespace shiftloom::win32
