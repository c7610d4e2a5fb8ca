// SPDX-License-Identifier: MIT
#pragma once

#include "panel/PanelLayout.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace shiftloom {

/** The program's windows: the panel and its three dialogs. */
enum class ProgramWindow : std::uint8_t
{
    Panel,
    LocateDialog,
    ActivityDialog,
    AboutBox,
};

/** The controls of the dialogs, by what they are for. */
enum class DialogControl : std::uint8_t
{
    // The locate dialog.
    LocateFrame,
    DriveList,
    FolderTree,
    LocateStatus,
    PathCaption,
    PathBox,
    LocateCancel,
    LocateOk,
    // The activity dialog.
    ActivityChoice,
    // The about box.
    AboutIcon,
    AboutTitle,
    AboutVersion,
    AboutSeparator, // array 0..1: the two lines of the etched separator
    AboutOk,
    AboutSystemInfo,
};

inline constexpr std::size_t kDialogControlCount = static_cast<std::size_t>(DialogControl::AboutSystemInfo) + 1;

/**
 * The one table from a window or control to the name its widget carries ("Form2" for the locate
 * dialog, "Command6" for a job button, "Text3" for the card number box): the front ends name
 * their widgets by it, and the window tests find them by it. Nothing else spells these names.
 */
std::string_view windowName(ProgramWindow window);
std::string_view controlName(PanelControl control);
std::string_view controlName(DialogControl control);
/** The object name of one widget: "Combo1", "Command6_3" for element 3 of an array. */
std::string objectNameOf(ControlRef ref);

} // namespace shiftloom
