// SPDX-License-Identifier: MIT
#pragma once

#include "app/SlotTable.h"
#include "platform/Clock.h"
#include "timing/TimeRecordWriter.h"
#include "ui/Form1Host.h"
#include "ui/Form1Model.h"

#include <chrono>

namespace shiftloom {

/** Texts of the message boxes of the timing handlers. */
namespace messages {
inline constexpr std::string_view NoJobText = "Please select job for this button first";
inline constexpr std::string_view NoJobTitle = "NO JOB, CAN'T START";
inline constexpr std::string_view ExitText = "Are you sure? WARNING this will stop all timing.";
inline constexpr std::string_view ExitTitle = "Exit Shift-Loom?";
} // namespace messages

/** How long the program's end may wait to hand over records that the store took no record of yet. */
inline constexpr std::chrono::milliseconds kExitFlushBudget{2000};

/**
 * The handlers that write time records: a job button (start), STOP ALL, the hidden IN key, the
 * double-click exit and the unload of the main window. Only one slot runs at a time; a start of
 * another job is the only trace of the end of the previous one in the data file.
 */
class JobTiming final
{
public:
    JobTiming(Form1Model& form, const platform::Clock& clock, Form1Host& host, TimeRecordWriter& writer);

    /**
     * Press of job button `i`: refuses a free slot with a message; otherwise sets every slot idle
     * and slot `i` running, asks for the activity, appends a start record (its time taken after
     * the dialog), empties the keypad entry and restarts the auto-hide timer.
     */
    void Command6_Click(int i);
    /** STOP ALL: every slot idle, one stop record, on every press. */
    void Command2_Click();
    /** IN: a short record of the keyed digits when any were keyed; then the entry is emptied. */
    void Command1_Click();
    /** Double-click on the background: after Yes, the program ends at once, writing nothing. */
    void Form_DblClick();
    /** The window system closes the main window: one stop record when any slot is not idle. */
    void Form_Unload();

private:
    void clearKeypad();

    Form1Model& m_form;
    SlotTable m_slots;
    const platform::Clock& m_clock;
    Form1Host& m_host;
    TimeRecordWriter& m_writer;
};

} // namespace shiftloom
