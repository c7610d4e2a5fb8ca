// SPDX-License-Identifier: MIT
#include "Form1Design.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace shiftloom {
namespace {

constexpr FontDesign kArial{"Arial", 8.25, false};
constexpr FontDesign kSansSerif{"MS Sans Serif", 8.25, false};
constexpr Colour kWhite = 0x00FFFFFFu;
constexpr Colour kDarkBlue = 0x00400000u;
constexpr Colour kRed = 0x000000FFu;

constexpr std::array<std::string_view, 10> kDigits = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
constexpr std::array<int, 10> kKeypadLeft = {5520, 5040, 5520, 5100, 5040, 5520, 5100, 5040, 5520, 5100};
constexpr std::array<int, 10> kKeypadTop = {2940, 2520, 2520, 2280, 2100, 2100, 1860, 1680, 1680, 1440};

// The keyboard focus order: the first control takes the focus when the window is first shown.
int tabIndexOf(ControlRef ref)
{
    static const std::vector<ControlRef> order = [] {
        std::vector<ControlRef> o{ctl::Command1, ctl::Command2, ctl::Text1};
        for (int i = 0; i < 10; ++i)
            o.push_back(ctl::Command3(i));
        o.push_back(ctl::Command4);
        o.push_back(ctl::Command5);
        for (int i = 0; i < 5; ++i)
            o.push_back(ctl::Command6(i));
        o.push_back(ctl::Combo1);
        for (int i = 5; i < 10; ++i)
            o.push_back(ctl::Command6(i));
        for (int i = 0; i < 10; ++i)
            o.push_back(ctl::Text2(i));
        o.push_back(ctl::Command7);
        o.push_back(ctl::Text3);
        o.push_back(ctl::Text4);
        o.push_back(ctl::Command8);
        return o;
    }();
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (order[i] == ref)
            return static_cast<int>(i);
    }
    return -1;
}

std::vector<ControlDesign> buildControls()
{
    std::vector<ControlDesign> c;
    auto add = [&c](ControlDesign d) {
        d.tabIndex = tabIndexOf(d.ref);
        c.push_back(d);
    };
    using T = ControlType;

    // The layout table reads best one control to a line or two.
    // clang-format off

    // Top strip.
    add({.ref = ctl::Label6, .type = T::Label, .left = 0, .top = 0, .width = 2895, .height = 435,
        .backColour = colours::Highlight, .font = kArial});
    add({.ref = ctl::Label4(0), .type = T::Label, .left = 120, .top = 0, .width = 615, .height = 315,
        .caption = "Ovix", .backColour = 0x00000000u, .foreColour = 0x000080FFu,
        .font = {"Trebuchet MS", 14.25, true}, .transparent = true});
    add({.ref = ctl::Label4(1), .type = T::Label, .left = 660, .top = 0, .width = 1515, .height = 315,
        .caption = "SHIFT-LOOM", .backColour = 0x00000000u, .foreColour = kWhite,
        .font = {"Trebuchet MS", 14.25, false}, .alignment = Alignment::Right, .transparent = true});
    add({.ref = ctl::Command7, .type = T::Button, .left = 2580, .top = 0, .width = 315, .height = 315,
        .caption = "X", .backColour = kRed, .font = {"Tahoma", 9.75, true}, .graphical = true});

    // Clock, job list, card number and activity.
    add({.ref = ctl::Label2, .type = T::Label, .left = 120, .top = 540, .width = 2655, .height = 435,
        .caption = "00:00:00", .backColour = kDarkBlue, .foreColour = kWhite, .font = {"Arial", 14.25, false},
        .alignment = Alignment::Centre, .border = true});
    add({.ref = ctl::Combo1, .type = T::ComboBox, .left = 120, .top = 1020, .width = 1875, .height = 315,
        .caption = "Combo1", .font = kSansSerif, .sorted = true});
    add({.ref = ctl::Text3, .type = T::TextBox, .left = 2040, .top = 1020, .width = 735, .height = 315,
        .caption = "1234", .toolTip = "Card-Warden Card Number", .font = kArial});
    add({.ref = ctl::Label10, .type = T::Label, .left = 120, .top = 1380, .width = 1575, .height = 315,
        .foreColour = kWhite, .font = {"Arial", 9, true}, .transparent = true});
    add({.ref = ctl::Label11, .type = T::Label, .left = 2040, .top = 1380, .width = 735, .height = 315,
        .foreColour = kWhite, .font = {"Arial", 9, true}, .transparent = true});

    // Job rows.
    for (int i = 0; i < kSlotCount; ++i) {
        add({.ref = ctl::Command6(i), .type = T::Button, .left = 120, .top = 1740 + 360 * i, .width = 1635,
            .height = 315, .caption = "[empty]", .backColour = IdleColour, .font = {"Arial", 9.75, true},
            .graphical = true});
    }
    for (int i = 0; i < kSlotCount; ++i) {
        add({.ref = ctl::Text2(i), .type = T::TextBox, .left = 1740, .top = 1740 + 360 * i, .width = 1035,
            .height = 315, .caption = "00:00:00", .backColour = kDarkBlue, .foreColour = kWhite,
            .font = {"Arial", 9, false}, .alignment = Alignment::Centre});
    }

    // Bottom row.
    add({.ref = ctl::Command2, .type = T::Button, .left = 120, .top = 5400, .width = 1635, .height = 375,
        .caption = "STOP ALL", .backColour = kRed, .font = {"MS Sans Serif", 9.75, true}, .graphical = true});
    add({.ref = ctl::Text4, .type = T::TextBox, .left = 1740, .top = 5400, .width = 1035, .height = 375,
        .caption = "00:00:00", .font = {"Arial", 9.75, true}, .alignment = Alignment::Centre});

    // Beyond the right edge: holders, the keypad and the tray control.
    for (int i = 0; i < kSlotCount; ++i) {
        add({.ref = ctl::Label5(i), .type = T::Label, .left = 3720, .top = 1680 + 360 * i, .width = 1035,
            .height = 315, .caption = "Label5", .font = {"Arial Narrow", 11.25, true}});
    }
    add({.ref = ctl::cwdir, .type = T::Label, .left = 5460, .top = 1440, .width = 75, .height = 675,
        .caption = "c:\\", .font = kSansSerif, .visible = false});
    add({.ref = ctl::Command1, .type = T::Button, .left = 4980, .top = 3420, .width = 735, .height = 375,
        .caption = "IN", .backColour = RunningColour, .font = {"MS Sans Serif", 13.5, true}, .graphical = true});
    add({.ref = ctl::Command8, .type = T::Button, .left = 4980, .top = 3300, .width = 495, .height = 255,
        .caption = "Command8", .backColour = IdleColour, .font = kArial});
    add({.ref = ctl::Label7, .type = T::Label, .left = 3120, .top = 60, .width = 435, .height = 195,
        .caption = "N", .font = kArial});
    add({.ref = ctl::Label8, .type = T::Label, .left = 3960, .top = 540, .width = 855, .height = 255,
        .caption = "Label8", .font = kArial});
    add({.ref = ctl::Label9, .type = T::Label, .left = 3960, .top = 840, .width = 795, .height = 195,
        .caption = "Label9", .font = kArial});
    add({.ref = ctl::Label1, .type = T::Label, .left = 4920, .top = 4620, .width = 1035, .height = 255,
        .caption = "Label1", .font = kSansSerif});
    add({.ref = ctl::Text1, .type = T::TextBox, .left = 5100, .top = 1260, .width = 1275, .height = 315,
        .font = kSansSerif});
    for (int i = 0; i < kSlotCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        add({.ref = ctl::Command3(i), .type = T::Button, .left = kKeypadLeft[k], .top = kKeypadTop[k],
            .width = 315, .height = 315, .caption = kDigits[k], .font = kSansSerif});
    }
    add({.ref = ctl::Command4, .type = T::Button, .left = 5100, .top = 2700, .width = 315, .height = 315,
        .caption = "#", .font = kSansSerif});
    add({.ref = ctl::Command5, .type = T::Button, .left = 5040, .top = 2940, .width = 315, .height = 315,
        .caption = "C", .font = kSansSerif});
    // The tray control keeps a face of 36 x 36 pixels whatever size it is given.
    add({.ref = ctl::Tray1, .type = T::TrayControl, .left = 5340, .top = 300, .width = 36 * kTwipsPerPixelAt96Dpi,
        .height = 36 * kTwipsPerPixelAt96Dpi, .toolTip = "  Ovix Tick-Fob", .font = kArial});
    // clang-format on
    return c;
}

} // namespace

