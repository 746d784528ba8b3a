#include "base/Window.h"

#include "base/ErrorGuard.h"

Window::~Window() {
    if (handle_) {
        SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
        DestroyWindow(handle_);
    }
}

void Window::RegisterClassOnce(const char* className, HICON icon, HBRUSH background, UINT classStyle) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA existing{sizeof existing};
    if (GetClassInfoExA(instance, className, &existing)) return;
    WNDCLASSEXA windowClass{sizeof windowClass};
    windowClass.style = classStyle;
    windowClass.lpfnWndProc = StaticWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hIconSm = icon;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = className;
    RegisterClassExA(&windowClass);
}

HWND Window::CreateHandle(DWORD exStyle, const char* className, const char* text, DWORD style,
                          int x, int y, int width, int height, HWND parent, HMENU menu) {
    return CreateWindowExA(exStyle, className, text, style, x, y, width, height, parent, menu,
                           GetModuleHandleA(nullptr), this);
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultProc(message, wParam, lParam);
}

LRESULT Window::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(handle_, message, wParam, lParam);
}

LRESULT CALLBACK Window::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->handle_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        LRESULT result = DefWindowProcA(window, message, wParam, lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->handle_ = nullptr;
        return result;
    }
    // A failed handler has been reported; its message counts as handled, so that, for
    // one, a failing close handler leaves the window open.
    LRESULT result = 0;
    Guarded([&] { result = self->HandleMessage(message, wParam, lParam); });
    return result;
}
