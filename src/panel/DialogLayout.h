// SPDX-License-Identifier: MIT
#pragma once

#include "panel/Colour.h"
#include "panel/ControlNames.h"
#include "panel/PanelLayout.h"
#include "panel/PanelView.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace shiftloom {

enum class DialogControlType : std::uint8_t
{
    Frame, ///< a frame with its caption set into its top edge, filled with its back colour
    Label,
    Button,
    TextBox,
    ComboBox, ///< a text field with a list to pick from
    DropDownList, ///< a list to pick from, no text field
    FolderList, ///< the folders of a drive, to open one after the other
    Picture, ///< the program's icon, at its own size
    Line, ///< from (left, top) to (left + width, top + height)
};

/** The design of one control of a dialog; places and sizes in twips within the client area. */
struct DialogControlDesign
{
    DialogControl control{};
    int index = -1; ///< element of a control array, or -1
    DialogControlType type = DialogControlType::Label;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::string_view caption{};
    Colour backColour = kDefaultColour;
    Colour foreColour = kDefaultColour;
    Alignment alignment = Alignment::Left;
    int tabIndex = -1; ///< place in the focus order; -1 for a control that takes no focus
    bool enabled = true; ///< when the dialog opens
    bool isDefault = false; ///< pressed by Enter
    bool isCancel = false; ///< pressed by Esc
    int lineWidth = 1; ///< a line's width in pixels at 96 dpi
    FontDesign font{}; ///< an empty family: the dialog's font
};

/** A dialog window: its title, its client area in twips and how the window system frames it. */
struct DialogDesign
{
    ProgramWindow window{};
    std::string_view title;
    int clientWidth = 0;
    int clientHeight = 0;
    /** Where the client area stands on the screen, in twips; -1: centred over the panel. */
    int clientLeft = -1;
    int clientTop = -1;
    FontDesign font{"MS Sans Serif", 8.25, false};
    bool closeBox = true; ///< a close box in the title bar (and a system menu)
    bool sizable = false;
    bool ownTaskbarButton = false; ///< a window of its own on the taskbar, not one of the panel's
    bool programIcon = true; ///< the program's icon in its title bar, or none
    bool modal = true;
};

/** The locate, activity and about dialogs, each described once for both front ends. */
const DialogDesign& dialogDesign(ProgramWindow window);
/** Every control of a dialog, in the order they are drawn (bottom first). */
std::span<const DialogControlDesign> dialogControls(ProgramWindow window);
/** One control of a dialog; `control` (element `index`) must be one of them. */
const DialogControlDesign& dialogControl(DialogControl control, int index = -1);
/** The controls of a dialog that take the focus, in the order Tab walks them. */
std::vector<const DialogControlDesign*> dialogTabOrder(ProgramWindow window);
/**
 * What a control of a dialog shows when the dialog opens: its design's caption, colours and
 * enabling, and its texts for a screen reader. The dialogs' models say what changes after.
 */
ControlState dialogControlState(const DialogControlDesign& design);

} // namespace shiftloom
