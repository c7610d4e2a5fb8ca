// SPDX-License-Identifier: MIT
#include "SlotTable.h"

namespace shiftloom {

bool ButtonSlot::SlotRunning() const
{
    return m_form.backColour(ctl::Command6(m_index)) == m_form.backColour(ctl::Command1);
}

void ButtonSlot::setRunning()
{
    m_form.setBackColour(ctl::Command6(m_index), m_form.backColour(ctl::Command1));
}

void ButtonSlot::setIdle()
{
    m_form.setBackColour(ctl::Command6(m_index), m_form.backColour(ctl::Command8));
}

bool ButtonSlot::notIdle() const
{
    return m_form.backColour(ctl::Command6(m_index)) != m_form.backColour(ctl::Command8);
}

void SlotTable::restore(const SettingsStore& settings)
{
    for (int i = 0; i < count(); ++i) {
        ButtonSlot s = slot(i);
        const std::string job = settings.read(keys::button(i));
        s.setSlotJob(job.empty() ? kFreeSlotJob : std::string_view(job));
        s.setSlotCard(settings.read(keys::card(i)));
        s.setSlotDescription(settings.read(keys::desc(i)));
    }
}

void SlotTable::storeAll(SettingsStore& settings) const
{
    // The whole row in one write, so that a crash never leaves it half shifted.
    std::vector<std::pair<std::string, std::string>> values;
    values.reserve(3 * static_cast<std::size_t>(count()));
    for (int i = 0; i < count(); ++i) {
        const ButtonSlot s = slot(i);
        values.emplace_back(keys::button(i), s.SlotJob());
        values.emplace_back(keys::card(i), s.SlotCard());
        values.emplace_back(keys::desc(i), s.SlotDescription());
    }
    settings.writeAll(values);
}

void SlotTable::setAllIdle()
{
    for (int i = 0; i < count(); ++i)
        slot(i).setIdle();
}

} // namespace shiftloom
