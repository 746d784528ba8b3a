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
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, Width(), Height(), source, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}
