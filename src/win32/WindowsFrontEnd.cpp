// SPDX-License-Identifier: MIT
#include "WindowsFrontEnd.h"

#include "panel/AccessibleText.h"
#include "panel/JobListOrder.h"
#include "panel/TimeText.h"
#include "platform/Process.h"
#include "win32/ActivityDialog.h"

#include <charconv>

namespace shiftloom::win32 {
namespace {

constexpr int kClockTimer = 1;
constexpr int kAutoHideTimer = 2;
/** The tooltip of the program's icon in the notification area. */
constexpr std::string_view kTrayToolTip = "  Ovix Tick-Fob";

/** A position in twips as the drag's holders show it: the shortest decimal text of the number. */
std::string positionText(float value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

} // namespace

WindowsFrontEnd::WindowsFrontEnd(
    HINSTANCE instance, HICON icon, SettingsStore& settings, platform::FileOps& files, platform::DriveList& drives)
    : m_icon(icon)
    , m_settings(settings)
    , m_files(files)
    , m_drives(drives)
    , m_window(instance, icon, *this)
    , m_tray(static_cast<HICON>(LoadImageA(instance,
                 MAKEINTRESOURCEA(1),
                 IMAGE_ICON,
                 GetSystemMetrics(SM_CXSMICON),
                 GetSystemMetrics(SM_CYSMICON),
                 0)),
          kTrayToolTip,
          [this] { showFromTray(); })
{
}

WindowsFrontEnd::~WindowsFrontEnd() = default;

void WindowsFrontEnd::attach(Panel& panel)
{
    m_panel = &panel;
}

LoadOutcome WindowsFrontEnd::start()
{
    // The clock ticks from the moment the window exists, also while the start-up waits in its
    // locate dialog.
    m_window.startTimer(kClockTimer, Panel::kTickInterval);
    const LoadOutcome outcome = m_panel->load();
    if (outcome == LoadOutcome::NoStart)
        return outcome;
    render();
    m_window.show();
    return outcome;
}

int WindowsFrontEnd::run()
{
    MSG message;
    BOOL got;
    while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) {
        // Tab, Enter and Esc walk and press the controls of whichever of the windows is active.
        HWND active = GetActiveWindow();
        const bool handled = active && IsDialogMessageA(active, &message);
        if (!handled) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
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
    return m_window.visible() ? m_window.handle() : nullptr;
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
    const int answer = MessageBoxA(owner, message.text.c_str(), message.title.c_str(), type);
    if (message.buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    return answer == IDYES ? MessageAnswer::Yes : MessageAnswer::No;
}

void WindowsFrontEnd::showLocateDialog(DialogMode mode)
{
    if (mode == DialogMode::Modal) {
        DataFolderDialog model(m_settings, m_files, m_drives);
        LocateDialog dialog(model, m_drives);
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
    m_locate = std::make_unique<LocateDialog>(*m_locateModel, m_drives);
    m_locate->showModeless();
}

void WindowsFrontEnd::showAboutBox()
{
    dropClosedDialogs();
    if (!m_about)
        m_about = std::make_unique<AboutDialog>(m_window.handle(), m_icon, SettingsAppName);
    m_about->show();
}

void WindowsFrontEnd::showPanel()
{
    // Until the start-up has finished (its locate dialog may be open) the panel stays hidden.
    if (!m_panel || !m_panel->loaded())
        return;
    render();
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

// ---- What the worker and the window system do ----

void WindowsFrontEnd::clicked(ControlRef control)
{
    switch (control.control) {
    case PanelControl::JobButton:
        pressJobButton(control.index);
        return;
    case PanelControl::StopAll:
        m_panel->stopAll();
        break;
    case PanelControl::InKey:
        m_panel->punchIn();
        break;
    case PanelControl::DigitKey:
        m_panel->keyDigit(control.index);
        break;
    case PanelControl::ClearKey:
        m_panel->clearKeypad();
        break;
    case PanelControl::HashKey:
    case PanelControl::CloseButton:
        m_panel->hidePanel();
        break;
    case PanelControl::TitleWord:
        m_panel->showAbout();
        break;
    case PanelControl::ActivityNumber:
        m_panel->keepActivityNumber();
        break;
    default:
        return;
    }
    render();
}

void WindowsFrontEnd::pressJobButton(int slot)
{
    if (m_panel->pressJobButton(slot) == JobPress::Refused) {
        render();
        return;
    }
    // The slot runs (and is shown running) while the worker chooses the activity.
    render();
    ActivityList& list = m_panel->activityList();
    ActivityChoice choice;
    {
        ActivityDialog dialog(m_window.handle(), m_icon, list.items(), m_panel->activity());
        choice = dialog.run();
    }
    if (choice.closedWithCloseBox)
        m_panel->closeActivityList();
    m_panel->startJob(slot, choice.picked);
    render();
}

void WindowsFrontEnd::jobPicked(std::string_view item)
{
    m_panel->assignJob(item);
    render();
}

void WindowsFrontEnd::jobListTyped(std::string_view text)
{
    m_panel->typeInJobList(text);
}

void WindowsFrontEnd::textEdited(ControlRef control, std::string_view text)
{
    if (control.control == PanelControl::CardNumber)
        m_panel->setCardNumber(text);
    else if (control.control == PanelControl::ElapsedBox)
        m_panel->editElapsed(control.index, text);
}

void WindowsFrontEnd::cardNumberLeft()
{
    m_panel->keepCardNumber();
}

void WindowsFrontEnd::dragStrip(StripMouse what, float x, float y)
{
    switch (what) {
    case StripMouse::Down:
        m_panel->pressDragStrip(x, y);
        break;
    case StripMouse::Move:
        m_panel->moveOverDragStrip(x, y);
        break;
    case StripMouse::Up:
        m_panel->releaseDragStrip();
        break;
    }
    render();
}

void WindowsFrontEnd::backgroundDoubleClicked()
{
    m_panel->exit();
    render();
}

void WindowsFrontEnd::timer(int number)
{
    if (number == kClockTimer) {
        m_panel->tick();
    } else if (number == kAutoHideTimer) {
        m_window.stopTimer(kAutoHideTimer); // a window timer repeats; this one fires once
        m_panel->autoHide();
    } else {
        return;
    }
    render();
}

void WindowsFrontEnd::closing()
{
    // The end of the session, or the window system closing the panel: the end-of-run step runs
    // once, then the program ends, its icon taken out of the notification area.
    if (m_runEnded)
        return;
    m_runEnded = true;
    // Windows is asked for the time the records need (it shows the reason while it waits).
    ShutdownBlockReasonCreate(m_window.handle(), L"Saving time records");
    if (m_panel && m_panel->loaded())
        m_panel->endOfRun();
    ShutdownBlockReasonDestroy(m_window.handle());
    m_tray.show(false);
    platform::endProcessNow(0);
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
    render();
}

void WindowsFrontEnd::notificationAreaStarted()
{
    m_tray.restore();
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
    render();
}

void WindowsFrontEnd::render()
{
    if (!m_panel)
        return;
    const Panel& panel = *m_panel;
    m_window.setCaption({PanelControl::Clock}, timeText(panel.clockDisplay()));
    m_window.setCaption({PanelControl::ActivityCode}, panel.activity().code);
    m_window.setCaption({PanelControl::ActivityNumber}, panel.activity().number);
    m_window.setCaption({PanelControl::CardNumber}, panel.cardNumber());
    for (int i = 0; i < Panel::kSlotCount; ++i) {
        const JobSlot& slot = panel.slot(i);
        m_window.setCaption(jobButton(i), slot.job);
        m_window.setToolTip(jobButton(i), slot.description);
        m_window.setBackColour(jobButton(i), panel.runningSlot() == i ? RunningColour : IdleColour);
        m_window.setCaption(elapsedBox(i), timeText(slot.elapsed));
        m_window.setCaption(slotCard(i), slot.card);
    }
    m_window.setCaption({PanelControl::Total}, timeText(panel.totalElapsed()));
    m_window.setCaption({PanelControl::DataFolder}, panel.dataFolder());
    const Drag& drag = panel.drag();
    m_window.setCaption({PanelControl::DragFlag}, drag.active ? "Y" : "N");
    if (drag.active) {
        m_window.setCaption({PanelControl::DragOriginX}, positionText(drag.originX));
        m_window.setCaption({PanelControl::DragOriginY}, positionText(drag.originY));
    }
    m_window.setCaption({PanelControl::KeypadEntry}, panel.keypadEntry());
    m_window.setCaption({PanelControl::KeypadEcho}, panel.keypadEcho());
    if (m_shownJobList != panel.jobListVersion()) {
        m_shownJobList = panel.jobListVersion();
        m_window.setJobList(panel.jobList(), displayOrder(panel.jobList()));
    }
    m_window.setCaption({PanelControl::JobList}, panel.jobListText());

    for (const ControlDesign& design : panelControls())
        m_window.setAccessibleText(design.ref, accessibleText(panel, design.ref));
    // The clock and the activity are drawn by the window, no controls of their own: the window's
    // description tells them.
    auto told = [&panel](PanelControl label) { return accessibleText(panel, {label}).name; };
    m_window.setWindowAccessibleText({std::string(kPanelAccessibleName),
        told(PanelControl::Clock) + ". " + told(PanelControl::ActivityCode) + ", "
            + told(PanelControl::ActivityNumber)});
}

} // namespace shiftloom::win32
