#pragma once
// Base of the program's own window classes: one static window procedure forwards each
// message to the object, and no exception ever leaves it (the error guard shows it).
#include <windows.h>

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND Handle() const { return handle_; }

protected:
    // Registers the class on first use; its window procedure is StaticWindowProc.
    static void RegisterClassOnce(const char* className, HICON icon, HBRUSH background,
                                  UINT classStyle = CS_DBLCLKS);
    // Creates the window and binds it to this object before its first message.
    HWND CreateHandle(DWORD exStyle, const char* className, const char* text, DWORD style,
                      int x, int y, int width, int height, HWND parent, HMENU menu);

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND handle_ = nullptr;
};
