// SPDX-License-Identifier: MIT
#pragma once

#include "panel/Colour.h"
#include "panel/PanelLayout.h"

#include <map>
#include <string>
#include <tuple>
#include <utility>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace shiftloom::win32 {

/** Owns one GDI object (font, brush, pen, bitmap) and deletes it with the owner. */
template<typename Handle> class GdiObject final
{
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle)
        : m_handle(handle)
    {
    }
    ~GdiObject() { reset(); }
    GdiObject(GdiObject&& other) noexcept
        : m_handle(std::exchange(other.m_handle, nullptr))
    {
    }
    GdiObject& operator=(GdiObject&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    Handle get() const { return m_handle; }
    void reset(Handle handle = nullptr)
    {
        if (m_handle)
            DeleteObject(m_handle);
        m_handle = handle;
    }

private:
    Handle m_handle = nullptr;
};

/**
 * Twips to pixels with the screen's dots per inch, across and down separately: 15 twips a pixel
 * at 96 dpi.
 */
class TwipsScale final
{
public:
    /** The scale of the screen the program runs on. */
    static TwipsScale ofScreen();
    TwipsScale(int dpiX, int dpiY)
        : m_dpiX(dpiX)
        , m_dpiY(dpiY)
    {
    }

    int x(double twips) const { return toPixels(twips, m_dpiX); }
    int y(double twips) const { return toPixels(twips, m_dpiY); }
    double twipsX(double pixels) const { return pixels * 1440.0 / m_dpiX; }
    double twipsY(double pixels) const { return pixels * 1440.0 / m_dpiY; }
    /** A control's place: its edges rounded each on its own, so that neighbours meet exactly. */
    RECT rect(int left, int top, int width, int height) const
    {
        return RECT{x(left), y(top), x(left + width), y(top + height)};
    }
    int dpiY() const { return m_dpiY; }

private:
    static int toPixels(double twips, int dpi);
    int m_dpiX;
    int m_dpiY;
};

/** The colour to draw for a stored colour: a system colour number looks up the desktop's scheme. */
COLORREF colourRef(Colour colour);

/** Solid brushes and fonts made once per colour and design, kept for the run of the program. */
class GdiCache final
{
public:
    explicit GdiCache(const TwipsScale& scale)
        : m_scale(scale)
    {
    }
    HBRUSH brush(COLORREF colour);
    HFONT font(const FontDesign& design);

private:
    TwipsScale m_scale;
    std::map<COLORREF, GdiObject<HBRUSH>> m_brushes;
    std::map<std::tuple<std::string, double, bool>, GdiObject<HFONT>> m_fonts;
};

} // namespace shiftloom::win32
