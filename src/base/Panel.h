#pragma once
// A raised panel that holds other controls and passes their notifications to its form.
// Windowless controls added to GraphicControls() are painted on it after its own face.
#include <functional>
#include "base/GraphicControl.h"
#include "base/Window.h"

class TPanel : public Window {
public:
    // How the panel looks; set before Create.
    bool BevelLowered = false;  // the outer bevel
    bool SingleBorder = false;  // a one-pixel frame around the client area
    TColor Color = clBtnFace;

    void Create(HWND parent, int id, const RECT& bounds);
    // Text colour of each static child, by its control id; null keeps the window-text colour.
    std::function<COLORREF(int id)> StaticTextColor;
    TGraphicControlHost& GraphicControls() { return graphicControls_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    TGraphicControlHost graphicControls_;
};
