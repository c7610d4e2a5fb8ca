// SPDX-License-Identifier: MIT
#pragma once

#include <cmath>

namespace shiftloom {

/** A rectangle in pixels: its four edges, the right and bottom ones just outside it. */
struct PixelRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const PixelRect&) const = default;
};

/**
 * The windows' design unit, the twip (1/1440 inch), in pixels at one screen's dots per inch and
 * back: 15 twips a pixel at 96 dpi (100 %), 10 at 144 dpi (150 %). Each window takes the scale of
 * the screen it is on, so that the panel and its dialogs keep their physical size.
 */
class TwipsScale final
{
public:
    static constexpr double kDesignDpi = 96.0;
    static constexpr double kTwipsPerInch = 1440.0;

    explicit TwipsScale(double dpi = kDesignDpi)
        : m_dpi(dpi > 0 ? dpi : kDesignDpi)
    {
    }

    double dpi() const { return m_dpi; }
    /** A position or length in twips as whole pixels, to the nearest. */
    int pixels(double twips) const { return static_cast<int>(std::lround(twips * m_dpi / kTwipsPerInch)); }
    double twips(double pixels) const { return pixels * kTwipsPerInch / m_dpi; }
    /** A length in pixels at 96 dpi (an icon's size, a margin) as pixels at this scale. */
    int fromDesignPixels(int designPixels) const
    {
        return static_cast<int>(std::lround(designPixels * m_dpi / kDesignDpi));
    }
    /**
     * A control's place in twips as pixels. The edges are rounded each on its own, not the width,
     * so that controls that touch in the design still touch on the screen.
     */
    PixelRect rect(int left, int top, int width, int height) const
    {
        return {pixels(left), pixels(top), pixels(left + width), pixels(top + height)};
    }

private:
    double m_dpi;
};

} // namespace shiftloom
