// SPDX-License-Identifier: MIT
#include "Win32IntervalTimer.h"

#include <map>

namespace shiftloom::win32 {
namespace {

/** The running timers by the id the system gave them: a thread timer's callback gets only that. */
std::map<UINT_PTR, Win32IntervalTimer*>& running()
{
    static std::map<UINT_PTR, Win32IntervalTimer*> timers;
    return timers;
}

} // namespace

Win32IntervalTimer::~Win32IntervalTimer()
{
    setInterval(std::chrono::milliseconds{0});
}

void Win32IntervalTimer::setInterval(std::chrono::milliseconds interval)
{
    if (m_id != 0) {
        KillTimer(nullptr, m_id);
        running().erase(m_id);
        m_id = 0;
    }
    m_interval = interval;
    if (interval.count() > 0) {
        m_id = SetTimer(nullptr, 0, static_cast<UINT>(interval.count()), fired);
        if (m_id != 0)
            running()[m_id] = this;
    }
}

void CALLBACK Win32IntervalTimer::fired(HWND, UINT, UINT_PTR id, DWORD)
{
    const auto found = running().find(id);
    if (found != running().end() && found->second->m_handler)
        found->second->m_handler();
}

} // namespace shiftloom::win32
