#include <gtest/gtest.h>

#include <windows.h>
#include <cmath>
#include <functional>
#include <string>
#include <vector>
#include "base/Exception.h"
#include "base/GraphicControl.h"
#include "base/Panel.h"
#include "components/Label3Dj.h"
#include "components/Label3DjGeometry.h"

namespace {

// ---------------------------------------------------------------- geometry

TEST(Label3DjGeometry, EscapementComesIntoZeroTo360) {
    const struct { int in, out; } cases[] = {
        {-10, 350}, {-360, 0}, {-730, 350}, {370, 10}, {720, 360}, {0, 0}, {360, 360}, {1, 1},
        {-1, 359}, {-361, 359}, {-720, 0}, {361, 1}, {1080, 360}, {90, 90}, {359, 359},
    };
    for (const auto& c : cases) EXPECT_EQ(NormalizeEscapement(c.in), c.out) << c.in;
}

std::string Describe(const std::vector<TEffectPass>& passes) {
    std::string text;
    for (const TEffectPass& pass : passes)
        text += "(" + std::to_string(pass.dx) + "," + std::to_string(pass.dy) + "," +
                (pass.color == pcShadow ? "shadow" : "highlight") + ")";
    return text;
}

TEST(Label3DjGeometry, EffectPassesByTextStyle) {
    const struct {
        TTextStyle style;
        int shift;
        const char* passes;
    } cases[] = {
        {tsNone, 1, ""},
        {tsRaised, 1, "(1,1,shadow)"},
        {tsRaised, 5, "(1,1,shadow)"},  // Shift is tsShadow's alone
        {tsLightRaised, 3, "(1,1,shadow)(-1,-1,highlight)"},
        {tsRecessed, 1, "(1,1,highlight)"},
        {tsHeavyRecessed, 1, "(1,1,highlight)(-1,-1,shadow)"},
        {tsShadow, 1, "(1,1,shadow)"},
        {tsShadow, 4, "(4,4,shadow)"},
        {tsShadow, 0, "(0,0,shadow)"},  // right under the face
        {tsShadow, -2, "(-2,-2,shadow)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Describe(EffectPasses(c.style, c.shift)), c.passes) << int(c.style) << " shift " << c.shift;
}

std::string Describe(const TRotatedPlacement& p) {
    return "offset " + std::to_string(p.dx) + "," + std::to_string(p.dy) + " size " + std::to_string(p.width) +
           "x" + std::to_string(p.height);
}

TEST(Label3DjGeometry, RotatedPlacementAtQuadrantBoundaries) {
    const int cx = 100, cy = 20;
    const struct {
        int escapement;
        TRotatedPlacement expected;
    } cases[] = {
        {90, {0, cx, cy, cx}},
        // Truncation is exact: sin 180 degrees is just below zero, which costs a pixel.
        {180, {cx, cy - 1, cx, cy}},
        {270, {cy - 1, 0, cy, cx}},
        {360, {0, 0, cx, cy}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Describe(RotatedPlacement(c.escapement, cx, cy)), Describe(c.expected)) << c.escapement;
}

// Worked out from the turned corners of the text cell: the offset brings the lowest
// corner to (0, 0); each size is the sum of the two sides' truncated projections.
TRotatedPlacement FromCorners(int escapement, int cx, int cy) {
    const double t = escapement * std::acos(-1.0) / 180.0;
    // The text runs along u; v points from the cell's top to its bottom (y grows downward).
    const double ux = std::cos(t), uy = -std::sin(t), vx = std::sin(t), vy = std::cos(t);
    const double xs[] = {0, cx * ux, cy * vx, cx * ux + cy * vx};
    const double ys[] = {0, cx * uy, cy * vy, cx * uy + cy * vy};
    double minX = 0, minY = 0;
    for (int i = 0; i < 4; ++i) {
        minX = std::min(minX, xs[i]);
        minY = std::min(minY, ys[i]);
    }
    return {static_cast<int>(-minX), static_cast<int>(-minY),
            static_cast<int>(std::fabs(cx * ux)) + static_cast<int>(std::fabs(cy * vx)),
            static_cast<int>(std::fabs(cx * uy)) + static_cast<int>(std::fabs(cy * vy))};
}

TEST(Label3DjGeometry, RotatedPlacementInsideEachQuadrant) {
    const struct { int cx, cy; } sizes[] = {{100, 20}, {137, 23}};
    for (int escapement : {20, 45, 110, 160, 200, 250, 290, 340})
        for (const auto& s : sizes)
            EXPECT_EQ(Describe(RotatedPlacement(escapement, s.cx, s.cy)), Describe(FromCorners(escapement, s.cx, s.cy)))
                << escapement << " " << s.cx << "x" << s.cy;
}

TEST(Label3DjGeometry, CaptionFlags) {
    const struct {
        TAlignment alignment;
        bool wordWrap, showAccelChar;
        TEllipsesStyle ellipses;
        TTextLayout layout;
        int escapement;
        UINT flags;
    } cases[] = {
        {taLeftJustify, false, true, esNone, tlTop, 0, DT_EXPANDTABS | DT_LEFT},
        {taRightJustify, true, true, esNone, tlTop, 0, DT_EXPANDTABS | DT_WORDBREAK | DT_RIGHT},
        {taCenter, false, false, esEnd, tlCenter, 0,
         DT_EXPANDTABS | DT_CENTER | DT_NOPREFIX | DT_END_ELLIPSIS | DT_VCENTER | DT_SINGLELINE},
        // word wrap asked for, single line drawn
        {taLeftJustify, true, true, esPath, tlBottom, 0,
         DT_EXPANDTABS | DT_WORDBREAK | DT_PATH_ELLIPSIS | DT_BOTTOM | DT_SINGLELINE},
        {taCenter, true, true, esNone, tlCenter, 0, DT_EXPANDTABS | DT_WORDBREAK | DT_CENTER | DT_VCENTER | DT_SINGLELINE},
        // rotated text takes no layout
        {taLeftJustify, true, true, esNone, tlCenter, 90, DT_EXPANDTABS | DT_WORDBREAK},
        {taRightJustify, false, false, esEnd, tlBottom, 360, DT_EXPANDTABS | DT_RIGHT | DT_NOPREFIX | DT_END_ELLIPSIS},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CaptionFlags(c.alignment, c.wordWrap, c.showAccelChar, c.ellipses, c.layout, c.escapement), c.flags)
            << int(c.alignment) << " " << c.wordWrap << " " << int(c.layout) << " " << c.escapement;
}

TEST(Label3DjGeometry, RotatedAlignmentOffset) {
    const struct {
        TAlignment alignment;
        int width, rotatedWidth, offset;
    } cases[] = {
        {taLeftJustify, 50, 20, 0}, {taRightJustify, 50, 20, 30}, {taCenter, 50, 21, 14},
        {taCenter, 20, 25, -2},  // -5 / 2 truncates toward zero
        {taCenter, 20, 23, -1}, {taRightJustify, 20, 25, -5}, {taLeftJustify, 20, 25, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RotatedAlignmentOffset(c.alignment, c.width, c.rotatedWidth), c.offset)
            << int(c.alignment) << " " << c.width << " " << c.rotatedWidth;
}

// ---------------------------------------------------------------- equipment

// A shown window with a panel filling it, so that labels have a real parent window.
struct HostWindow {
    HostWindow() {
        frame = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 320,
                                200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        panel.Create(frame, 1, {0, 0, 320, 200});
        UpdateWindow(frame);
    }
    ~HostWindow() { DestroyWindow(frame); }
    HWND frame;
    TPanel panel;
};

// A 32-bit top-down DIB in a memory DC.
class Bitmap {
public:
    Bitmap(int width, int height, COLORREF fill) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
        dc_ = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<DWORD*>(bits);
        previous_ = SelectObject(dc_, bitmap_);
        RECT all{0, 0, width, height};
        HBRUSH brush = CreateSolidBrush(fill);
        FillRect(dc_, &all, brush);
        DeleteObject(brush);
    }
    ~Bitmap() {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC Dc() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    COLORREF At(int x, int y) const {
        GdiFlush();
        DWORD v = bits_[y * width_ + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }

private:
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_;
    DWORD* bits_ = nullptr;
};

std::string Hex(COLORREF c) {
    char text[16];
    wsprintfA(text, "%06X", static_cast<unsigned>(c));
    return text;
}

// Every pixel against an expectation; reports the count and the first difference.
void ExpectPixels(const Bitmap& bitmap, const std::function<COLORREF(int x, int y)>& expected, const std::string& what) {
    int wrong = 0;
    std::string first;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            if (bitmap.At(x, y) != expected(x, y) && wrong++ == 0)
                first = "(" + std::to_string(x) + "," + std::to_string(y) + ") is " + Hex(bitmap.At(x, y)) +
                        ", expected " + Hex(expected(x, y));
    EXPECT_EQ(wrong, 0) << what << ": first " << first;
}

const COLORREF kBack = RGB(0, 150, 0);
const COLORREF kFace = RGB(0, 0, 200);

// Exact colours: no antialiasing, a scalable font that this machine has.
void UseTestFont(TLabel3Dj& label, int height) {
    label.Font().SetName("IPAPGothic");
    label.Font().SetHeight(height);
    label.Font().SetQuality(NONANTIALIASED_QUALITY);
    label.Font().SetColor(kFace);
}

class CountingLabel : public TLabel3Dj {
public:
    using TLabel3Dj::TLabel3Dj;
    int paints = 0;

protected:
    void Paint(HDC dc) override {
        ++paints;
        TLabel3Dj::Paint(dc);
    }
};

// ---------------------------------------------------------------- painting

struct PassColor {
    int dx, dy;
    COLORREF color;
};

// A transparent 80 x 80 label with a big "A" in the middle, painted on kBack.
void RenderA(Bitmap& bitmap, TTextStyle style, int shift, bool enabled) {
    TLabel3Dj label("Label3D1");
    label.SetAutoSize(false);
    label.SetBounds(0, 0, 80, 80);
    label.SetTransparent(true);
    UseTestFont(label, 48);
    label.SetAlignment(taCenter);
    label.SetLayout(tlCenter);
    label.SetCaption("A");
    label.SetTextStyle(style);
    label.SetEnabled(enabled);
    if (shift != 1) {  // Shift redraws at once, which wants a parent
        HostWindow host;
        host.panel.GraphicControls().Add(&label);
        label.SetShift(shift);
        host.panel.GraphicControls().Remove(&label);
    }
    label.PaintTo(bitmap.Dc());
}

TEST(Label3DjPaint, EachEffectPassIsTheFaceMovedAndRecoloured) {
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF grayText = GetSysColor(COLOR_GRAYTEXT);  // Wine's equals the shadow's
    ASSERT_NE(grayText, kFace);

    Bitmap face(80, 80, kBack);
    RenderA(face, tsNone, 1, true);
    int facePixels = 0, otherPixels = 0;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 80; ++x) {
            if (face.At(x, y) == kFace) ++facePixels;
            else if (face.At(x, y) != kBack) ++otherPixels;
        }
    ASSERT_GT(facePixels, 100);
    ASSERT_EQ(otherPixels, 0) << "tsNone draws the face colour alone";
    auto isFace = [&](int x, int y) { return x >= 0 && y >= 0 && x < 80 && y < 80 && face.At(x, y) == kFace; };

    const struct {
        TTextStyle style;
        int shift;
        bool enabled;
        std::vector<PassColor> passes;
        COLORREF faceColor;
    } cases[] = {
        {tsRaised, 1, true, {{1, 1, shadow}}, kFace},
        {tsLightRaised, 1, true, {{1, 1, shadow}, {-1, -1, highlight}}, kFace},
        {tsRecessed, 1, true, {{1, 1, highlight}}, kFace},
        {tsHeavyRecessed, 1, true, {{1, 1, highlight}, {-1, -1, shadow}}, kFace},
        {tsShadow, 3, true, {{3, 3, shadow}}, kFace},
        {tsShadow, -2, true, {{-2, -2, shadow}}, kFace},
        {tsShadow, 0, true, {{0, 0, shadow}}, kFace},  // hidden under the face
        {tsRaised, 1, false, {{1, 1, shadow}}, grayText},  // disabled: the shadow as usual
        {tsNone, 1, false, {}, grayText},
    };
    for (const auto& c : cases) {
        Bitmap drawn(80, 80, kBack);
        RenderA(drawn, c.style, c.shift, c.enabled);
        // Later passes cover earlier ones, and the face covers them all.
        auto expected = [&](int x, int y) {
            if (isFace(x, y)) return c.faceColor;
            for (auto pass = c.passes.rbegin(); pass != c.passes.rend(); ++pass)
                if (isFace(x - pass->dx, y - pass->dy)) return pass->color;
            return kBack;
        };
        ExpectPixels(drawn, expected, "style " + std::to_string(c.style) + " shift " + std::to_string(c.shift) +
                                          (c.enabled ? "" : " disabled"));
    }
}

TEST(Label3DjPaint, Borders) {
    const COLORREF red = RGB(200, 0, 0), gray = RGB(128, 128, 128), white = RGB(255, 255, 255);
    // A 20 x 10 label: its outer ring is x 0..19, y 0..9.
    auto ring = [](int x, int y) { return x < 20 && y < 10 && (x == 0 || y == 0 || x == 19 || y == 9); };
    auto bevel = [](COLORREF topLeft, COLORREF bottomRight) {
        return [=](int x, int y) -> COLORREF {
            if (y == 0 && x <= 18) return topLeft;  // (19, 0) stays undrawn
            if (x == 0 && y <= 8) return topLeft;   // (0, 9) stays undrawn
            if (x == 19 && y >= 1 && y <= 9) return bottomRight;
            if (y == 9 && x >= 1 && x <= 19) return bottomRight;
            return kBack;
        };
    };
    const struct {
        const char* what;
        bool border;
        TBorderType type;
        int width;
        TPenStyle pen;
        std::function<COLORREF(int, int)> expected;
    } cases[] = {
        {"default", true, btDefault, 1, psSolid, [&](int x, int y) { return ring(x, y) ? red : kBack; }},
        {"recessed", true, btRecessed, 1, psSolid, bevel(gray, white)},
        {"raised", true, btRaised, 1, psSolid, bevel(white, gray)},
        {"width 0", true, btDefault, 0, psSolid, [](int, int) { return kBack; }},
        {"width 0 recessed", true, btRecessed, 0, psSolid, [](int, int) { return kBack; }},
        {"no border", false, btRecessed, 1, psSolid, [](int, int) { return kBack; }},
        {"clear pen", true, btDefault, 1, psClear, [](int, int) { return kBack; }},
    };
    HostWindow host;
    for (const auto& c : cases) {
        TLabel3Dj label("Label3D1");
        host.panel.GraphicControls().Add(&label);
        label.SetAutoSize(false);
        label.SetBounds(0, 0, 20, 10);
        label.SetTransparent(true);
        label.SetBorderColor(red);
        label.SetBorderWidth(c.width);
        label.SetBorderPenStyle(c.pen);
        label.SetBorderType(c.type);
        label.SetBorder(c.border);
        Bitmap drawn(30, 20, kBack);
        label.PaintTo(drawn.Dc());
        ExpectPixels(drawn, c.expected, c.what);
    }
}

TEST(Label3DjPaint, OpaqueFillsItsPlaceTransparentLeavesThePixels) {
    const COLORREF fill = RGB(200, 10, 10);
    for (bool transparent : {false, true}) {
        TLabel3Dj label("Label3D1");
        label.SetAutoSize(false);
        label.SetBounds(0, 0, 20, 10);
        label.SetColor(fill);
        label.SetTransparent(transparent);
        Bitmap drawn(30, 20, kBack);
        label.PaintTo(drawn.Dc());
        ExpectPixels(drawn, [&](int x, int y) { return !transparent && x < 20 && y < 10 ? fill : kBack; },
                     transparent ? "transparent" : "opaque");
    }
}

SIZE Extent(const TLabel3Dj& label, const std::string& text) {
    SIZE extent{};
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, label.Font().Handle());
    GetTextExtentPoint32A(screen, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    return extent;
}

TEST(Label3DjPaint, TurnedBy90AndAutoSizedItTakesCyByCx) {
    TLabel3Dj label("Label3D1");
    UseTestFont(label, 20);
    label.SetTransparent(true);
    label.SetTextStyle(tsNone);
    label.SetCaption("Hello");
    label.SetEscapement(90);
    const SIZE extent = Extent(label, "Hello");
    Bitmap drawn(200, 200, kBack);
    label.PaintTo(drawn.Dc());
    EXPECT_EQ(label.Width(), extent.cy);
    EXPECT_EQ(label.Height(), extent.cx);
    // The text runs upward from (0, cx): its pixels lie in a column cy wide and cx high.
    int minX = 200, maxX = -1, minY = 200, maxY = -1;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x)
            if (drawn.At(x, y) == kFace) {
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
            }
    ASSERT_GE(maxX, 0) << "nothing drawn";
    EXPECT_GE(minX, 0);
    EXPECT_LE(maxX, extent.cy);
    EXPECT_LE(maxY, extent.cx);
    EXPECT_GT(maxY - minY, 2 * (maxX - minX)) << "drawn upright";
}

TEST(Label3DjPaint, ALongRotatedCaptionIsMeasuredWhole) {
    TLabel3Dj label("Label3D1");
    UseTestFont(label, 12);
    const std::string caption(300, 'x');
    label.SetCaption(caption);
    label.SetEscapement(90);
    Bitmap drawn(40, 40, kBack);
    label.PaintTo(drawn.Dc());
    EXPECT_EQ(label.Height(), Extent(label, caption).cx);
    EXPECT_GT(label.Height(), Extent(label, caption.substr(0, 255)).cx);
}

TEST(Label3DjPaint, TheHostPaintsVisibleControlsInOrderEachInItsPlace) {
    HostWindow window;
    TGraphicControlHost host(window.frame);
    TLabel3Dj under("Label3D1"), over("Label3D2"), hidden("Label3D3");
    for (TLabel3Dj* label : {&under, &over, &hidden}) {
        label->SetAutoSize(false);
        host.Add(label);
    }
    under.SetBounds(10, 5, 20, 10);
    under.SetColor(RGB(200, 0, 0));
    over.SetBounds(20, 8, 20, 10);
    over.SetColor(RGB(0, 0, 200));
    over.SetBorderColor(clBlack);
    over.SetBorderWidth(5);  // centred on the edge, so partly outside the label
    over.SetBorder(true);
    hidden.SetBounds(0, 20, 10, 10);
    hidden.SetColor(RGB(0, 200, 0));
    hidden.SetVisible(false);
    Bitmap drawn(60, 30, kBack);
    host.Paint(drawn.Dc());
    EXPECT_EQ(Hex(drawn.At(12, 7)), Hex(RGB(200, 0, 0)));
    EXPECT_EQ(Hex(drawn.At(26, 12)), Hex(RGB(0, 0, 200))) << "the later one on top";
    EXPECT_EQ(Hex(drawn.At(20, 12)), Hex(clBlack));
    EXPECT_EQ(Hex(drawn.At(41, 12)), Hex(kBack)) << "clipped to the label";
    EXPECT_EQ(Hex(drawn.At(5, 25)), Hex(kBack)) << "invisible";
}

// ---------------------------------------------------------------- properties

TEST(Label3DjProperties, SettersRedrawAtOnceInvalidateOrDoNothing) {
    enum Effect { kAtOnce, kInvalidates, kNothing };
    using Step = std::function<void(TLabel3Dj&)>;
    const struct {
        const char* what;
        Step before, change;
        Effect effect;
    } cases[] = {
        {"BorderColor", nullptr, [](TLabel3Dj& l) { l.SetBorderColor(clBlack); }, kAtOnce},
        {"same BorderColor", nullptr, [](TLabel3Dj& l) { l.SetBorderColor(clRed); }, kAtOnce},
        {"BorderPenStyle", nullptr, [](TLabel3Dj& l) { l.SetBorderPenStyle(psDot); }, kAtOnce},
        {"same BorderWidth", nullptr, [](TLabel3Dj& l) { l.SetBorderWidth(1); }, kAtOnce},
        {"Border", nullptr, [](TLabel3Dj& l) { l.SetBorder(true); }, kAtOnce},
        {"same Border", nullptr, [](TLabel3Dj& l) { l.SetBorder(false); }, kAtOnce},
        {"BorderType", nullptr, [](TLabel3Dj& l) { l.SetBorderType(btRaised); }, kAtOnce},
        {"same BorderType", nullptr, [](TLabel3Dj& l) { l.SetBorderType(btDefault); }, kNothing},
        {"Shift", nullptr, [](TLabel3Dj& l) { l.SetShift(2); }, kAtOnce},
        {"same Shift", nullptr, [](TLabel3Dj& l) { l.SetShift(1); }, kNothing},
        {"Escapement", nullptr, [](TLabel3Dj& l) { l.SetEscapement(90); }, kInvalidates},
        {"same Escapement", [](TLabel3Dj& l) { l.SetEscapement(90); }, [](TLabel3Dj& l) { l.SetEscapement(90); },
         kNothing},
        // compared before normalising
        {"720 over 360", [](TLabel3Dj& l) { l.SetEscapement(360); }, [](TLabel3Dj& l) { l.SetEscapement(720); },
         kInvalidates},
        {"TextStyle", nullptr, [](TLabel3Dj& l) { l.SetTextStyle(tsShadow); }, kInvalidates},
        {"same TextStyle", nullptr, [](TLabel3Dj& l) { l.SetTextStyle(tsRaised); }, kNothing},
        {"EllipsesStyle", nullptr, [](TLabel3Dj& l) { l.SetEllipsesStyle(esEnd); }, kInvalidates},
        {"same EllipsesStyle", nullptr, [](TLabel3Dj& l) { l.SetEllipsesStyle(esNone); }, kNothing},
        {"LabelStyle", nullptr, [](TLabel3Dj& l) { l.SetLabelStyle(lsWWWAddress); }, kNothing},
        {"Address", nullptr, [](TLabel3Dj& l) { l.SetAddress("http://example.com/"); }, kNothing},
        {"Caption", nullptr, [](TLabel3Dj& l) { l.SetCaption("x"); }, kInvalidates},
        {"font colour", nullptr, [](TLabel3Dj& l) { l.Font().SetColor(clBlack); }, kInvalidates},
    };
    HostWindow host;
    HWND panel = host.panel.Handle();
    for (const auto& c : cases) {
        CountingLabel label("Label3D1");
        label.SetAutoSize(false);
        label.SetBounds(10, 10, 50, 20);
        if (c.before) c.before(label);
        host.panel.GraphicControls().Add(&label);
        UpdateWindow(panel);
        ValidateRect(panel, nullptr);
        label.paints = 0;
        c.change(label);
        RECT update{};
        bool pending = GetUpdateRect(panel, &update, FALSE) != FALSE;
        switch (c.effect) {
        case kAtOnce:
            EXPECT_EQ(label.paints, 1) << c.what;
            EXPECT_FALSE(pending) << c.what;
            break;
        case kInvalidates:
            EXPECT_EQ(label.paints, 0) << c.what;
            ASSERT_TRUE(pending) << c.what;
            EXPECT_EQ(update.left, 10) << c.what;
            EXPECT_EQ(update.top, 10) << c.what;
            EXPECT_EQ(update.right, 60) << c.what;
            EXPECT_EQ(update.bottom, 30) << c.what;
            UpdateWindow(panel);  // the panel's paint cycle paints it
            EXPECT_EQ(label.paints, 1) << c.what;
            break;
        case kNothing:
            EXPECT_EQ(label.paints, 0) << c.what;
            EXPECT_FALSE(pending) << c.what;
            break;
        }
    }
}

TEST(Label3DjProperties, RedrawingAtOnceWithoutAParentFailsAfterStoring) {
    const struct {
        const char* what;
        std::function<void(TLabel3Dj&)> change;
        std::function<bool(const TLabel3Dj&)> stored;
    } cases[] = {
        {"BorderColor", [](TLabel3Dj& l) { l.SetBorderColor(clBlack); },
         [](const TLabel3Dj& l) { return l.BorderColor() == clBlack; }},
        {"BorderPenStyle", [](TLabel3Dj& l) { l.SetBorderPenStyle(psDash); },
         [](const TLabel3Dj& l) { return l.BorderPenStyle() == psDash; }},
        {"BorderWidth", [](TLabel3Dj& l) { l.SetBorderWidth(3); },
         [](const TLabel3Dj& l) { return l.BorderWidth() == 3; }},
        {"Border", [](TLabel3Dj& l) { l.SetBorder(true); }, [](const TLabel3Dj& l) { return l.Border(); }},
        {"BorderType", [](TLabel3Dj& l) { l.SetBorderType(btRecessed); },
         [](const TLabel3Dj& l) { return l.BorderType() == btRecessed; }},
        {"Shift", [](TLabel3Dj& l) { l.SetShift(3); }, [](const TLabel3Dj& l) { return l.Shift() == 3; }},
    };
    for (const auto& c : cases) {
        TLabel3Dj label("Label3D9");
        try {
            c.change(label);
            ADD_FAILURE() << c.what << " raised nothing";
        } catch (const Exception& error) {
            EXPECT_STREQ(error.what(), "コントロール 'Label3D9' は親ウィンドウを持っていません") << c.what;
        }
        EXPECT_TRUE(c.stored(label)) << c.what;
    }
}

TEST(Label3DjProperties, EllipsesTurnAutoSizeOffForGood) {
    TLabel3Dj label("Label3D1");
    label.SetEllipsesStyle(esEnd);
    EXPECT_FALSE(label.AutoSize());
    label.SetAutoSize(true);
    EXPECT_TRUE(label.AutoSize());
    EXPECT_EQ(label.EllipsesStyle(), esEnd);
}

TEST(Label3DjProperties, AutoSizeFitsTheUnrotatedCaption) {
    TLabel3Dj label("Label3D1");
    UseTestFont(label, 16);
    label.SetCaption("Hello, world");
    RECT measured{0, 0, 0, 0};
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, label.Font().Handle());
    DrawTextA(screen, "Hello, world", -1, &measured, DT_CALCRECT | DT_EXPANDTABS);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(label.Width(), measured.right);
    EXPECT_EQ(label.Height(), measured.bottom);
    EXPECT_EQ(label.Left(), 0);

    // Right-justified, the right edge stays.
    label.SetAlignment(taRightJustify);
    label.SetLeft(100);
    const int right = label.Left() + label.Width();
    label.SetCaption("Hi");
    EXPECT_EQ(label.Left() + label.Width(), right);
    EXPECT_LT(label.Width(), measured.right);

    label.SetCaption("");
    EXPECT_GT(label.Height(), 0) << "an empty caption keeps a line's height";
}

// ---------------------------------------------------------------- the host's mouse handling

class Probe : public TGraphicControl {
public:
    Probe(const std::string& name, std::vector<std::string>& log) : TGraphicControl(name), log_(log) {}
    void MouseEnter() override {
        log_.push_back("enter " + Name());
        if (whileEntering) {
            whileEntering();
            log_.push_back("entered " + Name());
        }
    }
    void MouseLeave() override { log_.push_back("leave " + Name()); }
    void Click() override { log_.push_back("click " + Name()); }
    std::function<void()> whileEntering;

private:
    std::vector<std::string>& log_;
};

class HostMouseTest : public ::testing::Test {
protected:
    void SetUp() override {
        host.Bind(window.frame);
        a.SetBounds(0, 0, 20, 20);
        b.SetBounds(10, 0, 20, 20);  // overlaps a on x 10..19, and lies on top
        host.Add(&a);
        host.Add(&b);
    }
    bool Send(UINT message, int x, int y) {
        LRESULT result = 0;
        return host.HandleMessage(message, 0, MAKELPARAM(x, y), result);
    }
    std::vector<std::string> Take() {
        std::vector<std::string> taken;
        taken.swap(log);
        return taken;
    }
    using Log = std::vector<std::string>;

    HostWindow window;
    TGraphicControlHost host;
    Log log;
    Probe a{"a", log}, b{"b", log};
};

TEST_F(HostMouseTest, EnterAndLeaveFollowThePointerTopmostFirst) {
    Send(WM_MOUSEMOVE, 5, 5);
    EXPECT_EQ(Take(), (Log{"enter a"}));
    Send(WM_MOUSEMOVE, 6, 7);
    EXPECT_EQ(Take(), Log{});
    Send(WM_MOUSEMOVE, 15, 5);
    EXPECT_EQ(Take(), (Log{"leave a", "enter b"}));
    Send(WM_MOUSEMOVE, 50, 50);
    EXPECT_EQ(Take(), (Log{"leave b"}));
    EXPECT_EQ(host.Hovered(), nullptr);

    b.SetEnabled(false);
    Send(WM_MOUSEMOVE, 15, 5);
    EXPECT_EQ(Take(), (Log{"enter a"})) << "a disabled control is not hit";
    Send(WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(Take(), (Log{"leave a"}));
}

TEST_F(HostMouseTest, AClickIsDownAndUpOnTheSameControl) {
    EXPECT_TRUE(Send(WM_LBUTTONDOWN, 5, 5));
    EXPECT_TRUE(Send(WM_LBUTTONUP, 6, 6));
    EXPECT_EQ(Take(), (Log{"click a"}));
    Send(WM_LBUTTONDOWN, 5, 5);
    Send(WM_LBUTTONUP, 25, 5);
    EXPECT_EQ(Take(), Log{});
    EXPECT_FALSE(Send(WM_LBUTTONDOWN, 50, 50));
    EXPECT_FALSE(Send(WM_LBUTTONUP, 5, 5));
    EXPECT_EQ(Take(), Log{});
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(HostMouseTest, TheHoveredControlsCursor) {
    a.SetCursor(crHandPoint);
    Send(WM_MOUSEMOVE, 5, 5);
    LRESULT result = 0;
    const LPARAM client = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    EXPECT_TRUE(host.HandleMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(window.frame), client, result));
    EXPECT_EQ(result, TRUE);
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_HAND));
    EXPECT_FALSE(host.HandleMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(window.panel.Handle()), client, result))
        << "another window's cursor";
    Send(WM_MOUSEMOVE, 25, 5);
    EXPECT_FALSE(host.HandleMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(window.frame), client, result))
        << "crDefault leaves it to the window";
}

