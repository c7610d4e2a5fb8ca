// SPDX-License-Identifier: MIT
#pragma once

#include "panel/Colour.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace shiftloom {

/**
 * The controls of the panel window, by what they are for. The hidden keypad and the IN key lie
 * beyond the window's right edge: never seen at the design size, but real, and in the keyboard's
 * focus order. Everything the panel knows lives in its model, not in controls.
 */
enum class PanelControl : std::uint8_t
{
    DragStrip,
    TitleWord, // array 0..1: "Ovix", "SHIFT-LOOM"
    CloseButton,
    Clock,
    JobList,
    CardNumber,
    ActivityCode,
    ActivityNumber,
    JobButton, // array 0..9
    ElapsedBox, // array 0..9
    StopAll,
    Total,
    InKey,
    KeypadEcho,
    DigitKey, // array 0..9
    HashKey,
    ClearKey,
    TrayIcon,
};

inline constexpr std::size_t kPanelControlCount = static_cast<std::size_t>(PanelControl::TrayIcon) + 1;

/** One control, or one element of a control array. */
struct ControlRef
{
    PanelControl control;
    int index = -1; ///< -1 for a control that is not part of an array
    bool operator==(const ControlRef&) const = default;
};

/** The controls that come in tens, by element. */
inline constexpr ControlRef titleWord(int i)
{
    return {PanelControl::TitleWord, i};
}
inline constexpr ControlRef jobButton(int slot)
{
    return {PanelControl::JobButton, slot};
}
inline constexpr ControlRef elapsedBox(int slot)
{
    return {PanelControl::ElapsedBox, slot};
}
inline constexpr ControlRef digitKey(int digit)
{
    return {PanelControl::DigitKey, digit};
}

enum class ControlType : std::uint8_t
{
    Label,
    Button,
    TextBox,
    ComboBox,
    TrayIcon,
};

enum class Alignment : std::uint8_t
{
    Left,
    Right,
    Centre,
};

struct FontDesign
{
    std::string_view family{};
    double points = 8.25;
    bool bold = false;
};

/** A colour left to the window system's default for the control's type. */
inline constexpr Colour kDefaultColour = 0xFFFFFFFFu;

/** The design-time properties of one control; positions and sizes in twips. */
struct ControlDesign
{
    ControlRef ref{};
    ControlType type{};
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::string_view caption{}; ///< caption or text at design time
    std::string_view toolTip{};
    Colour backColour = kDefaultColour;
    Colour foreColour = kDefaultColour;
    FontDesign font{};
    Alignment alignment = Alignment::Left;
    bool transparent = false;
    bool border = false; ///< single-line border around a label
    bool visible = true;
    bool graphical = false; ///< a button whose back colour shows
    bool sorted = false; ///< a combo box that lists its items sorted
    int tabIndex = -1; ///< place in the keyboard focus order; -1 for controls that take no focus
};

/** Design of the window itself: a thin fixed frame, no title bar, no taskbar button. */
struct PanelDesign
{
    int clientWidth;
    int clientHeight;
    Colour backColour;
    FontDesign font;
};

inline constexpr int kTwipsPerPixelAt96Dpi = 15;

const PanelDesign& panelDesign();
/** Every control of the panel, in the order of its layout table (elements of an array together). */
std::span<const ControlDesign> panelControls();
/** The design of one control; `ref` must name a control of the panel. */
const ControlDesign& designOf(ControlRef ref);
/**
 * The width a control is shown at, in twips: its design's, but for the activity number, whose
 * eight digits in its bold font are wider than that. Nothing lies to its right up to the
 * window's edge, so it takes that room rather than cutting off the last digit.
 */
int shownWidth(const ControlDesign& design);
/** The font a control is drawn in: its own, or the window's where it has none. */
const FontDesign& fontOf(const ControlDesign& design);
/** The place of a control in `panelControls()`; `ref` must name a control of the panel. */
std::size_t controlIndex(ControlRef ref);

} // namespace shiftloom
