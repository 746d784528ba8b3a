#pragma once
// A windowless picture: a bitmap stretched to the control's bounds.
#include "base/GraphicControl.h"

class TImage : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
    ~TImage() override;
    // Takes ownership of the bitmap.
    void SetBitmap(HBITMAP bitmap);

protected:
    void Paint(HDC dc) override;
    bool IsOpaque() const override { return bitmap_ != nullptr; }

private:
    HBITMAP bitmap_ = nullptr;
};
