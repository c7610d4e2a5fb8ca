// SPDX-License-Identifier: MIT
#pragma once

#include "panel/PanelFrontEnd.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <optional>

namespace shiftloom {

class LocateDialog;
class Panel;
class PanelWindow;
class SettingsStore;
namespace platform {
class DriveList;
class FileOps;
} // namespace platform

/**
 * What the panel asks of the desktop, on Qt: message boxes, the locate dialog, the panel window,
 * the auto-hide timer, the about box and the tray icon (both plugged in), and the abrupt end of
 * the process. It also drives the clock tick.
 *
 * Made before the panel (which needs it), it is attached to the panel and its window once both
 * exist.
 */
class QtFrontEnd final : public QObject, public PanelFrontEnd
{
    Q_OBJECT
public:
    QtFrontEnd(SettingsStore& settings, platform::FileOps& files, platform::DriveList& drives);
    ~QtFrontEnd() override;
    QtFrontEnd(const QtFrontEnd&) = delete;
    QtFrontEnd& operator=(const QtFrontEnd&) = delete;

    void attach(Panel& panel, PanelWindow& window);

    /** Opens the about box without blocking; a second call while it is open shows the same box. */
    void setAboutBoxOpener(std::function<void()> open);
    /** Shows or removes the tray icon. A request made before it is plugged in is passed on when it is. */
    void setTrayIconShower(std::function<void(bool)> show);
    /**
     * Asked when the auto-hide timer fires: the panel hides itself only where the answer is yes
     * (a desktop with no notification area would leave nothing to bring it back by).
     */
    void setAutoHideCheck(std::function<bool()> mayHide);

    /** Starts the clock tick: every second, for the rest of the run. */
    void startClock();
    /** One clock tick: the panel's tick, then the window shows it. */
    void tick();

    QTimer& autoHideTimer() { return m_autoHide; }
    /** The locate dialog shown beside the panel, while it is open. */
    LocateDialog* modelessLocateDialog() const;

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
    SettingsStore& m_settings;
    platform::FileOps& m_files;
    platform::DriveList& m_drives;
    Panel* m_panel = nullptr;
    PanelWindow* m_window = nullptr;
    QTimer m_clock;
    QTimer m_autoHide;
    QPointer<LocateDialog> m_modelessLocate;
    std::function<void()> m_openAboutBox;
    std::function<void(bool)> m_showTrayIcon;
    std::function<bool()> m_mayAutoHide;
    std::optional<bool> m_trayRequest;
};

} // namespace shiftloom
