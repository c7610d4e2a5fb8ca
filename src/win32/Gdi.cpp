// SPDX-License-Identifier: MIT
#include "Gdi.h"

#include "win32/EdgeText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

namespace shiftloom::win32 {
namespace {

int CALLBACK noteFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool installed(std::wstring_view family)
{
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    family.copy(wanted.lfFaceName, std::min(family.size(), std::size(wanted.lfFaceName) - 1));
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, noteFamily, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

/** The face of the system's message font: Segoe UI on current Windows, in whatever language. */
std::wstring messageFace()
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return L"Tahoma";
    return metrics.lfMessageFont.lfFaceName;
}

/**
 * The face to ask for: the design's own, or where a desktop lacks it (Wine without the Windows
 * fonts), a face of about its width. The title's two words in Trebuchet MS just fit side by side;
 * a wider face would push "SHIFT-LOOM" over "Ovix". MS Sans Serif is a bitmap face, in a few
 * sizes for 96 and 120 dpi only, blurred or coarse at any other scale: its TrueType twin of the
 * same widths takes its place, or else the system's message font.
 */
std::wstring faceFor(std::string_view design)
{
    struct StandIn
    {
        std::wstring_view family;
        std::array<std::wstring_view, 2> faces;
    };
    static constexpr std::array<StandIn, 3> standIns{{
        {L"Trebuchet MS", {L"Liberation Sans Narrow", L"DejaVu Sans Condensed"}},
        {L"Arial Narrow", {L"Liberation Sans Narrow", L"DejaVu Sans Condensed"}},
        {L"MS Sans Serif", {L"Microsoft Sans Serif", L""}},
    }};
    const std::wstring family(design.begin(), design.end()); // the design's faces are ASCII
    const bool bitmapFace = family == L"MS Sans Serif";
    if (!bitmapFace && installed(family))
        return family;
    for (const StandIn& standIn : standIns) {
        if (standIn.family != family)
            continue;
        for (const std::wstring_view face : standIn.faces) {
            if (!face.empty() && installed(face))
                return std::wstring(face);
        }
    }
    return bitmapFace ? messageFace() : family;
}

} // namespace

TwipsScale scaleOfWindow(HWND window)
{
    return TwipsScale(window ? GetDpiForWindow(window) : GetDpiForSystem());
}

RECT windowFrame(const TwipsScale& scale, RECT client, DWORD style, DWORD exStyle)
{
    AdjustWindowRectExForDpi(&client, style, FALSE, exStyle, static_cast<UINT>(scale.dpi()));
    return client;
}

COLORREF colourRef(Colour colour)
{
    if (isSystemColour(colour))
        return GetSysColor(systemColourIndex(colour));
    return RGB(redOf(colour), greenOf(colour), blueOf(colour));
}

COLORREF colourOr(Colour colour, int systemIndex)
{
    return colour == kDefaultColour ? GetSysColor(systemIndex) : colourRef(colour);
}

void drawText(HDC dc, std::string_view text, RECT box, UINT format)
{
    const std::wstring shown = wide(text);
    DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &box, format);
}

HBRUSH GdiCache::brush(COLORREF colour)
{
    auto found = m_brushes.find(colour);
    if (found == m_brushes.end())
        found = m_brushes.emplace(colour, GdiObject<HBRUSH>(CreateSolidBrush(colour))).first;
    return found->second.get();
}

HFONT GdiCache::font(const FontDesign& design)
{
    const auto key = std::make_tuple(std::string(design.family), design.points, design.bold);
    auto found = m_fonts.find(key);
    if (found == m_fonts.end()) {
        // A negative height asks for the character height, which is what a point size measures.
        const int height = -static_cast<int>(std::lround(design.points * m_scale.dpi() / 72.0));
        HFONT font = CreateFontW(height,
            0,
            0,
            0,
            design.bold ? FW_BOLD : FW_NORMAL,
            FALSE,
            FALSE,
            FALSE,
            ANSI_CHARSET,
            OUT_TT_PRECIS,
            CLIP_DEFAULT_PRECIS,
            DEFAULT_QUALITY,
            DEFAULT_PITCH | FF_SWISS,
            faceFor(design.family).c_str());
        found = m_fonts.emplace(key, GdiObject<HFONT>(font)).first;
    }
    return found->second.get();
}

IconHandle programIcon(int pixels)
{
    // The icon file holds an image for every common size; the system scales the nearest one
    // for any other.
    return IconHandle(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, pixels, pixels, LR_DEFAULTCOLOR)));
}

void WindowIcons::apply(HWND window, const TwipsScale& scale)
{
    IconHandle small = programIcon(systemMetric(scale, SM_CXSMICON));
    IconHandle large = programIcon(systemMetric(scale, SM_CXICON));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large.get()));
    // The window holds the new ones now; the old ones may go.
    m_small = std::move(small);
    m_large = std::move(large);
}

} // namespace shiftloom::win32
