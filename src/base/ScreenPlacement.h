#pragma once
// Where windows may be placed so that a user can always reach them: rules on rectangles
// (plain functions), and the system's monitors and work areas they are applied to.
#include <windows.h>
#include <vector>

// True when the title bar shares at least one pixel with some monitor.
bool TitleBarOnSomeMonitor(const RECT& titleBar, const std::vector<RECT>& monitors);

// The window moved by as little as possible to lie inside the work area; a window larger
// than the work area keeps its top-left corner (and so its title bar) inside it.
RECT KeptInside(const RECT& window, const RECT& workArea);

// A window of that size centred on around, then kept inside the work area.
RECT CentredInside(const RECT& around, int width, int height, const RECT& workArea);

// Every monitor's rectangle, in virtual-screen coordinates.
std::vector<RECT> MonitorRectangles();

// The work area of the monitor that holds most of the window (the nearest one when none
// does; the primary monitor's for no window).
RECT WorkAreaFor(HWND window);
