#pragma once
// A push button drawn by the program itself. It takes the focus by Tab or a click, Space and
// Enter press it, and assistive technology sees a push button whose default action presses
// it.
#include <functional>
#include <string>
#include "base/Window.h"

class TSpeedButton : public Window {
public:
    void Create(HWND parent, int id, const RECT& bounds, const std::string& caption, HFONT font);
    std::function<void()> OnClick;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();
    bool PointInside(LPARAM lParam) const;
    void SetDown(bool down);
    void Click();
    LRESULT AccessibleObject(WPARAM wParam, LPARAM lParam);

    HFONT font_ = nullptr;
    bool tracking_ = false;
    bool spacePressed_ = false;
    bool down_ = false;
};
