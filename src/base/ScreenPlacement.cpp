#include "base/ScreenPlacement.h"

#include <algorithm>

bool TitleBarOnSomeMonitor(const RECT& titleBar, const std::vector<RECT>& monitors) {
    for (const RECT& monitor : monitors) {
        RECT common;
        if (IntersectRect(&common, &titleBar, &monitor)) return true;
    }
    return false;
}

RECT KeptInside(const RECT& window, const RECT& workArea) {
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    int left = std::min<int>(window.left, workArea.right - width);
    int top = std::min<int>(window.top, workArea.bottom - height);
    left = std::max<int>(left, workArea.left);
    top = std::max<int>(top, workArea.top);
    return RECT{left, top, left + width, top + height};
}

RECT CentredInside(const RECT& around, int width, int height, const RECT& workArea) {
    const int left = around.left + (around.right - around.left - width) / 2;
    const int top = around.top + (around.bottom - around.top - height) / 2;
    return KeptInside(RECT{left, top, left + width, top + height}, workArea);
}

namespace {

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT bounds, LPARAM list) {
    reinterpret_cast<std::vector<RECT>*>(list)->push_back(*bounds);
    return TRUE;
}

}  // namespace

std::vector<RECT> MonitorRectangles() {
    std::vector<RECT> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

RECT WorkAreaFor(HWND window) {
    HMONITOR monitor = window ? MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)
                              : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (monitor && GetMonitorInfoA(monitor, &info)) return info.rcWork;
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}
