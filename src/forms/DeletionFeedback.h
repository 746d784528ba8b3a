#pragma once
// What a user sees while the delete button works: the busy cursor from Yes until the
// report, the taskbar button's progress, and a window that keeps answering the system.
// The deletion still runs on the GUI thread and nothing the user types or clicks is acted
// on meanwhile.
#include <windows.h>
#include <shobjidl.h>

// The taskbar button's progress at entry done of total in folder (counted from 0) of
// folders: each folder has an equal share of the bar, in the order they are emptied.
struct TaskbarProgress {
    ULONGLONG completed;
    ULONGLONG total;
};
TaskbarProgress ProgressOnTheTaskbar(int folder, int folders, int done, int total);

class DeletionFeedback {
public:
    // window may be null; taskbar is the window's taskbar list, null where there is none
    // (no taskbar progress then).
    DeletionFeedback(HWND window, ITaskbarList3* taskbar);
    ~DeletionFeedback();
    DeletionFeedback(const DeletionFeedback&) = delete;
    DeletionFeedback& operator=(const DeletionFeedback&) = delete;

    // Called once per entry where the work runs on the window's own thread (the benchmark's
    // baseline); looks at the clock and, at most every kInterval, answers what the system
    // and other programs sent to the window and shows the progress.
    void Step(int folder, int folders, int done, int total);
    // Shows the progress on the taskbar button.
    void Show(int folder, int folders, int done, int total);

    // Ends the feedback before the report: the progress is cleared, the cursor put back,
    // and the clicks and keys that arrived meanwhile are dropped, so that a key pressed
    // while waiting cannot dismiss the report unseen, nor a click start another deletion.
    void Finish();
    // Whether the dropped input asked to close the window (its close box, or Alt+F4).
    bool CloseAskedFor() const { return closeAskedFor_; }

    static const DWORD kInterval = 100;  // milliseconds

private:
    void AnswerTheSystem();

    HWND window_;
    HCURSOR previousCursor_;
    ITaskbarList3* taskbar_;
    DWORD lastCheck_;
    bool finished_ = false;
    bool closeAskedFor_ = false;
};
