#include "base/Image.h"

TImage::~TImage() {
    if (bitmap_) DeleteObject(bitmap_);
}

void TImage::SetBitmap(HBITMAP bitmap) {
    if (bitmap_) DeleteObject(bitmap_);
    bitmap_ = bitmap;
    Invalidate();
}

void TImage::Paint(HDC dc) {
    if (!bitmap_) return;
    BITMAP info{};
    GetObjectA(bitmap_, sizeof info, &info);
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, bitmap_);
    // Scaled for a high-DPI screen, the picture is filtered rather than given jagged edges.
    const bool scaled = Width() != info.bmWidth || Height() != info.bmHeight;
    SetStretchBltMode(dc, scaled ? HALFTONE : COLORONCOLOR);
    if (scaled) SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, 0, 0, Width(), Height(), source, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}
