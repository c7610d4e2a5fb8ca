// SPDX-License-Identifier: MIT
#include "DialogLayout.h"

#include "panel/AccessibleText.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace shiftloom {
namespace {

using T = DialogControlType;
using C = DialogControl;

constexpr std::array kDesigns{
    DialogDesign{.window = ProgramWindow::LocateDialog,
        .title = "LOCATE DATA FOLDER",
        .clientWidth = 6315,
        .clientHeight = 4125,
        .closeBox = false,
        .sizable = true,
        .ownTaskbarButton = true,
        .programIcon = false,
        .modal = false},
    DialogDesign{
        .window = ProgramWindow::ActivityDialog, .title = "SELECT ACTIVITY", .clientWidth = 2400, .clientHeight = 870},
    DialogDesign{.window = ProgramWindow::AboutBox,
        .title = "About MyApp",
        .clientWidth = 5730,
        .clientHeight = 2325,
        .clientLeft = 2340,
        .clientTop = 1935,
        .modal = false},
};

// The layout tables read best one control to a line or two.
// clang-format off
constexpr std::array kLocate{
    DialogControlDesign{.control = C::LocateFrame, .type = T::Frame, .width = 6450, .height = 4380,
        .caption = "Please locate Card-Warden data store: ", .backColour = colours::ButtonShadow,
        .foreColour = colours::HighlightText},
    DialogControlDesign{.control = C::DriveList, .type = T::DropDownList, .left = 180, .top = 315, .width = 3480,
        .height = 315, .tabIndex = 3},
    DialogControlDesign{.control = C::FolderTree, .type = T::FolderList, .left = 180, .top = 720, .width = 4920,
        .height = 2565, .tabIndex = 2},
    // The status line ends at the client area's edge: the design's last twips lie beyond it and
    // would cut off the end of its right-aligned text.
    DialogControlDesign{.control = C::LocateStatus, .type = T::Label, .left = 4050, .top = 360, .width = 6315 - 4050,
        .height = 240, .backColour = colours::ButtonShadow, .foreColour = 0x0000FFFFu, .alignment = Alignment::Right},
    DialogControlDesign{.control = C::PathCaption, .type = T::Label, .left = 180, .top = 3360, .width = 1695,
        .height = 195, .caption = "Or enter UNC path:", .backColour = colours::ButtonShadow},
    DialogControlDesign{.control = C::PathBox, .type = T::TextBox, .left = 180, .top = 3600, .width = 4935,
        .height = 315, .tabIndex = 4},
    DialogControlDesign{.control = C::LocateCancel, .type = T::Button, .left = 5265, .top = 3015, .width = 915,
        .height = 375, .caption = "Cancel", .tabIndex = 0, .isCancel = true},
    DialogControlDesign{.control = C::LocateOk, .type = T::Button, .left = 5280, .top = 3555, .width = 915,
        .height = 375, .caption = "OK", .tabIndex = 1, .enabled = false},
};

// An activity item (code, "  :  ", number) is 21 characters: the narrow cut of the face fits it
// in the designed width wherever the dialog's font is a wider stand-in.
constexpr std::array kActivity{
    DialogControlDesign{.control = C::ActivityChoice, .type = T::ComboBox, .left = 180, .top = 240, .width = 1995,
        .height = 315, .tabIndex = 0, .font = {"Arial Narrow", 8.25, false}},
};

// The etched separator is two lines on top of each other: a white one two pixels wide, and a
// grey one of one pixel drawn over its upper edge.
constexpr std::array kAbout{
    DialogControlDesign{.control = C::AboutIcon, .type = T::Picture, .left = 240, .top = 240, .width = 540,
        .height = 540},
    DialogControlDesign{.control = C::AboutTitle, .type = T::Label, .left = 1050, .top = 240, .width = 3885,
        .height = 480, .caption = "Application Title", .foreColour = 0x00000000u},
    DialogControlDesign{.control = C::AboutVersion, .type = T::Label, .left = 1050, .top = 780, .width = 3885,
        .height = 225, .caption = "Version"},
    DialogControlDesign{.control = C::AboutSeparator, .index = 0, .type = T::Line, .left = 60, .top = 1320,
        .width = 5549, .foreColour = 0x00FFFFFFu, .lineWidth = 2},
    DialogControlDesign{.control = C::AboutSeparator, .index = 1, .type = T::Line, .left = 60, .top = 1320,
        .width = 5564, .foreColour = 0x00808080u},
    DialogControlDesign{.control = C::AboutOk, .type = T::Button, .left = 4320, .top = 1440, .width = 1260,
        .height = 345, .caption = "OK", .tabIndex = 0, .isDefault = true, .isCancel = true},
    DialogControlDesign{.control = C::AboutSystemInfo, .type = T::Button, .left = 4320, .top = 1860, .width = 1245,
        .height = 345, .caption = "&System Info...", .tabIndex = 1},
};
// clang-format on

} // namespace

const DialogDesign& dialogDesign(ProgramWindow window)
{
    for (const DialogDesign& design : kDesigns) {
        if (design.window == window)
            return design;
    }
    std::abort(); // the panel is no dialog
}

std::span<const DialogControlDesign> dialogControls(ProgramWindow window)
{
    switch (window) {
    case ProgramWindow::LocateDialog:
        return kLocate;
    case ProgramWindow::ActivityDialog:
        return kActivity;
    case ProgramWindow::AboutBox:
        return kAbout;
    case ProgramWindow::Panel:
        break;
    }
    return {};
}

const DialogControlDesign& dialogControl(DialogControl control, int index)
{
    for (const ProgramWindow window :
        {ProgramWindow::LocateDialog, ProgramWindow::ActivityDialog, ProgramWindow::AboutBox}) {
        for (const DialogControlDesign& design : dialogControls(window)) {
            if (design.control == control && design.index == index)
                return design;
        }
    }
    std::abort(); // a control of no dialog is a programming error
}

std::vector<const DialogControlDesign*> dialogTabOrder(ProgramWindow window)
{
    std::vector<const DialogControlDesign*> order;
    for (const DialogControlDesign& design : dialogControls(window)) {
        if (design.tabIndex >= 0)
            order.push_back(&design);
    }
    std::sort(order.begin(), order.end(), [](auto* a, auto* b) { return a->tabIndex < b->tabIndex; });
    return order;
}

ControlState dialogControlState(const DialogControlDesign& design)
{
    return {std::string(design.caption),
        design.backColour,
        design.foreColour,
        design.enabled,
        true,
        {},
        dialogAccessibleText(design.control)};
}

} // namespace shiftloom
