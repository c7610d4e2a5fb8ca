// SPDX-License-Identifier: MIT
#include "PanelLayout.h"

#include "panel/Colour.h"

#include <algorithm>
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
constexpr int kSlots = 10;

constexpr std::array<std::string_view, 10> kDigits = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
constexpr std::array<int, 10> kKeypadLeft = {5520, 5040, 5520, 5100, 5040, 5520, 5100, 5040, 5520, 5100};
constexpr std::array<int, 10> kKeypadTop = {2940, 2520, 2520, 2280, 2100, 2100, 1860, 1680, 1680, 1440};

// The keyboard focus order: the first control takes the focus when the window is first shown.
int tabIndexOf(ControlRef ref)
{
    static const std::vector<ControlRef> order = [] {
        std::vector<ControlRef> o{
            ControlRef{PanelControl::InKey}, ControlRef{PanelControl::StopAll}, ControlRef{PanelControl::KeypadEcho}};
        for (int i = 0; i < 10; ++i)
            o.push_back(digitKey(i));
        o.push_back(ControlRef{PanelControl::HashKey});
        o.push_back(ControlRef{PanelControl::ClearKey});
        for (int i = 0; i < 5; ++i)
            o.push_back(jobButton(i));
        o.push_back(ControlRef{PanelControl::JobList});
        for (int i = 5; i < 10; ++i)
            o.push_back(jobButton(i));
        for (int i = 0; i < 10; ++i)
            o.push_back(elapsedBox(i));
        o.push_back(ControlRef{PanelControl::CloseButton});
        o.push_back(ControlRef{PanelControl::CardNumber});
        o.push_back(ControlRef{PanelControl::Total});
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
    add({.ref = ControlRef{PanelControl::DragStrip}, .type = T::Label, .left = 0, .top = 0, .width = 2895, .height = 435,
        .backColour = colours::Highlight, .font = kArial});
    add({.ref = titleWord(0), .type = T::Label, .left = 120, .top = 0, .width = 615, .height = 315,
        .caption = "Ovix", .backColour = 0x00000000u, .foreColour = 0x000080FFu,
        .font = {"Trebuchet MS", 14.25, true}, .transparent = true});
    add({.ref = titleWord(1), .type = T::Label, .left = 660, .top = 0, .width = 1515, .height = 315,
        .caption = "SHIFT-LOOM", .backColour = 0x00000000u, .foreColour = kWhite,
        .font = {"Trebuchet MS", 14.25, false}, .alignment = Alignment::Right, .transparent = true});
    add({.ref = ControlRef{PanelControl::CloseButton}, .type = T::Button, .left = 2580, .top = 0, .width = 315, .height = 315,
        .caption = "X", .backColour = kRed, .font = {"Tahoma", 9.75, true}, .graphical = true});

    // Clock, job list, card number and activity.
    add({.ref = ControlRef{PanelControl::Clock}, .type = T::Label, .left = 120, .top = 540, .width = 2655, .height = 435,
        .caption = "00:00:00", .backColour = kDarkBlue, .foreColour = kWhite, .font = {"Arial", 14.25, false},
        .alignment = Alignment::Centre, .border = true});
    add({.ref = ControlRef{PanelControl::JobList}, .type = T::ComboBox, .left = 120, .top = 1020, .width = 1875, .height = 315,
        .font = kSansSerif, .sorted = true});
    add({.ref = ControlRef{PanelControl::CardNumber}, .type = T::TextBox, .left = 2040, .top = 1020, .width = 735, .height = 315,
        .caption = "1234", .toolTip = "Card-Warden Card Number", .font = kArial});
    add({.ref = ControlRef{PanelControl::ActivityCode}, .type = T::Label, .left = 120, .top = 1380, .width = 1575, .height = 315,
        .foreColour = kWhite, .font = {"Arial", 9, true}, .transparent = true});
    add({.ref = ControlRef{PanelControl::ActivityNumber}, .type = T::Label, .left = 2040, .top = 1380, .width = 735, .height = 315,
        .foreColour = kWhite, .font = {"Arial", 9, true}, .transparent = true});

    // Job rows.
    for (int i = 0; i < kSlots; ++i) {
        add({.ref = jobButton(i), .type = T::Button, .left = 120, .top = 1740 + 360 * i, .width = 1635,
            .height = 315, .caption = "[empty]", .backColour = IdleColour, .font = {"Arial", 9.75, true},
            .graphical = true});
    }
    for (int i = 0; i < kSlots; ++i) {
        add({.ref = elapsedBox(i), .type = T::TextBox, .left = 1740, .top = 1740 + 360 * i, .width = 1035,
            .height = 315, .caption = "00:00:00", .backColour = kDarkBlue, .foreColour = kWhite,
            .font = {"Arial", 9, false}, .alignment = Alignment::Centre});
    }

    // Bottom row.
    add({.ref = ControlRef{PanelControl::StopAll}, .type = T::Button, .left = 120, .top = 5400, .width = 1635, .height = 375,
        .caption = "STOP ALL", .backColour = kRed, .font = {"MS Sans Serif", 9.75, true}, .graphical = true});
    add({.ref = ControlRef{PanelControl::Total}, .type = T::TextBox, .left = 1740, .top = 5400, .width = 1035, .height = 375,
        .caption = "00:00:00", .font = {"Arial", 9.75, true}, .alignment = Alignment::Centre});

    // Beyond the right edge: the keypad and the tray control.
    add({.ref = ControlRef{PanelControl::InKey}, .type = T::Button, .left = 4980, .top = 3420, .width = 735, .height = 375,
        .caption = "IN", .backColour = RunningColour, .font = {"MS Sans Serif", 13.5, true}, .graphical = true});
    add({.ref = ControlRef{PanelControl::KeypadEcho}, .type = T::TextBox, .left = 5100, .top = 1260, .width = 1275, .height = 315,
        .font = kSansSerif});
    for (int i = 0; i < kSlots; ++i) {
        const auto k = static_cast<std::size_t>(i);
        add({.ref = digitKey(i), .type = T::Button, .left = kKeypadLeft[k], .top = kKeypadTop[k],
            .width = 315, .height = 315, .caption = kDigits[k], .font = kSansSerif});
    }
    add({.ref = ControlRef{PanelControl::HashKey}, .type = T::Button, .left = 5100, .top = 2700, .width = 315, .height = 315,
        .caption = "#", .font = kSansSerif});
    add({.ref = ControlRef{PanelControl::ClearKey}, .type = T::Button, .left = 5040, .top = 2940, .width = 315, .height = 315,
        .caption = "C", .font = kSansSerif});
    // The tray control keeps a face of 36 x 36 pixels whatever size it is given.
    add({.ref = ControlRef{PanelControl::TrayIcon}, .type = T::TrayIcon, .left = 5340, .top = 300, .width = 36 * kTwipsPerPixelAt96Dpi,
        .height = 36 * kTwipsPerPixelAt96Dpi, .toolTip = "  Ovix Tick-Fob", .font = kArial});
    // clang-format on
    return c;
}

} // namespace

