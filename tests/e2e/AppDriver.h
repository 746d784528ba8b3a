#pragma once
// Drives the real JVCacheClean.exe from outside, as a user would: starts it with the
// JV-Link stand-in configured through its environment, finds its windows, reads what they
// show, presses their buttons and keys, and waits for its exit code.
#include <windows.h>
#include "base/AnsiPath.h"
#include "TestFiles.h"
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

using Environment = std::vector<std::pair<std::wstring, std::wstring>>;

// The folder of the test programs, the program and the stand-in.
std::string BinaryFolder();

// Registers the stand-in (DllRegisterServer) or removes its registration.
void RegisterStandIn();
void UnregisterStandIn();

class AppProcess {
public:
    // Starts the program (the build's own unless programPath names another copy) with the
    // stand-in's variables replaced by environment; the stand-in's settings dialog is off
    // unless environment says otherwise.
    explicit AppProcess(const Environment& environment, const std::string& currentFolder = "",
                        const std::string& programPath = "");
    // The same, from a program path that the ANSI code page may not hold.
    AppProcess(const Environment& environment, const std::wstring& programPath);
    // The build's own program with arguments after its name, its standard output and error
    // going to output (a handle this process lets it inherit); INVALID_HANDLE_VALUE: none,
    // as when a shortcut starts it.
    AppProcess(const Environment& environment, const std::wstring& arguments, HANDLE output);
    ~AppProcess();
    AppProcess(const AppProcess&) = delete;
    AppProcess& operator=(const AppProcess&) = delete;

    // A visible top-level window of the process of that class (and caption, when given).
    HWND WaitForWindow(const std::string& className, const std::string& caption = "",
                       DWORD timeoutMs = 20000) const;
    // The same without waiting; with shownOnly false, also one not shown yet (a modal
    // dialog shows itself only once its message loop runs).
    HWND FindWindowOfClass(const std::string& className, const std::string& caption = "",
                           bool shownOnly = true) const;
    HWND WaitForDialog(const std::string& caption, DWORD timeoutMs = 20000) const {
        return WaitForWindow("#32770", caption, timeoutMs);
    }
    HWND WaitForMainWindow() const { return WaitForWindow("TMainForm"); }

    // Waits until the program's window thread has handled everything posted to it before
    // this call, and what that handling posted in turn (a menu's command), through the
    // stand-in's probe (false without one). A sent message proves nothing: it is answered
    // before posted ones, and even in the middle of a deletion.
    bool WaitUntilHandled(DWORD timeoutMs = 20000) const;
    // The same, also for the real input (SendInput) given before this call, which the
    // thread reads only after what was posted.
    bool WaitUntilInputHandled(DWORD timeoutMs = 20000) const;
    // Once the program has handled what was posted to it: the caption of a dialog that is
    // open or about to show, "<busy>" when it did not get there in time, else empty.
    std::string DialogAfterInput() const;

    // Opens a menu of the main window by its letter and chooses an item by its letter.
    void ChooseMenu(HWND mainWindow, char menuLetter, char itemLetter) const;

    // A visible top-level window of the process, of any class; null when there is none.
    HWND AnyVisibleWindow() const;

    // The exit code, or STILL_ACTIVE when the process did not end in time.
    DWORD WaitForExit(DWORD timeoutMs = 20000) const;
    DWORD ProcessId() const { return process_.dwProcessId; }
    // The process's current directory, as its process parameters hold it; empty when it
    // cannot be read.
    std::wstring CurrentFolder() const;

private:
    bool WaitForProbe(UINT mark, int rounds, DWORD timeoutMs) const;
    void Start(const Environment& environment, const std::wstring& currentFolder, const std::wstring& program,
               const std::wstring& arguments = L"", HANDLE output = nullptr);
    PROCESS_INFORMATION process_{};
};

std::string WindowText(HWND window);
std::string ClassName(HWND window);
// The text of the dialog's message (its static text that is not an icon).
std::string DialogMessage(HWND dialog);
// Whether the dialog shows an icon beside its message.
bool HasIcon(HWND dialog);
// Child window of parent (any depth) with that text, or null.
HWND FindChildWithText(HWND parent, const std::string& text);
void ClickButton(HWND dialog, const std::string& caption);
// Real input, as the mouse and the keyboard give it (SendInput): it reaches the input queue,
// which a posted message never does. A left click at the window's centre; keys pressed in
// order and released in reverse (Alt+F4: VK_MENU, VK_F4) for the foreground window.
void ClickWithRealInput(HWND window);
void PressKeysWithRealInput(std::initializer_list<WORD> keys);
// What a screen reader reads as the window's name (its client object's accName); the
// object itself through accessible when that is not null (the caller releases it).
std::wstring AccessibleName(HWND window, struct IAccessible** accessible = nullptr);
// Waits until the window is gone.
bool WaitUntilGone(HWND window, DWORD timeoutMs = 20000);

// Polls until condition() holds, for up to the suite's usual 20 s; whether it came to hold.
template <class Condition>
bool Eventually(Condition condition, DWORD timeoutMs = 20000) {
    for (DWORD start = GetTickCount();; Sleep(20)) {
        if (condition()) return true;
        if (GetTickCount() - start > timeoutMs) return condition();
    }
}

// The lines of a text file; empty when it does not exist.
std::vector<std::string> ReadLines(const std::string& path);
