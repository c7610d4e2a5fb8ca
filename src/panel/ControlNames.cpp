// SPDX-License-Identifier: MIT
#include "ControlNames.h"

#include <array>

namespace shiftloom {

std::string_view windowName(ProgramWindow window)
{
    // By ProgramWindow, in its order.
    static constexpr std::array<std::string_view, 4> names = {"Form1", "Form2", "Form3", "frmAbout"};
    return names[static_cast<std::size_t>(window)];
}

std::string_view controlName(PanelControl control)
{
    // By PanelControl, in its order.
    static constexpr std::array<std::string_view, kPanelControlCount> names = {
        "Label6", // DragStrip
        "Label4", // TitleWord
        "Command7", // CloseButton
        "Label2", // Clock
        "Combo1", // JobList
        "Text3", // CardNumber
        "Label10", // ActivityCode
        "Label11", // ActivityNumber
        "Command6", // JobButton
        "Text2", // ElapsedBox
        "Command2", // StopAll
        "Text4", // Total
        "Command1", // InKey
        "Text1", // KeypadEcho
        "Command3", // DigitKey
        "Command4", // HashKey
        "Command5", // ClearKey
        "Tray1", // TrayIcon
    };
    return names[static_cast<std::size_t>(control)];
}

std::string_view controlName(DialogControl control)
{
    // By DialogControl, in its order.
    static constexpr std::array<std::string_view, kDialogControlCount> names = {
        "Frame6", // LocateFrame
        "Drive1", // DriveList
        "Dir1", // FolderTree
        "Label5", // LocateStatus
        "Label1", // PathCaption
        "Text1", // PathBox
        "Command18", // LocateCancel
        "Command17", // LocateOk
        "Combo1", // ActivityChoice
        "picIcon", // AboutIcon
        "lblTitle", // AboutTitle
        "lblVersion", // AboutVersion
        "Line1", // AboutSeparator
        "cmdOK", // AboutOk
        "cmdSysInfo", // AboutSystemInfo
    };
    return names[static_cast<std::size_t>(control)];
}

std::string objectNameOf(ControlRef ref)
{
    std::string name(controlName(ref.control));
    if (ref.index >= 0) {
        name += '_';
        name += std::to_string(ref.index);
    }
    return name;
}

} // namespace shiftloom
