// SPDX-License-Identifier: MIT
#pragma once

#include "app/JobFile.h"
#include "app/SettingsStore.h"
#include "app/TextList.h"
#include "delivery/TimeRecordWriter.h"
#include "panel/ActivityList.h"
#include "panel/PanelFrontEnd.h"
#include "panel/PanelLayout.h"
#include "platform/Clock.h"
#include "platform/FileOps.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace shiftloom {

/** Service codes keyed on the hidden keypad; they act at the next clock tick. */
inline constexpr std::string_view kExitCode = "048840";
inline constexpr std::string_view kLocateCode = "073370";

/** The job of a free slot, as its button shows it. */
inline constexpr std::string_view kFreeSlotJob = "[empty]";

/** Texts of the panel's message boxes. */
namespace messages {
inline constexpr std::string_view NoJobText = "Please select job for this button first";
inline constexpr std::string_view NoJobTitle = "NO JOB, CAN'T START";
inline constexpr std::string_view DuplicateTitle = "Can't assign that job";
inline constexpr std::string_view DuplicateText = "That job already assigned";
inline constexpr std::string_view ExitText = "Are you sure? WARNING this will stop all timing.";
inline constexpr std::string_view ExitTitle = "Exit Shift-Loom?";
inline constexpr std::string_view NotSavedTitle = "Time record not saved";
inline constexpr std::string_view LockRefusedTitle = "Card-Warden's data file cannot be locked";
inline constexpr std::string_view LockRefusedText =
    "This account may add to Card-Warden's data file but not lock it, so the time records wait on this computer. "
    "Please ask the administrator to give this account read access to the data file.";
inline constexpr std::string_view NotSavedText =
    "This time record could not be saved on this computer. The panel keeps it and saves it as soon as it can. "
    "Please tell your supervisor, and do not end the panel or turn the computer off before then.";
} // namespace messages

/** Running times are counted in whole seconds. */
using ElapsedTime = std::chrono::seconds;

/** One of the ten job slots: a job button with its running time. */
struct JobSlot
{
    /** The job key shown on the button; "[empty]" for a free slot (case and blanks significant). */
    std::string job{kFreeSlotJob};
    /** The job's card code, written into the start record. */
    std::string card;
    /** The job's description, the button's tooltip. */
    std::string description;
    /** Time counted while the slot ran, since the start of the run or its assignment. */
    ElapsedTime elapsed{0};

    bool isFree() const { return job == kFreeSlotJob; }
    bool operator==(const JobSlot&) const = default;
};

/** The dragging of the panel by its top strip; positions in twips within the strip. */
struct Drag
{
    bool active = false;
    /** Where the pointer went down on the strip (single precision, as the window system gives it). */
    float originX = 0;
    float originY = 0;
};

/** How the start-up ended. */
enum class LoadOutcome
{
    Normal, ///< the data store is used; records go to its data file
    Fallback, ///< the store could not be used: the run reads the fallback folder and records go to the buffer
    NoStart, ///< no data folder is known: the program ends silently
};

/**
 * The panel: what a worker sees and does at the workstation, and the records it writes. Ten job
 * slots of which at most one runs, the worker's card number, the current activity, the hidden
 * keypad's entry, the clock display, the job list and the data folder of the run.
 *
 * The front end calls the operations below for the worker's acts and the two timers, renders the
 * state after each call, and answers the model's requests through `PanelFrontEnd`. Texts are
 * 8-bit (Windows-1252) bytes. Every walk over the slots runs from 0 to 9.
 */
class Panel final
{
public:
    static constexpr int kSlotCount = static_cast<int>(kSlotSettingCount);
    static constexpr std::chrono::milliseconds kTickInterval{1000};
    static constexpr std::chrono::milliseconds kAutoHideDelay{5000};
    /** How long the end of the run may wait, in wall-clock time, for records to reach the store. */
    static constexpr std::chrono::milliseconds kExitFlushBudget{2000};
    /** How long the start-up waits for the store's first answer before it starts on the fallback folder. */
    static constexpr std::chrono::milliseconds kStartUpWait{2000};

    /**
     * `delivery` says where the store's files are read and written: on the caller's thread
     * (tests) or on a thread of their own (the front ends), so that a share that does not answer
     * never stops the window.
     */
    Panel(SettingsStore& settings,
        platform::FileOps& files,
        const platform::Clock& clock,
        PanelFrontEnd& frontEnd,
        TimeRecordWriter::Mode delivery = TimeRecordWriter::Mode::Inline);
    ~Panel();
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;

