#include "forms/DeletionWorker.h"

#include "base/FileHandle.h"
#include "base/Exception.h"

DeletionWorker::DeletionWorker(HWND window) : window_(window) {}

void DeletionWorker::LatestProgress(int& folder, int& folders, int& done, int& total) const {
    folder = folder_;
    folders = folders_;
    done = done_;
    total = total_;
}

DWORD WINAPI DeletionWorker::ThreadStart(void* self) {
    auto& worker = *static_cast<DeletionWorker*>(self);
    const DeletionProgress progress = [&worker](int folder, int folders, int done, int total) {
        worker.folder_ = folder;
        worker.folders_ = folders;
        worker.done_ = done;
        worker.total_ = total;
        const DWORD now = GetTickCount();
        if (worker.window_ && now - worker.lastPosted_ >= kInterval) {
            worker.lastPosted_ = now;
            PostMessageA(worker.window_, kProgressMessage, 0, 0);
        }
    };
    try {
        worker.work_(progress);
    } catch (...) {
        worker.error_ = std::current_exception();
    }
    return 0;
}

bool DeletionWorker::MeantForTheWindow(const MSG& message) const {
    if (!window_ || !message.hwnd) return false;
    return message.hwnd == window_ || IsChild(window_, message.hwnd);
}

void DeletionWorker::Run(const std::function<void(const DeletionProgress&)>& work) {
    work_ = work;
    error_ = nullptr;
    lastPosted_ = GetTickCount();
    HANDLE started = CreateThread(nullptr, 0, ThreadStart, this, 0, nullptr);
    if (!started) throw EOutOfResources("スレッドを作成できません");
    const FileHandle thread(started);
    bool quit = false;
    WPARAM quitCode = 0;
    for (;;) {
        const DWORD woken = MsgWaitForMultipleObjectsEx(1, &started, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woken == WAIT_OBJECT_0) break;
        // The work still uses this object: it is waited for, whatever the wait answered.
        if (woken == WAIT_FAILED) {
            WaitForSingleObject(started, INFINITE);
            break;
        }
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = true;  // for the loop that waits outside, once the work has ended
                quitCode = message.wParam;
                continue;
            }
            const bool input = (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST) ||
                               (message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST);
            if (input && MeantForTheWindow(message)) {
                if (message.message == WM_SYSKEYDOWN && message.wParam == VK_F4) closeAskedFor_ = true;
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
    if (error_) std::rethrow_exception(error_);
}
