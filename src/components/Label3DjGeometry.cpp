#include "components/Label3DjGeometry.h"

#include <cmath>

namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;

long double Radians(long double degrees) {
    return degrees * kPi / 180.0L;
}

// Truncation toward zero, exactly: the placement's arithmetic is fixed, rounding artefacts
// of exact angles included (sin 180 degrees is about -5e-20, not 0).
int Trunc(long double value) {
    return static_cast<int>(value);
}

}  // namespace

int NormalizeEscapement(int degrees) {
    // Negative angles: whole turns up to -360, then one more turn, giving 0..359.
    if (degrees < 0) {
        int rest = degrees % 360;
        return rest == 0 ? 0 : rest + 360;
    }
    // Positive ones: whole turns off while above 360, giving 1..360.
    if (degrees > 360) {
        int rest = degrees % 360;
        return rest == 0 ? 360 : rest;
    }
    return degrees;
}

std::vector<TEffectPass> EffectPasses(TTextStyle style, int shift) {
    switch (style) {
    case tsNone: return {};
    case tsRaised: return {{1, 1, pcShadow}};
    case tsLightRaised: return {{1, 1, pcShadow}, {-1, -1, pcHighlight}};
    case tsRecessed: return {{1, 1, pcHighlight}};
    case tsHeavyRecessed: return {{1, 1, pcHighlight}, {-1, -1, pcShadow}};
    case tsShadow: return {{shift, shift, pcShadow}};
    }
    return {};
}

TRotatedPlacement RotatedPlacement(int escapement, int cx, int cy) {
    const long double a = escapement;
    const long double theta = Radians(a);
    const long double sinT = std::sin(theta);
    const long double cosT = std::cos(theta);
    TRotatedPlacement placement{};
    if (escapement <= 90) {
        placement.dx = 0;
        placement.dy = Trunc(sinT * cx);
    } else if (escapement <= 180) {
        placement.dx = Trunc(-cosT * cx);
        placement.dy = Trunc(std::cos(Radians(180 - a)) * cy + sinT * cx);
    } else if (escapement <= 270) {
        placement.dx = Trunc(std::sin(Radians(a - 180)) * cy - cosT * cx);
        placement.dy = Trunc(std::sin(Radians(270 - a)) * cy);
    } else {
        placement.dx = Trunc(std::sin(Radians(360 - a)) * cy);
        placement.dy = 0;
    }
    placement.width = std::abs(Trunc(cosT * cx)) + std::abs(Trunc(sinT * cy));
    placement.height = std::abs(Trunc(sinT * cx)) + std::abs(Trunc(cosT * cy));
    return placement;
}

UINT CaptionFlags(TAlignment alignment, bool wordWrap, bool showAccelChar, TEllipsesStyle ellipses,
                  TTextLayout layout, int escapement) {
    UINT flags = DT_EXPANDTABS;
    if (wordWrap) flags |= DT_WORDBREAK;
    switch (alignment) {
    case taLeftJustify: flags |= DT_LEFT; break;
    case taRightJustify: flags |= DT_RIGHT; break;
    case taCenter: flags |= DT_CENTER; break;
    }
    if (!showAccelChar) flags |= DT_NOPREFIX;
    if (ellipses == esEnd) flags |= DT_END_ELLIPSIS;
    if (ellipses == esPath) flags |= DT_PATH_ELLIPSIS;
    // DT_VCENTER and DT_BOTTOM work on single lines only, hence the word wrap's loss.
    if (escapement == 0) {
        if (layout == tlCenter) flags |= DT_VCENTER | DT_SINGLELINE;
        if (layout == tlBottom) flags |= DT_BOTTOM | DT_SINGLELINE;
    }
    return flags;
}

int RotatedAlignmentOffset(TAlignment alignment, int width, int rotatedWidth) {
    switch (alignment) {
    case taLeftJustify: return 0;
    case taRightJustify: return width - rotatedWidth;
    case taCenter: return (width - rotatedWidth) / 2;  // C++ division truncates toward zero
    }
    return 0;
}
