// SPDX-License-Identifier: MIT
#include "Panel.h"

#include "app/DataFolder.h"
#include "app/EarlierPlaces.h"
#include "app/JobFile.h"
#include "app/StorePaths.h"
#include "panel/TimeText.h"
#include "platform/FileIo.h"
#include "timing/TimeRecord.h"

#include <cstdlib>

namespace shiftloom {

using platform::FileError;
using namespace std::chrono_literals;

namespace {

constexpr ElapsedTime kDay = 24h;

// The slot a picked job line fills.
JobSlot slotForJobLine(std::string_view line)
{
    ListedJob job = readJobLine(line);
    return JobSlot{std::move(job.key), std::move(job.card), std::move(job.description)};
}

// One second more of a running slot's time, wrapping at 24 hours like a clock.
ElapsedTime nextSecond(ElapsedTime elapsed)
{
    const ElapsedTime next = elapsed + 1s;
    return next == kDay ? 0s : next;
}

Message message(std::string_view text, std::string_view title, MessageIcon icon)
{
    return {std::string(text), std::string(title), icon, MessageButtons::Ok, MessageAnswer::Ok};
}

} // namespace

Panel::Panel(SettingsStore& settings,
    platform::FileOps& files,
    const platform::Clock& clock,
    PanelFrontEnd& frontEnd,
    TimeRecordWriter::Mode delivery)
    : m_settings(settings)
    , m_files(files)
    , m_systemClock(clock)
    , m_frontEnd(frontEnd)
    , m_writer(files, delivery, {}, [&clock] { return clock.steadyNow(); })
    , m_dataFolder(FallbackDataFolder)
{
    m_writer.setWake([&frontEnd] { frontEnd.storeNews(); });
}

Panel::~Panel() = default;

ElapsedTime Panel::totalElapsed() const
{
    ElapsedTime total{0};
    for (const JobSlot& slot : m_slots)
        total += slot.elapsed;
    return total;
}

LoadOutcome Panel::load()
{
    m_clock = timeOfDay(m_systemClock.now());
    m_keypadEntry.clear();
    m_frontEnd.showTrayIcon(true);
    restoreSlots();
    m_activity = {m_settings.read(keys::ActivityCode), m_settings.read(keys::ActivityNum)};

    if (!m_prepared)
        moveEarlierSetUp(m_files);
    const std::string folder = findDataFolder(
        m_settings, m_files, registrationFiles(), [this] { m_frontEnd.showLocateDialog(DialogMode::Modal); });
    if (folder.empty())
        return LoadOutcome::NoStart;

    // The first delivery is the start-up's test that the store takes records. A store that does
    // not (or does not answer in time) starts the run on the fallback folder; the delivery keeps
    // trying it, and `collect` takes the run back to it once it answers.
    if (!m_prepared || folder != m_storeFolder) {
        m_storeFolder = folder;
        m_writer.setStore(folder);
    }
    m_writer.awaitFirstAnswer(std::chrono::steady_clock::now() + kStartUpWait);
    const StoreState store = m_writer.storeState();
    LoadOutcome outcome =
        store == StoreState::Takes || store == StoreState::Busy ? LoadOutcome::Normal : LoadOutcome::Fallback;
    m_dataFolder = outcome == LoadOutcome::Normal ? folder : std::string(FallbackDataFolder);
    m_cardNumber = m_settings.read(keys::AutoCode);
    if (fillJobList(std::chrono::steady_clock::now() + kStartUpWait) != FileError::None
        && outcome == LoadOutcome::Normal) {
        outcome = LoadOutcome::Fallback;
        m_dataFolder = FallbackDataFolder;
        m_cardNumber = m_settings.read(keys::AutoCode);
        fillJobList({});
    }
    m_loaded = true;
    return outcome;
}

void Panel::prepare()
{
    moveEarlierSetUp(m_files);
    m_prepared = true;
    const std::string folder = findDataFolder(m_settings, m_files, registrationFiles(), [] {});
    if (folder.empty())
        return;
    // Only the delivery: its job list is read once the store is known to take records, so that a
    // folder that is no store never has a job file made in it.
    m_storeFolder = folder;
    m_writer.setStore(folder);
}

void Panel::restoreSlots()
{
    for (int i = 0; i < kSlotCount; ++i) {
        JobSlot& slot = m_slots[static_cast<std::size_t>(i)];
        slot.job = m_settings.read(keys::button(i));
        if (slot.job.empty())
            slot.job = kFreeSlotJob;
        slot.card = m_settings.read(keys::card(i));
        slot.description = m_settings.read(keys::desc(i));
    }
}

void Panel::storeSlots()
{
    // The whole row in one write, so that a crash never leaves it half shifted.
    std::vector<std::pair<Setting, std::string>> values;
    values.reserve(3 * m_slots.size());
    for (int i = 0; i < kSlotCount; ++i) {
        const JobSlot& slot = m_slots[static_cast<std::size_t>(i)];
        values.emplace_back(keys::button(i), slot.job);
        values.emplace_back(keys::card(i), slot.card);
        values.emplace_back(keys::desc(i), slot.description);
    }
    m_settings.writeAll(values);
}

FileError Panel::fillJobList(std::chrono::steady_clock::time_point waitUntil)
{
    if (m_dataFolder != m_storeFolder) {
        // The fallback folder is this computer's own: read here.
        JobListResult jobs = readJobList(m_files, storeFile(m_dataFolder, kJobFileName), JobFileOpen::CreateIfMissing);
        const FileError error = jobs.error;
        setJobList(std::move(jobs));
        return error;
    }
    // The store's job file is read where the store's files are, and waited for at start-up only.
    requestStoreJobList();
    std::unique_lock lock(m_mail->mutex);
    if (!m_mail->arrived.wait_until(lock, waitUntil, [this] { return m_mail->jobs.has_value(); }))
        return FileError::None; // it comes with `collect`
    JobListResult jobs = std::move(*m_mail->jobs);
    m_mail->jobs.reset();
    m_mail->requested = false;
    lock.unlock();
    const FileError error = jobs.error;
    setJobList(std::move(jobs));
    return error;
}

void Panel::requestStoreJobList()
{
    {
        const std::lock_guard lock(m_mail->mutex);
        if (m_mail->requested)
            return;
        m_mail->requested = true;
    }
    m_writer.post([mail = m_mail, &files = m_files, path = storeFile(m_storeFolder, kJobFileName)] {
        JobListResult jobs = readJobList(files, path, JobFileOpen::CreateIfMissing);
        const std::lock_guard lock(mail->mutex);
        mail->jobs = std::move(jobs);
        mail->arrived.notify_all();
    });
}

void Panel::setJobList(JobListResult jobs)
{
    // On a failure the list keeps only "[settings]", so the worker can still reach the locate dialog.
    if (jobs.error != FileError::None)
        jobs.lines.clear();
    jobs.lines.push_back(kSettingsItem);
    m_jobList = std::move(jobs.lines);
    ++m_jobListVersion;
    m_jobListText = kAddJobText;
}

void Panel::collect()
{
    std::optional<JobListResult> jobs;
    {
        const std::lock_guard lock(m_mail->mutex);
        if (m_mail->jobs) {
            jobs = std::move(m_mail->jobs);
            m_mail->jobs.reset();
            m_mail->requested = false;
        }
    }
    const StoreState store = m_writer.storeState();
    const bool storeAnswers = store == StoreState::Takes || store == StoreState::Busy;
    // A store that refuses the lock is no passing fault: the worker hears of it once a run.
    if (m_writer.storeError() == FileError::LockRefused && !m_lockRefusedShown) {
        m_lockRefusedShown = true;
        m_frontEnd.showMessage(message(messages::LockRefusedText, messages::LockRefusedTitle, MessageIcon::Critical));
    }
    if (jobs) {
        // A run on the fallback folder goes back to the store once its job list can be read.
        if (m_dataFolder != m_storeFolder && jobs->error == FileError::None && storeAnswers) {
            m_dataFolder = m_storeFolder;
            closeActivityList();
        }
        if (m_dataFolder == m_storeFolder)
            setJobList(std::move(*jobs));
    } else if (m_loaded && m_dataFolder != m_storeFolder && storeAnswers) {
        requestStoreJobList();
    }
}

void Panel::tick()
{
    if (m_keypadEntry == kExitCode) {
        m_frontEnd.showTrayIcon(false);
        endNow();
    }
    // Ticks go on while the locate dialog is open; they must not open a second one.
    if (m_keypadEntry == kLocateCode && !m_locateOpen) {
        m_locateOpen = true;
        m_frontEnd.showLocateDialog(DialogMode::Modal);
        m_locateOpen = false;
        clearKeypad();
    }
    advanceClockDisplay();
    if (m_running)
        m_slots[static_cast<std::size_t>(*m_running)].elapsed = nextSecond(runningElapsed());
    // Records waiting for the store go over as soon as it takes them again.
    m_writer.poll();
    collect();
}

void Panel::catchUp(ElapsedTime missed)
{
    if (missed <= 0s)
        return;
    // Of the ticks missed, the first one whose new running time lies in the first minute of an
    // hour would have set the clock display from the system time; each one after it carried the
    // display on with the system time, up to the system time of now. With none, the display
    // counts on by itself. With no slot running, the keypad entry decides, the same at every tick.
    bool setFromSystemTime = false;
    if (m_running) {
        const ElapsedTime intoHour = (runningElapsed() + 1s) % 1h;
        const ElapsedTime firstMinuteAfter = intoHour < 1min ? 1s : 1h - intoHour + 1s;
        setFromSystemTime = missed >= firstMinuteAfter;
        // A time that reaches 24 hours starts again at 0 (one typed beyond it never reaches it).
        JobSlot& slot = m_slots[static_cast<std::size_t>(*m_running)];
        slot.elapsed = slot.elapsed < kDay ? (slot.elapsed + missed) % kDay : slot.elapsed + missed;
    } else {
        setFromSystemTime = addOneSecond(readTimeText(m_keypadEntry)).minutes == 0;
    }
    m_clock = setFromSystemTime ? timeOfDay(m_systemClock.now()) : (m_clock + missed) % kDay;
}

void Panel::resynchroniseClock()
{
    m_clock = timeOfDay(m_systemClock.now());
}

ElapsedTime Panel::runningElapsed() const
{
    return m_slots[static_cast<std::size_t>(*m_running)].elapsed;
}

void Panel::advanceClockDisplay()
{
    m_clock = nextSecond(m_clock);
    // The clock display is set from the system time whenever the running time, one second on, is
    // in the first minute of one of its hours. With no slot running, the time that decides is the
    // keypad entry read as a time text (an empty entry reads 00:00:00), so a panel with nothing
    // running and nothing keyed shows the system time at every tick.
    const bool firstMinute = m_running ? nextSecond(runningElapsed()) / 60s % 60 == 0
                                       : addOneSecond(readTimeText(m_keypadEntry)).minutes == 0;
    if (firstMinute)
        m_clock = timeOfDay(m_systemClock.now());
}

void Panel::autoHide()
{
    m_frontEnd.setAutoHideTimer(false);
    m_frontEnd.hidePanel();
}

bool Panel::endOfRun()
{
    // The stop record is on the disk in the buffer at once; the store gets it if it answers in time.
    if (m_running)
        m_writer.write(stopRecord(m_systemClock.now(), m_cardNumber));
    return m_writer.settle(m_systemClock.steadyNow() + kExitFlushBudget);
}

void Panel::record(std::string_view line)
{
    if (m_writer.write(line) != RecordPlace::Held) {
        m_notSavedShown = false;
        return;
    }
    // Not on the disk anywhere: the worker is told at once (once, until a record is saved again),
    // unless the delivery takes it to the store straight away.
    if (m_notSavedShown || m_writer.settle(m_systemClock.steadyNow() + kTickInterval) || m_writer.heldCount() == 0)
        return;
    m_notSavedShown = true;
    m_frontEnd.showMessage(message(messages::NotSavedText, messages::NotSavedTitle, MessageIcon::Critical));
}

void Panel::exit()
{
    const MessageAnswer answer = m_frontEnd.showMessage({std::string(messages::ExitText),
        std::string(messages::ExitTitle),
        MessageIcon::None,
        MessageButtons::YesNo,
        MessageAnswer::Yes});
    if (answer != MessageAnswer::Yes)
        return;
    // The confirmed exit writes no record, but records already made and still waiting for the
    // store are not given up, and no tray icon is left behind.
    m_frontEnd.showTrayIcon(false);
    endNow();
}

void Panel::endNow()
{
    m_writer.settle(m_systemClock.steadyNow() + kExitFlushBudget);
    m_frontEnd.endProcessNow();
    std::abort(); // a front end that returns from endProcessNow breaks its contract
}

void Panel::pressJobButton(int slot)
{
    m_frontEnd.setAutoHideTimer(false);
    if (this->slot(slot).isFree()) {
        m_frontEnd.showMessage(message(messages::NoJobText, messages::NoJobTitle, MessageIcon::Critical));
        // The message asks the worker to choose a job in the list: take them there.
        m_frontEnd.focusJobList();
        return;
    }
    // The slot runs (and is shown running) while the worker chooses the activity.
    m_running = slot;
    const std::optional<Activity> chosen = m_frontEnd.chooseActivity(activityList(), m_activity);
    if (!chosen)
        closeActivityList();
    startJob(slot, chosen);
}

void Panel::startJob(int slot, const std::optional<Activity>& chosen)
{
    if (chosen)
        setActivity(*chosen);
    // The card, the slot's card and the activity are read now, after the dialog, and so is the time.
    record(startRecord(m_systemClock.now(), m_cardNumber, this->slot(slot).card, m_activity.number));
    clearKeypad();
    m_frontEnd.setAutoHideTimer(true);
}

void Panel::setActivity(const Activity& activity)
{
    if (activity.code != m_activity.code)
        m_settings.write(keys::ActivityCode, activity.code);
    if (activity.number != m_activity.number)
        m_settings.write(keys::ActivityNum, activity.number);
    m_activity = activity;
}

void Panel::stopAll()
{
    m_running.reset();
    record(stopRecord(m_systemClock.now(), m_cardNumber));
}

void Panel::punchIn()
{
    if (!m_keypadEntry.empty())
        record(inRecord(m_systemClock.now(), m_keypadEntry));
    clearKeypad();
}

void Panel::assignJob(std::string_view line)
{
    if (line == kSettingsItem) {
        m_jobListText = kSettingsItem;
        m_frontEnd.showLocateDialog(DialogMode::Modeless);
        return;
    }
    if (line != kAddJobText) {
        JobSlot picked = slotForJobLine(line);
        bool onAButton = false;
        for (const JobSlot& slot : m_slots)
            onAButton = onAButton || slot.job == picked.job;
        if (onAButton) {
            m_frontEnd.showMessage(
                message(messages::DuplicateText, messages::DuplicateTitle, MessageIcon::Information));
        } else {
            shiftSlotsDown();
            m_slots.front() = std::move(picked);
            storeSlots();
        }
    }
    m_jobListText = kAddJobText;
}

void Panel::pickJobLine(std::size_t line)
{
    // A copy of the line: the list may be read again while the pick waits in a message box.
    if (line < m_jobList.size())
        assignJob(std::string(m_jobList[line]));
}

void Panel::shiftSlotsDown()
{
    // The row works most recent first: everything moves down one place and the job of the bottom
    // slot leaves the row; a running slot keeps running one place lower.
    std::move_backward(m_slots.begin(), m_slots.end() - 1, m_slots.end());
    m_slots.front() = JobSlot{};
    if (m_running) {
        if (*m_running + 1 < kSlotCount)
            m_running = *m_running + 1;
        else
            m_running.reset();
    }
}

void Panel::typeInJobList(std::string_view text)
{
    m_jobListText = text;
}

void Panel::editElapsed(int slot, std::string_view text)
{
    // A time that reads as negative counts as none.
    m_slots.at(static_cast<std::size_t>(slot)).elapsed = std::max(timeOf(readTimeText(text)), ElapsedTime{0});
}

void Panel::setCardNumber(std::string_view text)
{
    m_cardNumber = text;
}

void Panel::keepCardNumber()
{
    m_settings.write(keys::AutoCode, m_cardNumber);
}

void Panel::keepActivityNumber()
{
    m_settings.write(keys::ActivityNum, m_activity.number);
}

ActivityList& Panel::activityList()
{
    if (!m_activityList)
        m_activityList = std::make_unique<ActivityList>(m_files, m_dataFolder);
    return *m_activityList;
}

void Panel::closeActivityList()
{
    m_activityList.reset();
}

void Panel::keyDigit(int digit)
{
    m_keypadEntry.push_back(static_cast<char>('0' + digit));
}

void Panel::clearKeypad()
{
    m_keypadEntry.clear();
}

void Panel::hidePanel()
{
    m_frontEnd.hidePanel();
}

void Panel::showFromTray()
{
    // A click while the start-up still waits in its locate dialog must not show the panel.
    if (!m_loaded)
        return;
    m_frontEnd.showPanel();
    fillJobList(std::chrono::steady_clock::now());
}

void Panel::showAbout()
{
    m_frontEnd.showAboutBox();
}

void Panel::pressDragStrip(float x, float y)
{
    m_drag = {true, x, y};
}

void Panel::moveOverDragStrip(float x, float y)
{
    if (!m_drag.active)
        return;
    const ScreenPosition position = m_frontEnd.panelPosition();
    const double dx = static_cast<double>(x) - static_cast<double>(m_drag.originX);
    const double dy = static_cast<double>(y) - static_cast<double>(m_drag.originY);
    m_frontEnd.movePanel({position.left + dx, position.top + dy});
}

bool Panel::pressControl(ControlRef control)
{
    switch (control.control) {
    case PanelControl::JobButton:
        pressJobButton(control.index);
        break;
    case PanelControl::StopAll:
        stopAll();
        break;
    case PanelControl::InKey:
        punchIn();
        break;
    case PanelControl::DigitKey:
        keyDigit(control.index);
        break;
    case PanelControl::ClearKey:
        clearKeypad();
        break;
    case PanelControl::HashKey:
    case PanelControl::CloseButton:
        hidePanel();
        break;
    case PanelControl::TitleWord:
        showAbout();
        break;
    case PanelControl::ActivityNumber:
        keepActivityNumber();
        break;
    default:
        return false;
    }
    return true;
}

void Panel::releaseDragStrip()
{
    m_drag.active = false;
}

} // namespace shiftloom
