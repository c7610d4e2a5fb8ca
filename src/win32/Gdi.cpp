// SPDX-License-Identifier: MIT
#include "Gdi.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

namespace shiftloom::win32 {
namespace {

int CALLBACK noteFamily(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool installed(std::string_view family)
{
    LOGFONTA wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    family.copy(wanted.lfFaceName, std::min(family.size(), sizeof(wanted.lfFaceName) - 1));
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExA(screen, &wanted, noteFamily, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

/**
 * The face to ask for: the design's own, or where a desktop lacks it (Wine without the Windows
 * fonts), a face of about its width. The title's two words in Trebuchet MS just fit side by side;
 * a wider face would push "SHIFT-LOOM" over "Ovix".
 */
std::string faceFor(std::string_view family)
{
    struct StandIn
    {
        std::string_view family;
        std::array<std::string_view, 2> faces;
    };
    static constexpr std::array<StandIn, 2> standIns{{
        {"Trebuchet MS", {"Liberation Sans Narrow", "DejaVu Sans Condensed"}},
        {"Arial Narrow", {"Liberation Sans Narrow", "DejaVu Sans Condensed"}},
    }};
    if (installed(family))
        return std::string(family);
    for (const StandIn& standIn : standIns) {
        if (standIn.family != family)
            continue;
        for (const std::string_view face : standIn.faces) {
            if (installed(face))
                return std::string(face);
        }
    }
    return std::string(family);
}

} // namespace

TwipsScale TwipsScale::ofScreen()
{
    HDC screen = GetDC(nullptr);
    const int dpiX = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    const int dpiY = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen)
        ReleaseDC(nullptr, screen);
    return TwipsScale(dpiX > 0 ? dpiX : 96, dpiY > 0 ? dpiY : 96);
}

int TwipsScale::toPixels(double twips, int dpi)
{
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

COLORREF colourRef(Colour colour)
{
    if (isSystemColour(colour))
        return GetSysColor(systemColourIndex(colour));
    return RGB(redOf(colour), greenOf(colour), blueOf(colour));
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
        const int height = -static_cast<int>(std::lround(design.points * m_scale.dpiY() / 72.0));
        HFONT font = CreateFontA(height,
            0,
            0,
            0,
            design.bold ? FW_BOLD : FW_NORMAL,
            FALSE,
            FALSE,
            FALSE,
            ANSI_CHARSET,
            OUT_DEFAULT_PRECIS,
            CLIP_DEFAULT_PRECIS,
            DEFAULT_QUALITY,
            DEFAULT_PITCH | FF_SWISS,
            faceFor(design.family).c_str());
        found = m_fonts.emplace(key, GdiObject<HFONT>(font)).first;
    }
    return found->second.get();
}

} // namespace shiftloom::win32
