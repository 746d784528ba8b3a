#include "components/Label3Dj.h"

#include <shellapi.h>
#include <utility>
#include "base/Application.h"

namespace {

// The caption's unrotated extent in the font, measured on the screen.
SIZE TextExtent(HFONT font, const std::string& text) {
    SIZE extent{};
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, font);
    GetTextExtentPoint32A(screen, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    return extent;
}

// Two sides in each colour; LineTo leaves its end point, so the corners (R, T) and
// (L, B) stay undrawn. Only the colour differs from the border pen.
void DrawBevel(HDC dc, const RECT& r, int penStyle, int penWidth, TColor topLeft, TColor bottomRight) {
    HPEN first = CreatePen(penStyle, penWidth, ColorToRGB(topLeft));
    HPEN second = CreatePen(penStyle, penWidth, ColorToRGB(bottomRight));
    HGDIOBJ previous = SelectObject(dc, first);
    MoveToEx(dc, r.left, r.top, nullptr);
    LineTo(dc, r.right, r.top);
    MoveToEx(dc, r.left, r.top, nullptr);
    LineTo(dc, r.left, r.bottom);
    SelectObject(dc, second);
    MoveToEx(dc, r.right, r.bottom, nullptr);
    LineTo(dc, r.right, r.top);
    MoveToEx(dc, r.right, r.bottom, nullptr);
    LineTo(dc, r.left, r.bottom);
    SelectObject(dc, previous);
    DeleteObject(first);
    DeleteObject(second);
}

}  // namespace

TLabel3Dj::TLabel3Dj(std::string name) : TGraphicControl(std::move(name)) {
    SetBounds(0, 0, 65, 17);
    font_.SetName("Arial");
    parentFont_ = false;
    // Connected last, so that the construction values stand unmeasured until the form
    // has set its own.
    font_.OnChange = [this] { FontChanged(); };
}

void TLabel3Dj::FontChanged() {
    parentFont_ = false;
    Invalidate();
    AdjustBounds();
}

// ---- what every label has

void TLabel3Dj::SetCaption(const std::string& caption) {
    if (caption_ == caption) return;
    caption_ = caption;
    Invalidate();
    AdjustBounds();
}

void TLabel3Dj::SetColor(TColor color) {
    if (color_ == color) return;
    color_ = color;
    Invalidate();
}

void TLabel3Dj::SetTransparent(bool transparent) {
    if (transparent_ == transparent) return;
    transparent_ = transparent;
    Invalidate();
}

void TLabel3Dj::SetAlignment(TAlignment alignment) {
    if (alignment_ == alignment) return;
    alignment_ = alignment;
    Invalidate();
}

void TLabel3Dj::SetLayout(TTextLayout layout) {
    if (layout_ == layout) return;
    layout_ = layout;
    Invalidate();
}

void TLabel3Dj::SetWordWrap(bool wordWrap) {
    if (wordWrap_ == wordWrap) return;
    wordWrap_ = wordWrap;
    AdjustBounds();
    Invalidate();
}

void TLabel3Dj::SetShowAccelChar(bool showAccelChar) {
    if (showAccelChar_ == showAccelChar) return;
    showAccelChar_ = showAccelChar;
    Invalidate();
    AdjustBounds();
}

void TLabel3Dj::SetAutoSize(bool autoSize) {
    if (autoSize_ == autoSize) return;
    autoSize_ = autoSize;
    AdjustBounds();
}

void TLabel3Dj::AdjustBounds() {
    if (!autoSize_) return;
    // An empty caption, or a lone accelerator mark, still has the height of a line.
    std::string text = caption_;
    if (text.empty() || (showAccelChar_ && text == "&")) text += ' ';
    UINT flags = DT_CALCRECT | DT_EXPANDTABS;
    if (wordWrap_) flags |= DT_WORDBREAK;
    if (!showAccelChar_) flags |= DT_NOPREFIX;
    RECT rect{0, 0, Width(), Height()};  // word wrap breaks at the present width
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, font_.Handle());
    DrawTextA(screen, text.c_str(), static_cast<int>(text.size()), &rect, flags);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    int left = Left();
    if (alignment_ == taRightJustify) left += Width() - rect.right;
    SetBounds(left, Top(), rect.right, rect.bottom);
}

// ---- the 3D label's own

void TLabel3Dj::SetBorderColor(TColor color) {
    borderColor_ = color;
    Repaint();
}

void TLabel3Dj::SetBorderPenStyle(TPenStyle style) {
    borderPenStyle_ = style;
    Repaint();
}

void TLabel3Dj::SetBorderWidth(int width) {
    borderWidth_ = width;
    Repaint();
}

void TLabel3Dj::SetBorder(bool border) {
    border_ = border;
    Repaint();
}

void TLabel3Dj::SetBorderType(TBorderType type) {
    if (borderType_ == type) return;
    borderType_ = type;
    Repaint();
}

void TLabel3Dj::SetEscapement(int degrees) {
    // Compared before normalising: 720 over a stored 360 still repaints.
    if (escapement_ == degrees) return;
    escapement_ = NormalizeEscapement(degrees);
    Invalidate();
}

void TLabel3Dj::SetTextStyle(TTextStyle style) {
    if (textStyle_ == style) return;
    textStyle_ = style;
    Invalidate();
}

void TLabel3Dj::SetLabelStyle(TLabelStyle style) {
    labelStyle_ = style;
}

void TLabel3Dj::SetAddress(const std::string& address) {
    address_ = address;
}