const PanelDesign& panelDesign()
{
    static constexpr PanelDesign design{2880, 5925, 0x00915B20u, kArial};
    return design;
}

std::span<const ControlDesign> panelControls()
{
    static const std::vector<ControlDesign> controls = buildControls();
    return controls;
}

std::size_t controlIndex(ControlRef ref)
{
    // Elements of an array stand one after the other in the table, so the place of element i is
    // the place of element 0 plus i.
    static const std::array<std::size_t, kPanelControlCount> first = [] {
        std::array<std::size_t, kPanelControlCount> f{};
        f.fill(SIZE_MAX);
        const auto controls = panelControls();
        for (std::size_t i = controls.size(); i-- > 0;)
            f[static_cast<std::size_t>(controls[i].ref.control)] = i;
        return f;
    }();
    const std::size_t base = first[static_cast<std::size_t>(ref.control)];
    const std::size_t slot = base + static_cast<std::size_t>(ref.index < 0 ? 0 : ref.index);
    const auto controls = panelControls();
    if (base == SIZE_MAX || slot >= controls.size() || !(controls[slot].ref == ref))
        std::abort(); // a ControlRef outside the window is a programming error
    return slot;
}

const ControlDesign& designOf(ControlRef ref)
{
    return panelControls()[controlIndex(ref)];
}

int shownWidth(const ControlDesign& design)
{
    if (design.ref.control != PanelControl::ActivityNumber)
        return design.width;
    return std::max(design.width, panelDesign().clientWidth - design.left);
}

const FontDesign& fontOf(const ControlDesign& design)
{
    return design.font.family.empty() ? panelDesign().font : design.font;
}

} // namespace shiftloom
