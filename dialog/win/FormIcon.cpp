#include "dialog/win/FormIcon.h"

namespace slidora::win {

namespace {

constexpr int kIconSize = 32;

// Paints the picture; with `mask` set, every painted pixel black (the
// icon's opaque part) instead of its colour.
void paintPicture(HDC dc, bool mask) {
    auto fill = [dc, mask](int left, int top, int width, int height, COLORREF colour) {
        const HBRUSH brush = CreateSolidBrush(mask ? RGB(0, 0, 0) : colour);
        const RECT area{left, top, left + width, top + height};
        FillRect(dc, &area, brush);
        DeleteObject(brush);
    };
    fill(2, 3, 28, 22, RGB(0, 0, 0));
    fill(3, 4, 26, 20, RGB(192, 192, 192));
    fill(5, 6, 22, 16, RGB(0, 0, 128));
    fill(22, 8, 3, 3, RGB(255, 255, 0));
    const HBRUSH hills = CreateSolidBrush(mask ? RGB(0, 0, 0) : RGB(0, 128, 0));
    const HGDIOBJ oldBrush = SelectObject(dc, hills);
    const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    const POINT outline[] = {{5, 22}, {12, 13}, {17, 18}, {21, 15}, {27, 22}};
    Polygon(dc, outline, 5);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(hills);
    fill(14, 25, 4, 3, RGB(128, 128, 128));
    fill(9, 28, 14, 2, RGB(128, 128, 128));
}

} // namespace

HICON createFormIcon() {
    const HDC screen = GetDC(nullptr);
    const HDC dc = CreateCompatibleDC(screen);
    // Where the mask is white the screen shows through; the colour there is
    // black, so that it leaves the screen unchanged.
    const HBITMAP colour = CreateCompatibleBitmap(screen, kIconSize, kIconSize);
    const HBITMAP mask = CreateBitmap(kIconSize, kIconSize, 1, 1, nullptr);
    HICON icon = nullptr;
    if (dc && colour && mask) {
        const RECT all{0, 0, kIconSize, kIconSize};
        const HGDIOBJ old = SelectObject(dc, colour);
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        paintPicture(dc, false);
        SelectObject(dc, mask);
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        paintPicture(dc, true);
        SelectObject(dc, old);
        ICONINFO info{};
        info.fIcon = TRUE;
        info.hbmColor = colour;
        info.hbmMask = mask;
        icon = CreateIconIndirect(&info);
    }
    if (mask) DeleteObject(mask);
    if (colour) DeleteObject(colour);
    if (dc) DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return icon;
}

} // namespace slidora::win
