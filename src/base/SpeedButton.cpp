#include "base/SpeedButton.h"

#include <windowsx.h>

void TSpeedButton::Create(HWND parent, int id, const RECT& bounds, const std::string& caption, HFONT font) {
    RegisterClassOnce("TSpeedButton", nullptr, nullptr, CS_HREDRAW | CS_VREDRAW);
    font_ = font;
    CreateHandle(0, "TSpeedButton", caption.c_str(), WS_CHILD | WS_VISIBLE, bounds.left, bounds.top,
                 bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

bool TSpeedButton::PointInside(LPARAM lParam) const {
    RECT client;
    GetClientRect(Handle(), &client);
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    return PtInRect(&client, point) != FALSE;
}

void TSpeedButton::SetDown(bool down) {
    if (down_ == down) return;
    down_ = down;
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TSpeedButton::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(Handle(), &paint);
    RECT bounds;
    GetClientRect(Handle(), &bounds);
    DrawFrameControl(dc, &bounds, DFC_BUTTON, DFCS_BUTTONPUSH | (down_ ? DFCS_PUSHED : 0));
    char text[256];
    int length = GetWindowTextA(Handle(), text, sizeof text);
    if (down_) OffsetRect(&bounds, 1, 1);
    HGDIOBJ oldFont = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawTextA(dc, text, length, &bounds, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    EndPaint(Handle(), &paint);
}

LRESULT TSpeedButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        SetCapture(Handle());
        tracking_ = true;
        SetDown(true);
        return 0;
    case WM_MOUSEMOVE:
        if (tracking_) SetDown(PointInside(lParam));
        return 0;
    case WM_LBUTTONUP: {
        if (!tracking_) return 0;
        bool clicked = PointInside(lParam);
        tracking_ = false;
        SetDown(false);
        ReleaseCapture();
        UpdateWindow(Handle());
        if (clicked && OnClick) OnClick();
        return 0;
    }
    case WM_CAPTURECHANGED:
        tracking_ = false;
        SetDown(false);
        return 0;
    }
    return Window::HandleMessage(message, wParam, lParam);
}
