// SPDX-License-Identifier: MIT
#include "WindowsFrontEnd.h"

#include "platform/Process.h"
#include "platform/WindowsPath.h"
#include "platform/win32/WideText.h"
#include "win32/ActivityDialog.h"
#include "win32/EdgeText.h"

#include <string>

namespace shiftloom::win32 {
namespace {

constexpr int kClockTimer = 1;
constexpr int kAutoHideTimer = 2;
/** The name the panel's entries in the Application event log go under. */
constexpr wchar_t kEventSource[] = L"Ovix Shift-Loom";
constexpr DWORD kRecordsLeftEvent = 1;

/** The monotonic clock of the clock tick: it counts on while the computer sleeps. */
SecondCounter::Milliseconds monotonicNow()
{
    return SecondCounter::Milliseconds(GetTickCount64());
}

} // namespace

WindowsFrontEnd::WindowsFrontEnd(SettingsStore& settings, platform::FileOps& files, platform::DriveList& drives)
    : m_settings(settings)
    , m_files(files)
    , m_drives(drives)
    , m_window(*this)
    , m_tray(trayToolTip(), [this] { showFromTray(); })
    , m_seconds(monotonicNow())
{
}

WindowsFrontEnd::~WindowsFrontEnd() = default;

void WindowsFrontEnd::attach(Panel& panel)
{
    m_panel = &panel;
    m_window.attach(panel);
}

LoadOutcome WindowsFrontEnd::start()
{
    // The clock ticks from the moment the window exists, also while the start-up waits in its
    // locate dialog.
    m_window.startTimer(kClockTimer, m_seconds.untilNext(monotonicNow()));
    const LoadOutcome outcome = m_panel->load();
    if (outcome == LoadOutcome::NoStart)
        return outcome;
    m_window.render();
    m_window.show();
    return outcome;
}

int WindowsFrontEnd::run()
{
    MSG message;
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        // Tab, Enter and Esc walk and press the controls of whichever of the windows is active.
        HWND active = GetActiveWindow();
        const bool handled = active && IsDialogMessageW(active, &message);
        if (!handled) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        dropClosedDialogs();
    }
    return got < 0 ? 1 : static_cast<int>(message.wParam);
}

void WindowsFrontEnd::dropClosedDialogs()
{
    if (m_locate && m_locate->closed()) {
        m_locate.reset();
        m_locateModel.reset();
    }
    if (m_about && m_about->closed())
        m_about.reset();
}

HWND WindowsFrontEnd::ownerWindow() const
{
    return m_window.visible() ? m_window.hwnd() : nullptr;
}

// ---- What the model asks of the desktop ----

