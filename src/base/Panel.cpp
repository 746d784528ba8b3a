#include "base/Panel.h"

void TPanel::Create(HWND parent, int id, const RECT& bounds) {
    RegisterClassOnce("TPanel", nullptr, GetSysColorBrush(COLOR_BTNFACE), CS_HREDRAW | CS_VREDRAW);
    CreateHandle(WS_EX_CONTROLPARENT, "TPanel", "",
                 WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | (SingleBorder ? WS_BORDER : 0),
                 bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                 parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
    graphicControls_.Bind(Handle());
}

LRESULT TPanel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (graphicControls_.HandleMessage(message, wParam, lParam, result)) return result;
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(Handle(), &paint);
        RECT bounds;
        GetClientRect(Handle(), &bounds);
        DrawEdge(dc, &bounds, BevelLowered ? BDR_SUNKENOUTER : BDR_RAISEDOUTER, BF_RECT);
        // The paint ends even when a control fails, or WM_PAINT would come back forever.
        try {
            graphicControls_.Paint(dc);
        } catch (...) {
            EndPaint(Handle(), &paint);
            throw;
        }
        EndPaint(Handle(), &paint);
        return 0;
    }
    case WM_ERASEBKGND: {
        RECT bounds;
        GetClientRect(Handle(), &bounds);
        HBRUSH brush = CreateSolidBrush(ColorToRGB(Color));
        FillRect(reinterpret_cast<HDC>(wParam), &bounds, brush);
        DeleteObject(brush);
        return 1;
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
