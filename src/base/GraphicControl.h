#pragma once
// Controls without a window of their own: they paint on their parent window's device
// context, and the parent's window procedure hands them its mouse messages through a
// TGraphicControlHost.
#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "base/Color.h"

class TGraphicControl;
class TGraphicControlHost;

using TNotifyEvent = std::function<void(TGraphicControl& sender)>;

enum TCursor : unsigned char { crDefault, crHandPoint, crAppStart };

// The system cursor a control's cursor stands for; null for crDefault (the window's own).
HCURSOR CursorHandle(TCursor cursor);

enum TAlignment : unsigned char { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout : unsigned char { tlTop, tlCenter, tlBottom };
enum TPenStyle : unsigned char { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

// The GDI pen style of a TPenStyle.
int PenStyleToGdi(TPenStyle style);

enum TFontStyle : unsigned char { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned char;  // a set of TFontStyle bits

// A font description and the GDI font made from it. The handle is created when first
// asked for and re-created after a change of shape; OnChange fires on every change,
// the colour's included.
class TFont {
public:
    TFont() = default;
    ~TFont();
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name);
    // Character height in pixels (the em height, without internal leading).
    int Height() const { return height_; }
    void SetHeight(int pixels);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    BYTE Charset() const { return charset_; }
    void SetCharset(BYTE charset);
    // LOGFONT quality: NONANTIALIASED_QUALITY gives text in exact colours.
    BYTE Quality() const { return quality_; }
    void SetQuality(BYTE quality);

    // Takes every attribute of other; fires OnChange once when anything differed.
    void Assign(const TFont& other);
    HFONT Handle() const;

    std::function<void()> OnChange;

private:
    void Changed(bool shapeChanged);

    std::string name_ = "ＭＳ Ｐゴシック";
    int height_ = 12;
    TFontStyles style_ = 0;
    TColor color_ = clWindowText;
    BYTE charset_ = DEFAULT_CHARSET;
    BYTE quality_ = DEFAULT_QUALITY;
    mutable HFONT handle_ = nullptr;
};

class TGraphicControl {
public:
    explicit TGraphicControl(std::string name);
    virtual ~TGraphicControl();
    TGraphicControl(const TGraphicControl&) = delete;
    TGraphicControl& operator=(const TGraphicControl&) = delete;

    const std::string& Name() const { return name_; }

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    RECT BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
    // Invalidates the old and the new place when anything changed.
    void SetBounds(int left, int top, int width, int height);
    void SetLeft(int left) { SetBounds(left, top_, width_, height_); }
    void SetTop(int top) { SetBounds(left_, top, width_, height_); }
    void SetWidth(int width) { SetBounds(left_, top_, width, height_); }
    void SetHeight(int height) { SetBounds(left_, top_, width_, height); }

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    TCursor Cursor() const { return cursor_; }
    // Takes effect at once when the pointer is over the control.
    void SetCursor(TCursor cursor);

    TGraphicControlHost* Host() const { return host_; }
    // The window painted on; null without a host or before the host's window exists.
    HWND ParentWindow() const;

    // Asks the parent window to repaint the control's place; nothing without a parent.
    void Invalidate();
    // Paints at once on the parent window's device context, outside the paint cycle and
    // without erasing what lies behind. Raises when there is no parent window.
    void Repaint();
    // Paints with the DC's origin taken as the control's top-left corner; the DC's state
    // is restored afterwards.
    void PaintTo(HDC dc);

    virtual void Click();
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}

    TNotifyEvent OnClick;

protected:
    virtual void Paint(HDC dc) { (void)dc; }
    // An opaque control covers its whole place, so its invalidation needs no erase.
    virtual bool IsOpaque() const { return false; }

private:
    friend class TGraphicControlHost;

    std::string name_;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    TCursor cursor_ = crDefault;
    TGraphicControlHost* host_ = nullptr;
};

// What a window embeds to host graphic controls. Its window procedure calls Paint from
// WM_PAINT after drawing its own background, and offers every message to HandleMessage
// first. Both are meant to run inside the window procedure's error guard.
class TGraphicControlHost {
public:
    TGraphicControlHost() = default;
    explicit TGraphicControlHost(HWND window) : window_(window) {}
    ~TGraphicControlHost();
    TGraphicControlHost(const TGraphicControlHost&) = delete;
    TGraphicControlHost& operator=(const TGraphicControlHost&) = delete;

    void Bind(HWND window);
    HWND Handle() const { return window_; }

    // The control paints on this host's window; later ones lie on top of earlier ones.
    void Add(TGraphicControl* control);
    void Remove(TGraphicControl* control);
    const std::vector<TGraphicControl*>& Controls() const { return controls_; }

    // Paints every visible control in order, each clipped to its place.
    void Paint(HDC dc);
    // Mouse moves, leaves, left clicks and the cursor; true when the message was
    // consumed, with its result in result.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // The topmost enabled visible control at a client point, or null.
    TGraphicControl* ControlAt(POINT point) const;
    TGraphicControl* Hovered() const { return hovered_; }

private:
    friend class TGraphicControl;
    void SetHovered(TGraphicControl* control);
    // Lets the window pick the cursor again when the pointer is over it.
    void RefreshCursor();

    HWND window_ = nullptr;
    std::vector<TGraphicControl*> controls_;
    TGraphicControl* hovered_ = nullptr;  // under the pointer
    TGraphicControl* entered_ = nullptr;  // told of the pointer's entering, not yet of its leaving
    TGraphicControl* pressed_ = nullptr;
    bool trackingLeave_ = false;
    bool notifying_ = false;
};
