// SPDX-License-Identifier: MIT
#pragma once

#include <QPointF>
#include <QRect>

class QScreen;

namespace shiftloom {

/**
 * Converts the windows' design units, twips (1/1440 inch), to Qt's device-independent pixels and
 * back. At 96 dots per inch a pixel is 15 twips; on a screen of another logical density the
 * layout grows or shrinks with it, so that the panel keeps its physical size.
 */
class TwipsScale final
{
public:
    /** The scale of `screen` (its logical dpi / 96); the primary screen when null. */
    static TwipsScale forScreen(const QScreen* screen);

    explicit TwipsScale(double factor = 1.0)
        : m_factor(factor)
    {
    }

    double factor() const { return m_factor; }
    /** A position in twips as whole pixels. */
    int toPixels(double twips) const;
    /**
     * A rectangle in twips as pixels. The edges are rounded, not the width, so that controls
     * that touch in the design still touch on the screen.
     */
    QRect toPixels(int left, int top, int width, int height) const;
    double toTwips(double pixels) const;
    QPointF toTwips(QPointF pixels) const;

private:
    double m_factor;
};

} // namespace shiftloom