void TLabel3Dj::SetEllipsesStyle(TEllipsesStyle style) {
    if (ellipsesStyle_ == style) return;
    // Ellipses need a width to cut at, which auto-size would take away.
    if (style != esNone) SetAutoSize(false);
    ellipsesStyle_ = style;
    Invalidate();
}

void TLabel3Dj::SetShift(int shift) {
    if (shift_ == shift) return;
    shift_ = shift;
    Repaint();
}

// ---- painting

void TLabel3Dj::Paint(HDC dc) {
    RECT client{0, 0, Width(), Height()};
    if (!transparent_) {
        HBRUSH brush = CreateSolidBrush(ColorToRGB(color_));
        FillRect(dc, &client, brush);
        DeleteObject(brush);
    }
    // Nothing is filled from here on: text on a transparent background, outlines only.
    HGDIOBJ previousBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    SetBkMode(dc, TRANSPARENT);
    DrawBorder(dc);
    DrawCaption(dc);
    SelectObject(dc, previousBrush);
}

void TLabel3Dj::DrawBorder(HDC dc) {
    if (!border_ || borderWidth_ <= 0) return;
    // A wide pen is centred on the outer edge, so part of it is clipped away.
    int penStyle = PenStyleToGdi(borderPenStyle_);
    switch (borderType_) {
    case btDefault: {
        HPEN pen = CreatePen(penStyle, borderWidth_, ColorToRGB(borderColor_));
        HGDIOBJ previous = SelectObject(dc, pen);
        Rectangle(dc, 0, 0, Width(), Height());
        SelectObject(dc, previous);
        DeleteObject(pen);
        break;
    }
    case btRecessed:
        DrawBevel(dc, {0, 0, Width() - 1, Height() - 1}, penStyle, borderWidth_, clGray, clWhite);
        break;
    case btRaised:
        DrawBevel(dc, {0, 0, Width() - 1, Height() - 1}, penStyle, borderWidth_, clWhite, clGray);
        break;
    }
}

void TLabel3Dj::DrawCaption(HDC dc) {
    const RECT client{0, 0, Width(), Height()};
    const UINT flags = CaptionFlags(alignment_, wordWrap_, showAccelChar_, ellipsesStyle_, layout_, escapement_);
    const int length = static_cast<int>(caption_.size());
    HFONT font = font_.Handle();
    HGDIOBJ previousFont = SelectObject(dc, font);

    // Rotated text: one line from TextOut in a copy of the font turned by the escapement.
    TRotatedPlacement placement{};
    HFONT rotated = nullptr;
    if (escapement_ != 0) {
        SIZE extent = TextExtent(font, caption_);
        placement = RotatedPlacement(escapement_, extent.cx, extent.cy);
        LOGFONTA logFont{};
        GetObjectA(font, sizeof logFont, &logFont);
        logFont.lfEscapement = escapement_ * 10;  // the orientation stays as it was
        rotated = CreateFontIndirectA(&logFont);
    }

    auto drawPass = [&](int dx, int dy, TColor color) {
        SetTextColor(dc, ColorToRGB(color));
        RECT rect = client;
        OffsetRect(&rect, dx, dy);
        if (escapement_ == 0) {
            DrawTextA(dc, caption_.c_str(), length, &rect, flags);
            return;
        }
        rect.left += placement.dx;
        rect.top += placement.dy;
        if (autoSize_)
            SetBounds(Left(), Top(), placement.width, placement.height);
        else
            rect.left += RotatedAlignmentOffset(alignment_, Width(), placement.width);
        HGDIOBJ previous = SelectObject(dc, rotated ? rotated : font);
        TextOutA(dc, rect.left, rect.top, caption_.c_str(), length);
        SelectObject(dc, previous);
    };

    for (const TEffectPass& pass : EffectPasses(textStyle_, shift_))
        drawPass(pass.dx, pass.dy, pass.color == pcShadow ? shadowColor_ : highlightColor_);
    // A disabled label keeps its effect passes and greys its face only.
    drawPass(0, 0, Enabled() ? font_.Color() : clGrayText);

    SelectObject(dc, previousFont);
    if (rotated) DeleteObject(rotated);
}

// ---- link behaviour

void TLabel3Dj::LaunchAddress(const std::string& file) {
    ShellExecuteA(nullptr, nullptr, file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TLabel3Dj::Click() {
    if (IsLink() && !address_.empty()) {
        // A link that cannot be opened says nothing; the click goes on regardless.
        try {
            SetCursor(crAppStart);
            ProcessPendingMessages();
            LaunchAddress(labelStyle_ == lsEMailAddress ? "mailto:" + address_ : address_);
            SetCursor(crHandPoint);
        } catch (...) {
        }
    }
    TGraphicControl::Click();
}

void TLabel3Dj::MouseEnter() {
    if (IsLink()) {
        savedFontColor_ = font_.Color();
        font_.SetStyle(font_.Style() | fsUnderline);
        SetCursor(crHandPoint);
        ProcessPendingMessages();
        font_.SetColor(linkHoverColor_);
    }
    if (OnMouseEnter) OnMouseEnter(*this);
}

void TLabel3Dj::MouseLeave() {
    // The style of this moment counts: a label switched away from a link while hovered
    // keeps its hover look.
    if (IsLink()) {
        SetCursor(crDefault);
        font_.SetStyle(font_.Style() & ~fsUnderline);
        ProcessPendingMessages();
        font_.SetColor(savedFontColor_);
    }
    if (OnMouseExit) OnMouseExit(*this);
}