    // ---- State, for rendering ----
    const JobSlot& slot(int index) const { return m_slots.at(static_cast<std::size_t>(index)); }
    /** The slot being timed, if any. */
    std::optional<int> runningSlot() const { return m_running; }
    /** The sum of every slot's time; hours are not wrapped. */
    ElapsedTime totalElapsed() const;
    /** The clock display: a time of day advanced by the tick (see `tick`). */
    ElapsedTime clockDisplay() const { return m_clock; }
    const std::string& cardNumber() const { return m_cardNumber; }
    const Activity& activity() const { return m_activity; }
    /** The digits keyed on the hidden keypad, in keying order. */
    const std::string& keypadEntry() const { return m_keypadEntry; }
    /** The keypad's masked echo: one "*" per digit keyed. */
    std::string keypadEcho() const { return std::string(m_keypadEntry.size(), '*'); }
    /** The job list's lines in the order read, "[settings]" last. */
    const TextList& jobList() const { return m_jobList; }
    /** Counts the refills of the job list, so that a front end redraws it only when it changed. */
    std::uint64_t jobListVersion() const { return m_jobListVersion; }
    /** The text the job list shows: "Add Job" when nothing is being picked. */
    const std::string& jobListText() const { return m_jobListText; }
    /** The data folder the panel reads: the store's, or the fallback folder while the store is away. */
    const std::string& dataFolder() const { return m_dataFolder; }
    /** The data store's folder found at start-up; records always go to its data file. */
    const std::string& storeFolder() const { return m_storeFolder; }
    const Drag& drag() const { return m_drag; }
    /** True once the start-up has found a data folder. */
    bool loaded() const { return m_loaded; }

    // ---- The run ----
    /**
     * The whole start-up before the panel is first shown: the clock display, the tray icon, the
     * slots and the activity from the settings, the data folder (perhaps asked of the worker in
     * the locate dialog; with none the run does not start), the first delivery to the store (the
     * records waiting in the offline buffer handed over), the card number and the job list. A
     * store that does not take records (or does not answer within `kStartUpWait`) makes the run
     * start on the fallback folder (`FallbackDataFolder`), silently; once the store takes records again the run
     * goes back to it (see `collect`).
     */
    LoadOutcome load();
    /**
     * Starts, before the front end builds its window, what `load` waits for longest: the first
     * delivery to a store the settings or the registration already name, on the delivery's thread.
     * A front end that calls it builds its window meanwhile; `load` then finds the answer there or
     * under way. Asks the worker nothing: a folder only the worker can name is left to `load`.
     */
    void prepare();
    /**
     * Takes in what the delivery's thread found (a job list read, the store back after it was
     * away): the clock tick calls it, and the front end when told `PanelFrontEnd::storeNews`.
     * A run on the fallback folder whose store takes records again reads the job list from the
     * store and uses it from then on.
     */
    void collect();
    /**
     * The clock tick, every `kTickInterval`: the exit code ends the program, the locate code
     * opens the locate dialog; the clock display advances one second; the running slot's time
     * advances one second (wrapping from 23:59:59 to 0), and while that time is in the first
     * minute of one of its hours, or no slot runs, the clock display is set from the system
     * time.
     *
     * With no slot running the time that decides is the keypad entry read as a time text: an
     * entry whose minutes read other than 0 one second on keeps the clock display counting.
     */
    void tick();
    /**
     * Seconds that passed without their ticks (the computer slept, the window's thread was held
     * up): the running slot's time and the clock display advance as `missed` ticks, one a second,
     * would have advanced them, and nothing else of the tick happens. A front end that counts the
     * seconds of a monotonic clock calls this for every second beyond the one its tick counts.
     */
    void catchUp(ElapsedTime missed);
    /** The system's time was set or the computer woke up: the clock display shows the system time. */
    void resynchroniseClock();
    /** The auto-hide timer fired: the panel hides and the timer goes off. */
    void autoHide();
    /**
     * The window system ends the run (log-off, shutdown, a signal): one stop record when a slot
     * runs, and the records waiting on this computer taken to the store within
     * `kExitFlushBudget`. False when records stay behind on this computer.
     */
    bool endOfRun();
    /** The worker double-clicked the panel's background: after Yes the program ends at once, writing nothing. */
    void exit();

