// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace shiftloom {

/**
 * A colour as the windows store it: 0x00BBGGRR, or 0x800000nn for the system colour number nn of
 * the desktop's colour scheme (5 window background, 13 highlight, 14 highlight text, 15 button
 * face, 16 button shadow).
 */
using Colour = std::uint32_t;

inline constexpr Colour kSystemColourFlag = 0x80000000u;
inline constexpr bool isSystemColour(Colour colour)
{
    return (colour & kSystemColourFlag) != 0;
}
inline constexpr int systemColourIndex(Colour colour)
{
    return static_cast<int>(colour & 0xFFu);
}
inline constexpr int redOf(Colour colour)
{
    return static_cast<int>(colour & 0xFFu);
}
inline constexpr int greenOf(Colour colour)
{
    return static_cast<int>((colour >> 8) & 0xFFu);
}
inline constexpr int blueOf(Colour colour)
{
    return static_cast<int>((colour >> 16) & 0xFFu);
}

namespace colours {
inline constexpr Colour Highlight = 0x8000000Du;
inline constexpr Colour HighlightText = 0x8000000Eu;
inline constexpr Colour ButtonFace = 0x8000000Fu;
inline constexpr Colour ButtonShadow = 0x80000010u;
inline constexpr Colour WindowText = 0x80000008u;
inline constexpr Colour ButtonText = 0x80000012u;
} // namespace colours

/** The colour of a running job button: green. */
inline constexpr Colour RunningColour = 0x0000C000u;
/** The colour of an idle job button: the system button face. */
inline constexpr Colour IdleColour = colours::ButtonFace;

} // namespace shiftloom
