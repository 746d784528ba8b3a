#pragma once
// Runs a modal dialog from an empty in-memory template: its procedure makes and places
// the controls when the dialog starts.
#include <windows.h>

INT_PTR RunModalDialog(HWND owner, DWORD style, DLGPROC procedure, LPARAM parameter);
