#pragma once
// A push button drawn by the program itself that never takes the keyboard focus.
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

    HFONT font_ = nullptr;
    bool tracking_ = false;
    bool down_ = false;
};
