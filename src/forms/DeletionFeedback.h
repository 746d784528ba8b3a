#pragma once
// What a user sees while the delete button's work runs on its worker: the busy cursor from
// Yes until the report and the taskbar button's progress; nothing the user types or clicks
// meanwhile is acted on.
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

    // Shows the progress on the taskbar button.
    void Show(int folder, int folders, int done, int total);

    // Ends the feedback before the report: the progress is cleared, the cursor put back,
    // and the clicks and keys that arrived meanwhile are dropped, so that a key pressed
    // while waiting cannot dismiss the report unseen, nor a click start another deletion.
    void Finish();
    // Whether the dropped input asked to close the window (its close box, or Alt+F4).
    bool CloseAskedFor() const { return closeAskedFor_; }

private:
    HWND window_;
    HCURSOR previousCursor_;
    ITaskbarList3* taskbar_;
    bool finished_ = false;
    bool closeAskedFor_ = false;
};
