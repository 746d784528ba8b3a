#include "base/SpeedButton.h"

#include <windowsx.h>
#include <oleacc.h>
#include "base/Application.h"

void TSpeedButton::Create(HWND parent, int id, const RECT& bounds, const std::string& caption, HFONT font) {
    RegisterClassOnce("TSpeedButton", nullptr, nullptr, CS_HREDRAW | CS_VREDRAW);
    font_ = font;
    CreateHandle(0, "TSpeedButton", caption.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP, bounds.left, bounds.top,
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
    // The focus rectangle, unless the system hides it until the keyboard is used.
    if (GetFocus() == Handle() && !(SendMessageA(Handle(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)) {
        GetClientRect(Handle(), &bounds);
        InflateRect(&bounds, -4, -4);
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        DrawFocusRect(dc, &bounds);
    }
    EndPaint(Handle(), &paint);
}

void TSpeedButton::Click() {
    if (OnClick) OnClick();
}

// The system's own description of a push button: its role, its caption as name, and a
// default action that sends BM_CLICK. Wine's oleacc has no such proxy (the call aborts):
// there the default object, named by the caption, stands.
LRESULT TSpeedButton::AccessibleObject(WPARAM wParam, LPARAM lParam) {
    if (static_cast<LONG>(lParam) != OBJID_CLIENT || RunningUnderWine())
        return DefaultProc(WM_GETOBJECT, wParam, lParam);
    IAccessible* accessible = nullptr;
    if (FAILED(CreateStdAccessibleProxyW(Handle(), L"Button", OBJID_CLIENT, IID_IAccessible,
                                         reinterpret_cast<void**>(&accessible))))
        return DefaultProc(WM_GETOBJECT, wParam, lParam);
    LRESULT result = LresultFromObject(IID_IAccessible, wParam, accessible);
    accessible->Release();
    return result;
}

LRESULT TSpeedButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_GETDLGCODE: {
        // Enter reaches the button rather than the window's default; characters are not
        // taken for mnemonics.
        const MSG* key = reinterpret_cast<const MSG*>(lParam);
        const bool enter = key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN;
        return DLGC_BUTTON | DLGC_WANTCHARS | (enter ? DLGC_WANTMESSAGE : 0);
    }
    case WM_KEYDOWN:
        if (wParam == VK_SPACE && !(lParam & 0x40000000)) {
            spacePressed_ = true;
            SetDown(true);
        } else if (wParam == VK_RETURN && !(lParam & 0x40000000)) {
            Click();
        }
        return 0;
    case WM_KEYUP:
        if (wParam == VK_SPACE && spacePressed_) {
            spacePressed_ = false;
            SetDown(false);
            UpdateWindow(Handle());
            Click();
        }
        return 0;
    case WM_CHAR:
        return 0;
    case BM_CLICK:
        Click();
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (message == WM_KILLFOCUS && spacePressed_) {
            spacePressed_ = false;
            SetDown(false);
        }
        InvalidateRect(Handle(), nullptr, TRUE);
        return 0;
    case WM_UPDATEUISTATE:
        InvalidateRect(Handle(), nullptr, TRUE);
        break;
    case WM_GETOBJECT:
        return AccessibleObject(wParam, lParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        SetFocus(Handle());
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
        if (clicked) Click();
        return 0;
    }
    case WM_CAPTURECHANGED:
        tracking_ = false;
        SetDown(false);
        return 0;
    }
    return Window::HandleMessage(message, wParam, lParam);
}
