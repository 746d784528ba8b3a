#pragma once
// A raised panel that holds other controls and passes their notifications to its form.
#include <functional>
#include "base/Window.h"

class TPanel : public Window {
public:
    void Create(HWND parent, int id, const RECT& bounds);
    // Text colour of each static child, by its control id; null keeps the window-text colour.
    std::function<COLORREF(int id)> StaticTextColor;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};
