// SPDX-License-Identifier: MIT
#include "TwipsScale.h"

#include "panel/PanelLayout.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace shiftloom {

namespace {
constexpr double kDesignDpi = 96.0;
} // namespace

TwipsScale TwipsScale::forScreen(const QScreen* screen)
{
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return TwipsScale{};
    const double dpi = screen->logicalDotsPerInch();
    return TwipsScale{dpi > 0 ? dpi / kDesignDpi : 1.0};
}

int TwipsScale::toPixels(double twips) const
{
    return static_cast<int>(std::lround(twips * m_factor / kTwipsPerPixelAt96Dpi));
}

QRect TwipsScale::toPixels(int left, int top, int width, int height) const
{
    const int x = toPixels(left);
    const int y = toPixels(top);
    return QRect(x, y, toPixels(left + width) - x, toPixels(top + height) - y);
}

double TwipsScale::toTwips(double pixels) const
{
    return pixels * kTwipsPerPixelAt96Dpi / m_factor;
}

QPointF TwipsScale::toTwips(QPointF pixels) const
{
    return {toTwips(pixels.x()), toTwips(pixels.y())};
}

} // namespace shiftloom