const FormDesign& form1Design()
{
    static constexpr FormDesign design{2880, 5925, 0x00915B20u, kArial};
    return design;
}

std::span<const ControlDesign> form1Controls()
{
    static const std::vector<ControlDesign> controls = buildControls();
    return controls;
}

std::size_t controlSlot(ControlRef ref)
{
    // Elements of an array stand one after the other in the table, so the place of element i is
    // the place of element 0 plus i.
    static const std::array<std::size_t, kControlNameCount> first = [] {
        std::array<std::size_t, kControlNameCount> f{};
        f.fill(SIZE_MAX);
        const auto controls = form1Controls();
        for (std::size_t i = controls.size(); i-- > 0;)
            f[static_cast<std::size_t>(controls[i].ref.name)] = i;
        return f;
    }();
    const std::size_t base = first[static_cast<std::size_t>(ref.name)];
    const std::size_t slot = base + static_cast<std::size_t>(ref.index < 0 ? 0 : ref.index);
    const auto controls = form1Controls();
    if (base == SIZE_MAX || slot >= controls.size() || !(controls[slot].ref == ref))
        std::abort(); // a ControlRef outside the window is a programming error
    return slot;
}

const ControlDesign& designOf(ControlRef ref)
{
    return form1Controls()[controlSlot(ref)];
}

std::string_view controlName(ControlName name)
{
    static constexpr std::array<std::string_view, kControlNameCount> names = {"Label6",
        "Label4",
        "Command7",
        "Label2",
        "Combo1",
        "Text3",
        "Label10",
        "Label11",
        "Command6",
        "Text2",
        "Command2",
        "Text4",
        "Label5",
        "cwdir",
        "Command1",
        "Command8",
        "Label7",
        "Label8",
        "Label9",
        "Label1",
        "Text1",
        "Command3",
        "Command4",
        "Command5",
        "Tray1"};
    return names[static_cast<std::size_t>(name)];
}

} // namespace shiftloom
