#include "base/Panel.h"

void TPanel::Create(HWND parent, int id, const RECT& bounds) {
    RegisterClassOnce("TPanel", nullptr, GetSysColorBrush(COLOR_BTNFACE), CS_HREDRAW | CS_VREDRAW);
    CreateHandle(WS_EX_CONTROLPARENT, "TPanel", "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                 bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                 parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

LRESULT TPanel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(Handle(), &paint);
        RECT bounds;
        GetClientRect(Handle(), &bounds);
        DrawEdge(dc, &bounds, BDR_RAISEDOUTER, BF_RECT);
        EndPaint(Handle(), &paint);
        return 0;
    }
    case WM_CTLCOLORSTATIC: {
        // Labels are transparent on the panel's face.
        HDC dc = reinterpret_cast<HDC>(wParam);
        int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, StaticTextColor ? StaticTextColor(id) : GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
        return SendMessageA(GetParent(Handle()), message, wParam, lParam);
    }
    return Window::HandleMessage(message, wParam, lParam);
}
