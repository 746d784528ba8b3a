// The stand-in's settings dialog: one edit box for the save path, OK and
// Cancel. OK stores the path through StandInSettings.
#pragma once

#include <windows.h>

class SettingsDialog {
public:
    // Modal; returns once the user closed the dialog.
    static void show(HWND owner);

private:
    static INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
};
