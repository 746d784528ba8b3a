#pragma once
// Form definitions as data: a window's controls with bounds, texts, fonts and handlers,
// and its menu, designed at 96 dpi.
#include <windows.h>
#include <cstddef>
#include "base/Color.h"

struct TFontDefinition {
    const char* face;
    int height;  // character height in pixels at 96 dpi
    BYTE charset;
    TColor color;
};

enum class ControlKind { Panel, Label, SpeedButton, JVLink, FolderFileList, IniGT };

template <class Form>
struct TControlDefinition {
    const char* name;
    ControlKind kind;
    int id;
    int left, top, width, height;  // in the parent's client area
    const char* caption;
    const TFontDefinition* font;   // null: the form's font
    void (Form::*onClick)();       // null: none
};

template <class Form>
struct TMenuItemDefinition {
    const char* name;
    int level;  // 0: the menu bar, 1: its pop-up
    const char* caption;  // "-": a separator
    const char* hint;     // kept with the item; nothing displays it
    int id;
    void (Form::*onClick)();
};

// Scales a 96-dpi design length to the screen.
inline int ScaleToScreen(int length, int dpi) { return MulDiv(length, dpi, 96); }

// The screen's dots per inch (96 at 100%); the program is DPI-aware and scales itself.
inline int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

// Builds a menu bar from its definition; each item's hint is kept as its item data.
template <class Form>
HMENU BuildMenuBar(const TMenuItemDefinition<Form>* items, std::size_t count) {
    HMENU bar = CreateMenu();
    HMENU popup = nullptr;
    for (std::size_t i = 0; i < count; ++i) {
        const auto& item = items[i];
        if (item.level == 0) {
            popup = CreatePopupMenu();
            AppendMenuA(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup), item.caption);
            continue;
        }
        if (!popup) continue;
        if (item.caption[0] == '-' && item.caption[1] == '\0') {
            AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        AppendMenuA(popup, MF_STRING, static_cast<UINT_PTR>(item.id), item.caption);
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_DATA;
        info.dwItemData = reinterpret_cast<ULONG_PTR>(item.hint);
        SetMenuItemInfoA(popup, static_cast<UINT>(item.id), FALSE, &info);
    }
    return bar;
}
