#include "forms/DeletionFeedback.h"

TaskbarProgress ProgressOnTheTaskbar(int folder, int folders, int done, int total) {
    return {static_cast<ULONGLONG>(folder) * static_cast<ULONGLONG>(total) + static_cast<ULONGLONG>(done),
            static_cast<ULONGLONG>(folders) * static_cast<ULONGLONG>(total)};
}

DeletionFeedback::DeletionFeedback(HWND window, ITaskbarList3* taskbar)
    : window_(window),
      previousCursor_(SetCursor(LoadCursor(nullptr, IDC_WAIT))),
      taskbar_(window ? taskbar : nullptr) {}

DeletionFeedback::~DeletionFeedback() {
    Finish();
}

void DeletionFeedback::Show(int folder, int folders, int done, int total) {
    if (!taskbar_ || total <= 0 || folders <= 0) return;
    const TaskbarProgress progress = ProgressOnTheTaskbar(folder, folders, done, total);
    taskbar_->SetProgressValue(window_, progress.completed, progress.total);
}

void DeletionFeedback::Finish() {
    if (finished_) return;
    finished_ = true;
    if (taskbar_) taskbar_->SetProgressState(window_, TBPF_NOPROGRESS);
    // By the ranges of the mouse's and the keyboard's messages: a peek with PM_QS_INPUT
    // stops at the first message that another program sends meanwhile (from then on it
    // looks at sent messages only), and the rest of the input would reach the report.
    const UINT inputRanges[][2] = {
        {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK}, {WM_KEYFIRST, WM_KEYLAST}, {WM_MOUSEFIRST, WM_MOUSELAST}};
    MSG message;
    for (const auto& range : inputRanges) {
        while (PeekMessageA(&message, nullptr, range[0], range[1], PM_REMOVE)) {
            if (((message.message == WM_NCLBUTTONDOWN || message.message == WM_NCLBUTTONUP) &&
                 message.wParam == HTCLOSE) ||
                (message.message == WM_SYSKEYDOWN && message.wParam == VK_F4))
                closeAskedFor_ = true;
        }
    }
    SetCursor(previousCursor_);
}