TEST(HostedInAPanel, ThePanelHandsItsMouseToItsControls) {
    HostWindow window;
    std::vector<std::string> log;
    Probe a("a", log);
    a.SetBounds(10, 10, 20, 20);
    window.panel.GraphicControls().Add(&a);
    HWND panel = window.panel.Handle();
    SendMessageA(panel, WM_MOUSEMOVE, 0, MAKELPARAM(15, 15));
    SendMessageA(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 15));
    SendMessageA(panel, WM_LBUTTONUP, 0, MAKELPARAM(16, 16));
    EXPECT_EQ(log, (std::vector<std::string>{"enter a", "click a"}));
}

// ---------------------------------------------------------------- link behaviour

class LinkLabel : public TLabel3Dj {
public:
    LinkLabel() : TLabel3Dj("Label3D1") {
        OnClick = [this](TGraphicControl&) { log.push_back("click"); };
    }
    std::vector<std::string> log;
    bool launchFails = false;

protected:
    void LaunchAddress(const std::string& file) override {
        log.push_back("launch " + file + " cursor " + std::to_string(Cursor()));
        if (launchFails) throw Exception("no shell");
    }
};

TEST(Label3DjLink, HoverUnderlinesReddensAndPointsOnlyForLinks) {
    for (TLabelStyle style : {lsWWWAddress, lsEMailAddress, lsDefault}) {
        const bool link = style != lsDefault;
        LinkLabel label;
        label.SetLabelStyle(style);
        label.Font().SetColor(kFace);
        label.Font().SetStyle(fsBold);
        std::vector<const TGraphicControl*> senders;
        label.OnMouseEnter = [&](TGraphicControl& sender) { senders.push_back(&sender); };
        label.OnMouseExit = [&](TGraphicControl& sender) { senders.push_back(&sender); };

        label.MouseEnter();
        EXPECT_EQ(label.Font().Style(), link ? fsBold | fsUnderline : fsBold) << style;
        EXPECT_EQ(label.Font().Color(), link ? clRed : kFace) << style;
        EXPECT_EQ(label.Cursor(), link ? crHandPoint : crDefault) << style;
        label.MouseLeave();
        EXPECT_EQ(label.Font().Style(), fsBold) << style;
        EXPECT_EQ(label.Font().Color(), kFace) << style;
        EXPECT_EQ(label.Cursor(), crDefault) << style;
        EXPECT_EQ(senders, (std::vector<const TGraphicControl*>{&label, &label})) << style;
    }
}

