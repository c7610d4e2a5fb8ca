// SPDX-License-Identifier: MIT
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace shiftloom::win32 {

/**
 * One panel per worker's Windows session. The first start creates a named mutex in the session's
 * own namespace ("Local\"), so that another worker's session on the same PC has its own, and keeps
 * it for its whole run; the system drops it with the process, however that ends. A later start
 * finds the mutex there, finds the running panel's window on the session's desktop, asks it with
 * `showRequest()` to show itself, and ends: it has read and written nothing.
 */
class SingleInstance final
{
public:
    enum class Claim
    {
        /** This process is the panel. */
        First,
        /** A panel runs already and has shown itself; this process should end. */
        HandedOver,
        /** A panel runs already but did not answer in time; this process should end all the same. */
        NoAnswer,
    };

    SingleInstance() = default;
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    /**
     * Takes the mutex, or hands over to the panel that holds it, waiting at most a few seconds for
     * a panel that is still starting to answer. `panelClass` names the panel window's class.
     */
    Claim claim(const wchar_t* panelClass);

    /** The window message that asks the running panel to show itself; it answers `kShown`. */
    static UINT showRequest();
    static constexpr LRESULT kShown = 0x534C; // any answer but 0, which a window gives for a message it ignores

private:
    HANDLE m_mutex = nullptr;
};

} // namespace shiftloom::win32
