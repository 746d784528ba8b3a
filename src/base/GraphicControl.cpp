#include "base/GraphicControl.h"

#include <windowsx.h>
#include <algorithm>
#include <utility>
#include "base/Exception.h"

HCURSOR CursorHandle(TCursor cursor) {
    switch (cursor) {
    case crHandPoint: return LoadCursor(nullptr, IDC_HAND);
    case crAppStart: return LoadCursor(nullptr, IDC_APPSTARTING);
    case crDefault: break;
    }
    return nullptr;
}

int PenStyleToGdi(TPenStyle style) {
    switch (style) {
    case psSolid: return PS_SOLID;
    case psDash: return PS_DASH;
    case psDot: return PS_DOT;
    case psDashDot: return PS_DASHDOT;
    case psDashDotDot: return PS_DASHDOTDOT;
    case psClear: return PS_NULL;
    case psInsideFrame: return PS_INSIDEFRAME;
    }
    return PS_SOLID;
}

// ---- TFont

TFont::~TFont() {
    if (handle_) DeleteObject(handle_);
}

void TFont::SetName(const std::string& name) {
    if (name_ == name) return;
    name_ = name;
    Changed(true);
}

void TFont::SetHeight(int pixels) {
    if (height_ == pixels) return;
    height_ = pixels;
    Changed(true);
}

void TFont::SetStyle(TFontStyles style) {
    if (style_ == style) return;
    style_ = style;
    Changed(true);
}

void TFont::SetColor(TColor color) {
    if (color_ == color) return;
    color_ = color;
    Changed(false);
}

void TFont::SetCharset(BYTE charset) {
    if (charset_ == charset) return;
    charset_ = charset;
    Changed(true);
}

void TFont::SetQuality(BYTE quality) {
    if (quality_ == quality) return;
    quality_ = quality;
    Changed(true);
}

void TFont::Assign(const TFont& other) {
    if (&other == this) return;
    bool shape = name_ != other.name_ || height_ != other.height_ || style_ != other.style_ ||
                 charset_ != other.charset_ || quality_ != other.quality_;
    if (!shape && color_ == other.color_) return;
    name_ = other.name_;
    height_ = other.height_;
    style_ = other.style_;
    color_ = other.color_;
    charset_ = other.charset_;
    quality_ = other.quality_;
    Changed(shape);
}

HFONT TFont::Handle() const {
    if (handle_) return handle_;
    LOGFONTA font{};
    font.lfHeight = -height_;
    font.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
    font.lfItalic = (style_ & fsItalic) ? TRUE : FALSE;
    font.lfUnderline = (style_ & fsUnderline) ? TRUE : FALSE;
    font.lfStrikeOut = (style_ & fsStrikeOut) ? TRUE : FALSE;
    font.lfCharSet = charset_;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = quality_;
    font.lfPitchAndFamily = DEFAULT_PITCH;
    lstrcpynA(font.lfFaceName, name_.c_str(), LF_FACESIZE);
    handle_ = CreateFontIndirectA(&font);
    // Out of GDI objects: text still comes out, in the GUI font.
    if (!handle_) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    return handle_;
}

void TFont::Changed(bool shapeChanged) {
    if (shapeChanged && handle_) {
        DeleteObject(handle_);
        handle_ = nullptr;
    }
    if (OnChange) OnChange();
}

// ---- TGraphicControl

TGraphicControl::TGraphicControl(std::string name) : name_(std::move(name)) {}

TGraphicControl::~TGraphicControl() {
    if (host_) host_->Remove(this);
}

void TGraphicControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    Invalidate();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Invalidate();
}

void TGraphicControl::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    Invalidate();
}

void TGraphicControl::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    Invalidate();
}

void TGraphicControl::SetCursor(TCursor cursor) {
    if (cursor_ == cursor) return;
    cursor_ = cursor;
    if (host_ && host_->Hovered() == this) host_->RefreshCursor();
}

HWND TGraphicControl::ParentWindow() const {
    return host_ ? host_->Handle() : nullptr;
}

void TGraphicControl::Invalidate() {
    HWND parent = ParentWindow();
    if (!parent) return;
    RECT bounds = BoundsRect();
    InvalidateRect(parent, &bounds, IsOpaque() ? FALSE : TRUE);
}

void TGraphicControl::Repaint() {
    HWND parent = ParentWindow();
    if (!parent) throw EInvalidOperation("コントロール '" + name_ + "' は親ウィンドウを持っていません");
    if (!visible_) return;
    HDC dc = GetDC(parent);
    if (!dc) return;
    // A class or own DC keeps its state across GetDC, so leave it as found.
    int saved = SaveDC(dc);
    SetViewportOrgEx(dc, left_, top_, nullptr);
    IntersectClipRect(dc, 0, 0, width_, height_);
    try {
        PaintTo(dc);
    } catch (...) {
        RestoreDC(dc, saved);
        ReleaseDC(parent, dc);
        throw;
    }
    RestoreDC(dc, saved);
    ReleaseDC(parent, dc);
}

