// SPDX-License-Identifier: MIT
#pragma once

#include "panel/AppVersion.h"
#include "panel/DialogLayout.h"

#include <string>
#include <string_view>

namespace shiftloom {

/** The message shown when no system information program can be started. */
inline constexpr std::string_view kSysInfoUnavailable = "System Information Is Unavailable At This Time";

/**
 * What the about box shows: its title "About " and the application title, the application title
 * and "Version " with the major, minor and revision numbers joined by ".". The window that shows
 * it is modeless, one at a time; its System Info button starts the desktop's system information
 * program, or shows `kSysInfoUnavailable` titled with the application title.
 */
struct AboutBox
{
    std::string caption;
    std::string title;
    std::string version;

    static AboutBox forApplication(std::string_view appTitle, AppVersion version = kAppVersion);
    /** What a control of the box shows: the title and version labels these texts. */
    ControlState controlState(const DialogControlDesign& design) const;
};

} // namespace shiftloom
