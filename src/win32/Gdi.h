// SPDX-License-Identifier: MIT
#pragma once

#include "panel/Colour.h"
#include "panel/PanelLayout.h"
#include "panel/TwipsScale.h"

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

/** The twips scale of the monitor `window` is on (the system's while it has no window yet). */
TwipsScale scaleOfWindow(HWND window);
inline RECT toRect(const PixelRect& r)
{
    return RECT{r.left, r.top, r.right, r.bottom};
}
/** The frame of a window whose client area is `client`, with the frame's metrics at `scale`. */
RECT windowFrame(const TwipsScale& scale, RECT client, DWORD style, DWORD exStyle);
/** A system metric (SM_CXSMICON, SM_CYEDGE, ...) at `scale`. */
inline int systemMetric(const TwipsScale& scale, int index)
{
    return GetSystemMetricsForDpi(index, static_cast<UINT>(scale.dpi()));
}

/** The colour to draw for a stored colour: a system colour number looks up the desktop's scheme. */
COLORREF colourRef(Colour colour);

/**
 * Solid brushes and fonts made once per colour and design at one scale. Fonts are TrueType
 * faces, which scale to any resolution: a design's bitmap face (MS Sans Serif) is drawn in its
 * scalable twin.
 */
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

/** Owns an icon and destroys it with the owner. */
class IconHandle final
{
public:
    IconHandle() = default;
    explicit IconHandle(HICON icon)
        : m_icon(icon)
    {
    }
    ~IconHandle() { reset(); }
    IconHandle(IconHandle&& other) noexcept
        : m_icon(std::exchange(other.m_icon, nullptr))
    {
    }
    IconHandle& operator=(IconHandle&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_icon = std::exchange(other.m_icon, nullptr);
        }
        return *this;
    }
    IconHandle(const IconHandle&) = delete;
    IconHandle& operator=(const IconHandle&) = delete;

    HICON get() const { return m_icon; }
    void reset(HICON icon = nullptr)
    {
        if (m_icon)
            DestroyIcon(m_icon);
        m_icon = icon;
    }

private:
    HICON m_icon = nullptr;
};

/** The program's icon (resource 1, images of 16 to 256 pixels) at `pixels` x `pixels`. */
IconHandle programIcon(int pixels);

/**
 * A window's own icons, the small one (title bar, Alt+Tab) and the large one, at the sizes the
 * window's scale asks for; `apply` again after a change of scale.
 */
class WindowIcons final
{
public:
    void apply(HWND window, const TwipsScale& scale);

private:
    IconHandle m_small;
    IconHandle m_large;
};

} // namespace shiftloom::win32
