// SPDX-License-Identifier: MIT
#include "JobTiming.h"

#include "timing/TimeRecord.h"

namespace shiftloom {

JobTiming::JobTiming(Form1Model& form, const platform::Clock& clock, Form1Host& host, TimeRecordWriter& writer)
    : m_form(form)
    , m_slots(form)
    , m_clock(clock)
    , m_host(host)
    , m_writer(writer)
{
}

void JobTiming::clearKeypad()
{
    m_form.setCaption(ctl::Label1, "");
    m_form.setCaption(ctl::Text1, "");
}

void JobTiming::Command6_Click(int i)
{
    m_host.setTimer2Enabled(false);
    ButtonSlot slot = m_slots.slot(i);
    if (slot.isFree()) {
        m_host.messageBox({std::string(messages::NoJobText),
            std::string(messages::NoJobTitle),
            MessageIcon::Critical,
            MessageButtons::Ok,
            MessageAnswer::Ok});
        // The message asks the worker to choose a job in the list: take them there.
        m_host.focusJobList();
        return;
    }
    m_slots.setAllIdle();
    slot.setRunning();
    m_host.showActivityDialog();
    // The card, slot card and activity are read now, after the dialog, and so is the time.
    const std::string line =
        MakeStartRecord(m_clock.now(), m_form.caption(ctl::Text3), slot.SlotCard(), m_form.caption(ctl::Label11));
    m_writer.AppendTimeRecord(line);
    clearKeypad();
    m_host.setTimer2Enabled(true);
}

void JobTiming::Command2_Click()
{
    m_slots.setAllIdle();
    m_writer.AppendTimeRecord(MakeStopRecord(m_clock.now(), m_form.caption(ctl::Text3)));
}

void JobTiming::Command1_Click()
{
    const std::string keyed = m_form.caption(ctl::Label1);
    if (!keyed.empty())
        m_writer.AppendTimeRecord(MakeInRecord(m_clock.now(), keyed));
    clearKeypad();
}

void JobTiming::Form_DblClick()
{
    const MessageAnswer answer = m_host.messageBox({std::string(messages::ExitText),
        std::string(messages::ExitTitle),
        MessageIcon::None,
        MessageButtons::YesNo,
        MessageAnswer::Yes});
    if (answer != MessageAnswer::Yes)
        return;
    // The confirmed exit writes no record, but records already made and still waiting for the
    // store are not given up, and no tray icon is left behind.
    m_writer.flushHeldWithin(kExitFlushBudget);
    m_host.showTrayIcon(false);
    m_host.endProgramNow();
}

void JobTiming::Form_Unload()
{
    bool written = false;
    for (int i = 0; i < SlotTable::count(); ++i) {
        if (m_slots.slot(i).notIdle() && !written) {
            m_writer.AppendTimeRecord(MakeStopRecord(m_clock.now(), m_form.caption(ctl::Text3)));
            written = true;
        }
    }
    m_writer.flushHeldWithin(kExitFlushBudget);
}

} // namespace shiftloom
