#pragma once
// TColor: red in the lowest byte; the top bit set names a system colour by its index.
#include <windows.h>
#include <cstdint>

using TColor = std::uint32_t;

constexpr TColor kSystemColorFlag = 0x80000000u;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clGray = 0x808080;
constexpr TColor clBtnFace = kSystemColorFlag | COLOR_BTNFACE;
constexpr TColor clBtnShadow = kSystemColorFlag | COLOR_BTNSHADOW;
constexpr TColor clBtnHighlight = kSystemColorFlag | COLOR_BTNHIGHLIGHT;
constexpr TColor clGrayText = kSystemColorFlag | COLOR_GRAYTEXT;
constexpr TColor clWindowText = kSystemColorFlag | COLOR_WINDOWTEXT;

inline COLORREF ColorToRGB(TColor color) {
    if (color & kSystemColorFlag) return GetSysColor(static_cast<int>(color & 0xFF));
    return static_cast<COLORREF>(color & 0xFFFFFF);
}

// Whether the user has turned high contrast on.
inline bool HighContrastOn() {
    HIGHCONTRASTA contrast{sizeof contrast};
    return SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

// The colour to draw a text or frame in: under high contrast a fixed colour gives way to the
// system colour of its kind (systemIndex, such as COLOR_WINDOWTEXT), so that it stays
// readable on the user's background; otherwise the colour as designed.
inline COLORREF ShownColor(TColor color, int systemIndex, bool highContrast = HighContrastOn()) {
    if (highContrast && !(color & kSystemColorFlag)) return GetSysColor(systemIndex);
    return ColorToRGB(color);
}