MessageAnswer WindowsFrontEnd::showMessage(const Message& message)
{
    UINT type = MB_SETFOREGROUND;
    switch (message.icon) {
    case MessageIcon::Critical:
        type |= MB_ICONSTOP;
        break;
    case MessageIcon::Information:
        type |= MB_ICONINFORMATION;
        break;
    case MessageIcon::None:
        break;
    }
    if (message.buttons == MessageButtons::YesNo)
        type |= MB_YESNO | (message.defaultButton == MessageAnswer::No ? MB_DEFBUTTON2 : MB_DEFBUTTON1);
    else
        type |= MB_OK;
    HWND owner = ownerWindow();
    if (!owner)
        type |= MB_TASKMODAL;
    const int answer = MessageBoxW(owner, wide(message.text).c_str(), wide(message.title).c_str(), type);
    if (message.buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    return answer == IDYES ? MessageAnswer::Yes : MessageAnswer::No;
}

std::optional<Activity> WindowsFrontEnd::chooseActivity(const ActivityList& list, const Activity& current)
{
    m_window.render();
    ActivityDialog dialog(m_window.hwnd(), list.items(), current);
    return dialog.run();
}

void WindowsFrontEnd::showLocateDialog(DialogMode mode)
{
    if (mode == DialogMode::Modal) {
        DataFolderDialog model(m_settings, m_files, m_drives);
        LocateDialog dialog(model);
        m_modalLocate = &dialog;
        dialog.runModal(ownerWindow());
        m_modalLocate = nullptr;
        return;
    }
    // One locate dialog beside the panel is enough: a second request brings it forward.
    dropClosedDialogs();
    if (m_locate) {
        m_locate->bringForward();
        return;
    }
    m_locateModel = std::make_unique<DataFolderDialog>(m_settings, m_files, m_drives);
    m_locate = std::make_unique<LocateDialog>(*m_locateModel);
    m_locate->showModeless();
}

void WindowsFrontEnd::showAboutBox()
{
    dropClosedDialogs();
    if (!m_about)
        m_about = std::make_unique<AboutDialog>(m_window.hwnd(), SettingsAppName);
    m_about->show();
}

void WindowsFrontEnd::showPanel()
{
    // Until the start-up has finished (its locate dialog may be open) the panel stays hidden.
    if (!m_panel || !m_panel->loaded())
        return;
    m_window.render();
    m_window.show();
}

void WindowsFrontEnd::hidePanel()
{
    m_window.hide();
}

ScreenPosition WindowsFrontEnd::panelPosition() const
{
    return m_window.positionTwips();
}

void WindowsFrontEnd::movePanel(ScreenPosition position)
{
    m_window.moveToTwips(position.left, position.top);
}

void WindowsFrontEnd::focusJobList()
{
    m_window.focus({PanelControl::JobList});
}

void WindowsFrontEnd::setAutoHideTimer(bool on)
{
    if (on)
        m_window.startTimer(kAutoHideTimer, Panel::kAutoHideDelay);
    else
        m_window.stopTimer(kAutoHideTimer);
}

void WindowsFrontEnd::showTrayIcon(bool visible)
{
    m_tray.show(visible);
}

void WindowsFrontEnd::endProcessNow()
{
    // The shell keeps an icon whose program has gone until the pointer passes over it: it is
    // taken out first, whichever way the run ends.
    m_tray.show(false);
    platform::endProcessNow(0);
}

// ---- What the window system does ----

void WindowsFrontEnd::timer(int number)
{
    if (number == kClockTimer) {
        countSeconds();
    } else if (number == kAutoHideTimer) {
        m_window.stopTimer(kAutoHideTimer); // a window timer repeats; this one fires once
        m_panel->autoHide();
        m_window.render();
    }
}

void WindowsFrontEnd::countSeconds()
{
    if (!m_panel)
        return;
    // Counted before the tick, which may wait in the locate dialog while further ticks come.
    const std::int64_t due = m_seconds.due(monotonicNow());
    if (due > 0) {
        m_panel->catchUp(ElapsedTime(due - 1));
        m_panel->tick();
    }
    m_window.startTimer(kClockTimer, m_seconds.untilNext(monotonicNow()));
    m_window.render();
}

void WindowsFrontEnd::closing()
{
    // The end of the session, or the window system closing the panel (an upgrade closes it so
    // too): the end-of-run step runs once, then the program ends, its icon taken out of the
    // notification area.
    if (m_runEnded)
        return;
    m_runEnded = true;
    // Windows is asked for the time the records need (it shows the reason while it waits).
    ShutdownBlockReasonCreate(m_window.hwnd(), L"Handing the time records over to the Card-Warden store");
    if (m_panel && m_panel->loaded() && !m_panel->endOfRun())
        reportRecordsLeft();
    ShutdownBlockReasonDestroy(m_window.hwnd());
    m_tray.show(false);
    platform::endProcessNow(0);
}

void WindowsFrontEnd::reportRecordsLeft()
{
    ShutdownBlockReasonCreate(m_window.hwnd(),
        L"Time records wait on this computer: the Card-Warden store did not take them (see the Application log)");
    std::wstring user(256, L'\0');
    DWORD length = static_cast<DWORD>(user.size());
    user.resize(GetUserNameW(user.data(), &length) && length > 0 ? length - 1 : 0);
    const std::wstring text = L"Time records of " + user + L" could not be handed over to the Card-Warden store "
        + wide(m_panel->storeFolder()) + L" at the end of the session. They wait on this computer in "
        + platform::toWide(platform::ownStateFolder())
        + L" and reach the store when the panel starts again under this account. If this account's profile is "
          L"deleted before then (profile clean-up on a shared computer), they are lost.";
    HANDLE log = RegisterEventSourceW(nullptr, kEventSource);
    if (!log)
        return;
    const wchar_t* strings[] = {text.c_str()};
    ReportEventW(log, EVENTLOG_WARNING_TYPE, 0, kRecordsLeftEvent, nullptr, 1, 0, strings, nullptr);
    DeregisterEventSource(log);
}

void WindowsFrontEnd::storeNews()
{
    m_window.postStoreNews();
}

void WindowsFrontEnd::storeNewsArrived()
{
    if (!m_panel)
        return;
    m_panel->collect();
    m_window.render();
}

void WindowsFrontEnd::notificationAreaStarted()
{
    m_tray.restore();
}

void WindowsFrontEnd::clockChanged()
{
    // Back from sleep the seconds slept are counted now rather than at the next tick.
    if (!m_panel || !m_panel->loaded())
        return;
    countSeconds();
    m_panel->resynchroniseClock();
    m_window.render();
}

void WindowsFrontEnd::displayChanged()
{
    m_tray.reloadIcon();
}

void WindowsFrontEnd::showRequested()
{
    // As a left click on the tray icon does; a locate dialog that waits for the worker (the
    // start-up's, when the panel is not shown yet) comes to the front.
    showFromTray();
    if (m_modalLocate)
        m_modalLocate->bringForward();
}

void WindowsFrontEnd::showFromTray()
{
    if (!m_panel)
        return;
    m_panel->showFromTray();
    m_window.render();
}

} // namespace shiftloom::win32
