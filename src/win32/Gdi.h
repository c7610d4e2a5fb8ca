// SPDX-License-Identifier: MIT
#pragma once

#include "panel/Colour.h"
#include "panel/PanelLayout.h"
#include "panel/TwipsScale.h"

#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace shiftloom::win32 {

/** Owns one handle and gives it back with `Free` (DeleteObject, DestroyIcon) when the owner goes. */
template<typename Handle, auto Free> class OwnedHandle final
{
public:
    OwnedHandle() = default;
    explicit OwnedHandle(Handle handle)
        : m_handle(handle)
    {
    }
    ~OwnedHandle() { reset(); }
    OwnedHandle(OwnedHandle&& other) noexcept
        : m_handle(std::exchange(other.m_handle, nullptr))
    {
    }
    OwnedHandle& operator=(OwnedHandle&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    Handle get() const { return m_handle; }
    void reset(Handle handle = nullptr)
    {
        if (m_handle)
            Free(m_handle);
        m_handle = handle;
    }

private:
    Handle m_handle = nullptr;
};

/** One GDI object (font, brush, pen, bitmap). */
template<typename Handle> using GdiObject = OwnedHandle<Handle, &DeleteObject>;
/** One icon. */
using IconHandle = OwnedHandle<HICON, &DestroyIcon>;

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
/** The colour to draw for `colour`, or the system colour `systemIndex` (COLOR_BTNTEXT, ...) for the default one. */
COLORREF colourOr(Colour colour, int systemIndex);
/** Draws the Windows-1252 text `text` in `box` as DrawTextW does with `format`. */
void drawText(HDC dc, std::string_view text, RECT box, UINT format);

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
