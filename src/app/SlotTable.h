// SPDX-License-Identifier: MIT
#pragma once

#include "app/SettingsStore.h"
#include "ui/Form1Model.h"

#include <string>
#include <string_view>

namespace shiftloom {

/** The caption of a free job button. */
inline constexpr std::string_view kFreeSlotJob = "[empty]";
/** The running time of a slot that has not run since the start or its assignment. */
inline constexpr std::string_view kZeroTime = "00:00:00";

/**
 * One job button with its time box and hidden card label, slot `index` of the table. Its fields
 * are the display elements themselves:
 *  - `SlotJob`: caption of `Command6(i)`; "[empty]" when free
 *  - `SlotCard`: caption of the hidden `Label5(i)`
 *  - `SlotDescription`: tooltip of `Command6(i)`
 *  - `SlotElapsed`: text of `Text2(i)`
 *  - `SlotRunning`: the back colour of `Command6(i)` equals that of `Command1` (`RunningColour`)
 */
class ButtonSlot final
{
public:
    ButtonSlot(Form1Model& form, int index)
        : m_form(form)
        , m_index(index)
    {
    }

    int index() const { return m_index; }
    const std::string& SlotJob() const { return m_form.caption(ctl::Command6(m_index)); }
    void setSlotJob(std::string_view job) { m_form.setCaption(ctl::Command6(m_index), job); }
    const std::string& SlotCard() const { return m_form.caption(ctl::Label5(m_index)); }
    void setSlotCard(std::string_view card) { m_form.setCaption(ctl::Label5(m_index), card); }
    const std::string& SlotDescription() const { return m_form.toolTip(ctl::Command6(m_index)); }
    void setSlotDescription(std::string_view text) { m_form.setToolTip(ctl::Command6(m_index), text); }
    const std::string& SlotElapsed() const { return m_form.caption(ctl::Text2(m_index)); }
    void setSlotElapsed(std::string_view time) { m_form.setCaption(ctl::Text2(m_index), time); }

    /** Free exactly when the caption is "[empty]" (case and blanks significant). */
    bool isFree() const { return SlotJob() == kFreeSlotJob; }
    bool SlotRunning() const;
    /** Copies the back colour of `Command1` onto the button. */
    void setRunning();
    /** Copies the back colour of `Command8` onto the button. */
    void setIdle();
    /** Not idle: the button's colour differs from that of `Command8`. */
    bool notIdle() const;

private:
    Form1Model& m_form;
    int m_index;
};

/** The ten job slots of the main window, 0 at the top; every walk runs 0 to 9. */
class SlotTable final
{
public:
    explicit SlotTable(Form1Model& form)
        : m_form(form)
    {
    }

    static constexpr int count() { return kSlotCount; }
    ButtonSlot slot(int index) const { return ButtonSlot(m_form, index); }

    /**
     * Restores every slot's caption, card and description from the settings; an empty caption
     * becomes "[empty]". Time boxes and colours are left as they are.
     */
    void restore(const SettingsStore& settings);
    /** Writes button, card and desc of every slot 0 to 9, in that order per slot. */
    void storeAll(SettingsStore& settings) const;
    /** Sets every slot idle, 0 to 9. */
    void setAllIdle();

private:
    Form1Model& m_form;
};

} // namespace shiftloom
