// SPDX-License-Identifier: MIT
#pragma once

#include "tray/IntervalTimer.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace shiftloom::win32 {

/** A thread timer of the window system (SetTimer without a window), firing on the message loop. */
class Win32IntervalTimer final : public IntervalTimer
{
public:
    Win32IntervalTimer() = default;
    ~Win32IntervalTimer() override;
    Win32IntervalTimer(const Win32IntervalTimer&) = delete;
    Win32IntervalTimer& operator=(const Win32IntervalTimer&) = delete;

    void setInterval(std::chrono::milliseconds interval) override;
    std::chrono::milliseconds interval() const override { return m_interval; }
    void setHandler(std::function<void()> handler) override { m_handler = std::move(handler); }

private:
    static void CALLBACK fired(HWND, UINT, UINT_PTR id, DWORD);

    UINT_PTR m_id = 0;
    std::chrono::milliseconds m_interval{0};
    std::function<void()> m_handler;
};

} // namespace shiftloom::win32
