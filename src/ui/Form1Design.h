// SPDX-License-Identifier: MIT
#pragma once

#include "panel/Colour.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace shiftloom {

/** The controls of the main window `Form1`, by the names every handler uses. */
enum class ControlName : std::uint8_t
{
    Label6,
    Label4, // array 0..1
    Command7,
    Label2,
    Combo1,
    Text3,
    Label10,
    Label11,
    Command6, // array 0..9
    Text2, // array 0..9
    Command2,
    Text4,
    Label5, // array 0..9
    cwdir,
    Command1,
    Command8,
    Label7,
    Label8,
    Label9,
    Label1,
    Text1,
    Command3, // array 0..9
    Command4,
    Command5,
    Tray1,
};

inline constexpr std::size_t kControlNameCount = static_cast<std::size_t>(ControlName::Tray1) + 1;

/** One control, or one element of a control array. */
struct ControlRef
{
    ControlName name;
    int index = -1; ///< -1 for a control that is not part of an array
    bool operator==(const ControlRef&) const = default;
};

enum class ControlType : std::uint8_t
{
    Label,
    Button,
    TextBox,
    ComboBox,
    TrayControl,
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
    std::string_view caption{}; ///< caption or text
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

/** Design of the window itself. */
struct FormDesign
{
    int clientWidth;
    int clientHeight;
    Colour backColour;
    FontDesign font;
};

inline constexpr int kSlotCount = 10;
inline constexpr int kTwipsPerPixelAt96Dpi = 15;

const FormDesign& form1Design();
/** Every control of `Form1`, in the order of the window's layout tables. */
std::span<const ControlDesign> form1Controls();
/** The design of one control; `ref` must name a control of the window. */
const ControlDesign& designOf(ControlRef ref);
/** The place of a control in `form1Controls()`; `ref` must name a control of the window. */
std::size_t controlSlot(ControlRef ref);
/** The control's name as the handlers write it: "Command6(3)", "cwdir". */
std::string_view controlName(ControlName name);

/** Short names for the controls, for the handlers: `ctl::Label2`, `ctl::Command6(i)`. */
namespace ctl {
inline constexpr ControlRef Label6{ControlName::Label6};
inline constexpr ControlRef Label4(int i)
{
    return {ControlName::Label4, i};
}
inline constexpr ControlRef Command7{ControlName::Command7};
inline constexpr ControlRef Label2{ControlName::Label2};
inline constexpr ControlRef Combo1{ControlName::Combo1};
inline constexpr ControlRef Text3{ControlName::Text3};
inline constexpr ControlRef Label10{ControlName::Label10};
inline constexpr ControlRef Label11{ControlName::Label11};
inline constexpr ControlRef Command6(int i)
{
    return {ControlName::Command6, i};
}
inline constexpr ControlRef Text2(int i)
{
    return {ControlName::Text2, i};
}
inline constexpr ControlRef Command2{ControlName::Command2};
inline constexpr ControlRef Text4{ControlName::Text4};
inline constexpr ControlRef Label5(int i)
{
    return {ControlName::Label5, i};
}
inline constexpr ControlRef cwdir{ControlName::cwdir};
inline constexpr ControlRef Command1{ControlName::Command1};
inline constexpr ControlRef Command8{ControlName::Command8};
inline constexpr ControlRef Label7{ControlName::Label7};
inline constexpr ControlRef Label8{ControlName::Label8};
inline constexpr ControlRef Label9{ControlName::Label9};
inline constexpr ControlRef Label1{ControlName::Label1};
inline constexpr ControlRef Text1{ControlName::Text1};
inline constexpr ControlRef Command3(int i)
{
    return {ControlName::Command3, i};
}
inline constexpr ControlRef Command4{ControlName::Command4};
inline constexpr ControlRef Command5{ControlName::Command5};
inline constexpr ControlRef Tray1{ControlName::Tray1};
} // namespace ctl

} // namespace shiftloom