    // ---- Timing ----
    /**
     * Press of the job button of `slot`: the auto-hide timer goes off; a free slot is refused
     * with a message and the job list takes the focus. Otherwise every slot goes idle and `slot`
     * runs (its time counts from now on), and the front end asks the worker for the activity
     * (`PanelFrontEnd::chooseActivity`). The activity chosen becomes the current one (and is
     * stored); without a choice the current one stays and the dialog's list is read again at its
     * next showing. Then a start record with the card number, the slot's card and the activity
     * number, timed now; the keypad entry is emptied and the auto-hide timer starts.
     */
    void pressJobButton(int slot);
    /** STOP ALL: every slot idle, one stop record, on every press. */
    void stopAll();
    /** IN: a short record of the keyed digits when any were keyed; then the keypad entry is emptied. */
    void punchIn();

    // ---- The job list and the slots ----
    /**
     * The worker picked `line` in the job list: "[settings]" opens the locate dialog beside the
     * panel; a job line already on a button is refused with a message; any other job line goes
     * into slot 0, every slot moving down one place (a running slot keeps running one place
     * lower, slot 9's job leaves the row), and all thirty slot settings are written. The job
     * list then shows "Add Job" again (except after "[settings]").
     */
    void assignJob(std::string_view line);
    /** The worker picked the line at `line` of `jobList()`, as `assignJob`; a place past the list picks nothing. */
    void pickJobLine(std::size_t line);
    /** The worker typed into the job list's text; nothing is picked. */
    void typeInJobList(std::string_view text);
    /** The worker edited a slot's time box: the text is read as a time text (a negative time as none). */
    void editElapsed(int slot, std::string_view text);

    // ---- Card number, activity, keypad ----
    /** The worker typed into the card number box. */
    void setCardNumber(std::string_view text);
    /** The card number box lost the focus: the card number is stored. */
    void keepCardNumber();
    /** A click on the activity number: it is stored again. */
    void keepActivityNumber();
    /** The activity dialog's list, read from the data store at its first use after `closeActivityList`. */
    ActivityList& activityList();
    /** The activity dialog was closed with its close box: its list is read again at the next showing. */
    void closeActivityList();
    void keyDigit(int digit);
    void clearKeypad();

    // ---- The panel window ----
    /** The "#" key and the close button: the panel hides; timing goes on. */
    void hidePanel();
    /** A left click on the tray icon: the panel is shown and the job list is read again. */
    void showFromTray();
    /** A click on the title: the about box. */
    void showAbout();
    /** A mouse button went down on the top strip at (x, y) twips within it. */
    void pressDragStrip(float x, float y);
    /** The pointer moved over the strip: while a drag is active the panel follows it. */
    void moveOverDragStrip(float x, float y);
    void releaseDragStrip();

    /**
     * A press of `control` (a click on it, Space or Enter on a button): the operation it stands
     * for. False for a control that stands for none.
     */
    bool pressControl(ControlRef control);

    /** Where records go; the front end does not write records itself. */
    TimeRecordWriter& recordWriter() { return m_writer; }

private:
    void startJob(int slot, const std::optional<Activity>& chosen);
    void setActivity(const Activity& activity);
    void record(std::string_view line);
    /** Reads the job list of the data folder; one of the store is waited for until `waitUntil`. */
    platform::FileError fillJobList(std::chrono::steady_clock::time_point waitUntil);
    void setJobList(JobListResult jobs);
    /** Reads the job list of the store on the delivery's thread; it arrives through `collect`. */
    void requestStoreJobList();
    void restoreSlots();
    void storeSlots();
    void shiftSlotsDown();
    void advanceClockDisplay();
    ElapsedTime runningElapsed() const;
    [[noreturn]] void endNow();

    SettingsStore& m_settings;
    platform::FileOps& m_files;
    const platform::Clock& m_systemClock;
    PanelFrontEnd& m_frontEnd;
    TimeRecordWriter m_writer;

    std::array<JobSlot, kSlotCount> m_slots{};
    std::optional<int> m_running;
    ElapsedTime m_clock{0};
    std::string m_cardNumber;
    Activity m_activity;
    std::string m_keypadEntry;
    TextList m_jobList;
    std::uint64_t m_jobListVersion = 0;
    std::string m_jobListText;
    std::string m_dataFolder;
    std::string m_storeFolder;
    bool m_prepared = false;
    Drag m_drag;
    /** A job list read on the delivery's thread, waiting for `collect`. */
    struct JobListMail
    {
        std::mutex mutex;
        std::condition_variable arrived;
        std::optional<JobListResult> jobs;
        bool requested = false;
    };
    std::shared_ptr<JobListMail> m_mail = std::make_shared<JobListMail>();
    bool m_notSavedShown = false;
    bool m_lockRefusedShown = false;
    std::unique_ptr<ActivityList> m_activityList;
    bool m_loaded = false;
    bool m_locateOpen = false;
};

} // namespace shiftloom
