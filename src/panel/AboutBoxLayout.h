// SPDX-License-Identifier: MIT
#pragma once

#include "panel/Colour.h"
#include "panel/ControlNames.h"

#include <span>
#include <string_view>

namespace shiftloom {

enum class AboutControlType
{
    Picture,
    Label,
    Line,
    Button,
};

/**
 * The design of one control of the about box, in twips. Lines use x1, y1, x2, y2; the other
 * controls left, top, width and height.
 */
struct AboutControlDesign
{
    DialogControl control;
    int index = -1; ///< element of a control array, or -1
    AboutControlType type = AboutControlType::Label;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    std::string_view caption{};
    Colour colour = 0xFFFFFFFFu; ///< text colour of a label, colour of a line; all ones: the default
    int borderWidth = 1; ///< line width in pixels
    int tabIndex = -1; ///< place in the focus order, or -1 for controls that take no focus
    bool isDefault = false; ///< pressed by Enter
    bool isCancel = false; ///< pressed by Esc
    bool autoSize = false; ///< a picture that takes the size of its image
};

/** The about box window itself; the position is that of the client area on the screen. */
struct AboutBoxDesign
{
    std::string_view caption;
    int clientLeft;
    int clientTop;
    int clientWidth;
    int clientHeight;
    bool resizable;
    bool controlBox;
    bool minButton;
    bool maxButton;
    bool showInTaskbar;
    bool modal;
};

const AboutBoxDesign& aboutBoxDesign();
/** Every control of the about box, in the order in which they are drawn (bottom first). */
std::span<const AboutControlDesign> aboutBoxControls();
/** The control `control` (element `index`), or none. */
const AboutControlDesign* aboutBoxControl(DialogControl control, int index = -1);

/** Twips to pixels at 96 dots per inch (15 twips a pixel), to the nearest pixel. */
constexpr int twipsToPixels(int twips)
{
    return (twips + 7) / 15;
}

} // namespace shiftloom
