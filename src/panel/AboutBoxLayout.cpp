// SPDX-License-Identifier: MIT
#include "AboutBoxLayout.h"

#include <array>

namespace shiftloom {
namespace {

constexpr AboutBoxDesign kForm{
    .caption = "About MyApp",
    .clientLeft = 2340,
    .clientTop = 1935,
    .clientWidth = 5730,
    .clientHeight = 2325,
    .resizable = false,
    .controlBox = true,
    .minButton = false,
    .maxButton = false,
    .showInTaskbar = false,
    .modal = false,
};

// The etched separator is two lines on top of each other: a white one two pixels wide, and a
// grey one of one pixel drawn over its upper edge.
constexpr std::array kControls{
    AboutControlDesign{.control = DialogControl::AboutIcon,
        .type = AboutControlType::Picture,
        .left = 240,
        .top = 240,
        .width = 540,
        .height = 540,
        .tabIndex = 1,
        .autoSize = true},
    AboutControlDesign{.control = DialogControl::AboutTitle,
        .type = AboutControlType::Label,
        .left = 1050,
        .top = 240,
        .width = 3885,
        .height = 480,
        .caption = "Application Title",
        .colour = 0x00000000u},
    AboutControlDesign{.control = DialogControl::AboutVersion,
        .type = AboutControlType::Label,
        .left = 1050,
        .top = 780,
        .width = 3885,
        .height = 225,
        .caption = "Version"},
    AboutControlDesign{.control = DialogControl::AboutSeparator,
        .index = 0,
        .type = AboutControlType::Line,
        .x1 = 60,
        .y1 = 1320,
        .x2 = 5609,
        .y2 = 1320,
        .colour = 0x00FFFFFFu,
        .borderWidth = 2},
    AboutControlDesign{.control = DialogControl::AboutSeparator,
        .index = 1,
        .type = AboutControlType::Line,
        .x1 = 60,
        .y1 = 1320,
        .x2 = 5624,
        .y2 = 1320,
        .colour = 0x00808080u,
        .borderWidth = 1},
    AboutControlDesign{.control = DialogControl::AboutOk,
        .type = AboutControlType::Button,
        .left = 4320,
        .top = 1440,
        .width = 1260,
        .height = 345,
        .caption = "OK",
        .tabIndex = 0,
        .isDefault = true,
        .isCancel = true},
    AboutControlDesign{.control = DialogControl::AboutSystemInfo,
        .type = AboutControlType::Button,
        .left = 4320,
        .top = 1860,
        .width = 1245,
        .height = 345,
        .caption = "&System Info...",
        .tabIndex = 2},
};

} // namespace

const AboutBoxDesign& aboutBoxDesign()
{
    return kForm;
}

std::span<const AboutControlDesign> aboutBoxControls()
{
    return kControls;
}

const AboutControlDesign* aboutBoxControl(DialogControl control, int index)
{
    for (const AboutControlDesign& design : kControls) {
        if (design.control == control && design.index == index)
            return &design;
    }
    return nullptr;
}

} // namespace shiftloom