void TGraphicControl::PaintTo(HDC dc) {
    int saved = SaveDC(dc);
    try {
        Paint(dc);
    } catch (...) {
        RestoreDC(dc, saved);
        throw;
    }
    RestoreDC(dc, saved);
}

void TGraphicControl::Click() {
    if (OnClick) OnClick(*this);
}

// ---- TGraphicControlHost

TGraphicControlHost::~TGraphicControlHost() {
    for (TGraphicControl* control : controls_) control->host_ = nullptr;
}

void TGraphicControlHost::Bind(HWND window) {
    window_ = window;
    trackingLeave_ = false;
}

void TGraphicControlHost::Add(TGraphicControl* control) {
    if (!control || control->host_ == this) return;
    if (control->host_) control->host_->Remove(control);
    controls_.push_back(control);
    control->host_ = this;
    control->Invalidate();
}

void TGraphicControlHost::Remove(TGraphicControl* control) {
    auto found = std::find(controls_.begin(), controls_.end(), control);
    if (found == controls_.end()) return;
    control->Invalidate();
    controls_.erase(found);
    control->host_ = nullptr;
    // Gone without a leave notification: it may be half destroyed already.
    if (hovered_ == control) hovered_ = nullptr;
    if (entered_ == control) entered_ = nullptr;
    if (pressed_ == control) pressed_ = nullptr;
}

void TGraphicControlHost::Paint(HDC dc) {
    // A copy: painting may not change the list, but must not trip over it if it does.
    std::vector<TGraphicControl*> controls = controls_;
    for (TGraphicControl* control : controls) {
        if (!control->visible_) continue;
        RECT bounds = control->BoundsRect();
        if (!RectVisible(dc, &bounds)) continue;
        int saved = SaveDC(dc);
        IntersectClipRect(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
        OffsetViewportOrgEx(dc, bounds.left, bounds.top, nullptr);
        try {
            control->PaintTo(dc);
        } catch (...) {
            RestoreDC(dc, saved);
            throw;
        }
        RestoreDC(dc, saved);
    }
}

TGraphicControl* TGraphicControlHost::ControlAt(POINT point) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TGraphicControl* control = *it;
        if (!control->visible_ || !control->enabled_) continue;
        RECT bounds = control->BoundsRect();
        if (PtInRect(&bounds, point)) return control;
    }
    return nullptr;
}

bool TGraphicControlHost::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_MOUSEMOVE: {
        if (!trackingLeave_ && window_ && !controls_.empty()) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window_, 0};
            trackingLeave_ = TrackMouseEvent(&track) != FALSE;
        }
        SetHovered(ControlAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
        return false;  // the window may want its mouse moves too
    }
    case WM_MOUSELEAVE:
        trackingLeave_ = false;
        SetHovered(nullptr);
        return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        TGraphicControl* control = ControlAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (!control) return false;
        pressed_ = control;
        // The button may come up outside the window; it still ends this press.
        SetCapture(window_);
        result = 0;
        return true;
    }
    case WM_LBUTTONUP: {
        TGraphicControl* pressed = pressed_;
        if (!pressed) return false;
        pressed_ = nullptr;
        if (GetCapture() == window_) ReleaseCapture();
        bool stillHere = std::find(controls_.begin(), controls_.end(), pressed) != controls_.end();
        if (stillHere && ControlAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) == pressed) pressed->Click();
        result = 0;
        return true;
    }
    case WM_CAPTURECHANGED:
        pressed_ = nullptr;
        return false;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == window_ && LOWORD(lParam) == HTCLIENT && hovered_ &&
            hovered_->cursor_ != crDefault) {
            ::SetCursor(CursorHandle(hovered_->cursor_));
            result = TRUE;
            return true;
        }
        return false;
    case WM_DESTROY:
        window_ = nullptr;
        trackingLeave_ = false;
        hovered_ = entered_ = pressed_ = nullptr;
        return false;
    }
    return false;
}

void TGraphicControlHost::SetHovered(TGraphicControl* control) {
    hovered_ = control;
    // Enter and leave handlers may pump messages and so come back here; the outer call
    // then catches up, so that enters and leaves always alternate for each control.
    if (notifying_) return;
    notifying_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{notifying_};
    while (entered_ != hovered_) {
        if (entered_) {
            TGraphicControl* leaving = entered_;
            entered_ = nullptr;
            leaving->MouseLeave();
        } else {
            entered_ = hovered_;
            entered_->MouseEnter();
        }
    }
    RefreshCursor();
}

void TGraphicControlHost::RefreshCursor() {
    if (!window_) return;
    POINT pointer;
    if (!GetCursorPos(&pointer) || WindowFromPoint(pointer) != window_) return;
    SendMessageA(window_, WM_SETCURSOR, reinterpret_cast<WPARAM>(window_), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}
