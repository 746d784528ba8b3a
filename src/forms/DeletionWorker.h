#pragma once
// Runs the folder work (the checks before the question, the look for JV-Link's users, the
// listing, the deletion and the count) on a thread of its own, so that no slow disk or
// share can silence the window: the window's thread waits in a message loop of its own and
// keeps answering. The work touches no window and no COM object of the window's thread; its
// progress reaches the window by posted messages only.
#include <windows.h>
#include <atomic>
#include <exception>
#include <functional>
#include "forms/FolderEmptying.h"

class DeletionWorker {
public:
    // window receives kProgressMessage while the work runs (at most one every 100 ms); null
    // for none.
    explicit DeletionWorker(HWND window);
    DeletionWorker(const DeletionWorker&) = delete;
    DeletionWorker& operator=(const DeletionWorker&) = delete;

    // Runs work on a new thread and returns once it has ended, the calling thread answering
    // its messages meanwhile. Clicks and keys meant for the window (or its children) are
    // dropped, and so is a close asked for by them (Alt+F4), which CloseAskedFor then says;
    // moving and minimising go on. An exception raised by the work is raised again here.
    void Run(const std::function<void(const DeletionProgress& progress)>& work);

    // The latest progress the work reported: folder (from 0), folders, done, total.
    void LatestProgress(int& folder, int& folders, int& done, int& total) const;
    bool CloseAskedFor() const { return closeAskedFor_; }

    static const UINT kProgressMessage = WM_APP + 40;
    static const DWORD kInterval = 100;  // milliseconds between progress messages

private:
    static DWORD WINAPI ThreadStart(void* self);
    bool MeantForTheWindow(const MSG& message) const;

    HWND window_;
    std::function<void(const DeletionProgress&)> work_;
    std::exception_ptr error_;
    std::atomic<int> folder_{0}, folders_{0}, done_{0}, total_{0};
    std::atomic<DWORD> lastPosted_{0};
    bool closeAskedFor_ = false;
};
