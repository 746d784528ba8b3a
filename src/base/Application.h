#pragma once
// The GUI application: COM for the GUI thread, the common controls, and the one
// message loop, which ends when the main window is destroyed.
#include <windows.h>

class Application {
public:
    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Pumps messages until WM_QUIT; returns its exit code.
    int Run();

private:
    bool comInitialized_ = false;
};

// Dispatches the messages already waiting in the current thread's queue and returns; a
// WM_QUIT met on the way is posted again for the message loop.
void ProcessPendingMessages();

// True under Wine, whose file system and accessibility layer differ from Windows'.
bool RunningUnderWine();