TEST(Label3DjLink, LeavingTakesAwayAnUnderlineThatWasThereBefore) {
    LinkLabel label;
    label.SetLabelStyle(lsWWWAddress);
    label.Font().SetStyle(fsUnderline | fsItalic);
    label.MouseEnter();
    label.MouseLeave();
    EXPECT_EQ(label.Font().Style(), fsItalic);
}

TEST(Label3DjLink, AClickOpensTheAddressThenRunsOnClick) {
    const std::string appStart = std::to_string(crAppStart);
    const struct {
        TLabelStyle style;
        const char* address;
        std::vector<std::string> log;
    } cases[] = {
        {lsWWWAddress, "", {"click"}},
        {lsEMailAddress, "", {"click"}},
        {lsDefault, "http://example.com/", {"click"}},
        {lsWWWAddress, "http://example.com/", {"launch http://example.com/ cursor " + appStart, "click"}},
        {lsEMailAddress, "a@example.com", {"launch mailto:a@example.com cursor " + appStart, "click"}},
        {lsEMailAddress, "mailto:a@example.com", {"launch mailto:mailto:a@example.com cursor " + appStart, "click"}},
    };
    for (const auto& c : cases) {
        LinkLabel label;
        label.SetLabelStyle(c.style);
        label.SetAddress(c.address);
        label.Click();
        EXPECT_EQ(label.log, c.log) << c.style << " " << c.address;
        EXPECT_EQ(label.Cursor(), c.log.size() > 1 ? crHandPoint : crDefault) << c.style << " " << c.address;
    }
}

}  // namespace
