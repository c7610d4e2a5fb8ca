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
    AboutControlDesign{.name = "picIcon",
        .type = AboutControlType::Picture,
        .left = 240,
        .top = 240,
        .width = 540,
        .height = 540,
        .tabIndex = 1,
        .autoSize = true},
    AboutControlDesign{.name = "lblTitle",
        .type = AboutControlType::Label,
        .left = 1050,
        .top = 240,
        .width = 3885,
        .height = 480,
        .caption = "Application Title",
        .colour = 0x00000000u},
    AboutControlDesign{.name = "lblVersion",
        .type = AboutControlType::Label,
        .left = 1050,
        .top = 780,
        .width = 3885,
        .height = 225,
        .caption = "Version"},
    AboutControlDesign{.name = "Line1",
        .index = 0,
        .type = AboutControlType::Line,
        .x1 = 60,
        .y1 = 1320,
        .x2 = 5609,
        .y2 = 1320,
        .colour = 0x00FFFFFFu,
        .borderWidth = 2},
    AboutControlDesign{.name = "Line1",
        .index = 1,
        .type = AboutControlType::Line,
        .x1 = 60,
        .y1 = 1320,
        .x2 = 5624,
        .y2 = 1320,
        .colour = 0x00808080u,
        .borderWidth = 1},
    AboutControlDesign{.name = "cmdOK",
        .type = AboutControlType::Button,
        .left = 4320,
        .top = 1440,
        .width = 1260,
        .height = 345,
        .caption = "OK",
        .tabIndex = 0,
        .isDefault = true,
        .isCancel = true},
    AboutControlDesign{.name = "cmdSysInfo",
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

const AboutControlDesign* aboutBoxControl(std::string_view name, int index)
{
    for (const AboutControlDesign& control : kControls) {
        if (control.name == name && control.index == index)
            return &control;
    }
    return nullptr;
}

} // namespace shiftloom
