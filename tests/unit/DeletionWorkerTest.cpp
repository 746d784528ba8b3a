#include <gtest/gtest.h>

#include <windows.h>
#include <atomic>
#include <thread>
#include "TestFiles.h"
#include "base/Exception.h"
#include "forms/CacheDeletion.h"
#include "forms/DeletionWorker.h"

namespace {

// A directory read that blocks for 3 s, as a share that does not answer or a drive spinning
// up may, once the listing has begun.
std::atomic<bool> listing{false}, blocking{false};
NTSTATUS NTAPI BlockingRead(HANDLE handle, HANDLE event, PIO_APC_ROUTINE routine, PVOID context, PIO_STATUS_BLOCK io,
                            PVOID buffer, ULONG length, FILE_INFORMATION_CLASS kind, BOOLEAN single,
                            PUNICODE_STRING mask, BOOLEAN restart) {
    if (listing.exchange(false)) {
        blocking = true;
        Sleep(3000);
        blocking = false;
    }
    return NtQueryDirectoryFile(handle, event, routine, context, io, buffer, length, kind, single, mask, restart);
}

// A window of the test's own thread, which the worker's wait must keep answering.
struct TestWindow {
    HWND handle = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ~TestWindow() { DestroyWindow(handle); }
};

TEST(DeletionWorker, AReadThatBlocksLeavesTheWindowAnsweringAndTheCountsRight) {
    TempFolder root;
    const std::string save = root.File("save");
    MakeFolder(save);
    MakeFolder(save + "\\Data");
    for (const char* name : {"\\1.dat", "\\2.dat", "\\3.dat"}) WriteTextFile(save + "\\Data" + name, "cache");
    TestWindow window;
    DeletionSeams seams;
    seams.directoryQuery = BlockingRead;
    seams.onStage = [](DeletionStage stage, int folder) { listing = stage == DeletionStage::Listing && folder == 0; };
    // Another program asks the window whether it answers, while the read blocks.
    bool answered = false;
    std::thread asking([&] {
        for (int waited = 0; !blocking && waited < 10000; waited += 10) Sleep(10);
        DWORD_PTR result = 0;
        answered = blocking && SendMessageTimeoutA(window.handle, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result) != 0;
    });
    DeletionWorker worker(window.handle);
    CacheDeletionCounts counts;
    FolderFileList lister;
    worker.Run([&](const DeletionProgress& progress) {
        counts = DeleteCacheFolders(lister, save, LinkCheckForThisSystem(), progress, seams);
    });
    asking.join();
    EXPECT_TRUE(answered) << "the window was silent while a read blocked";
    EXPECT_EQ(counts.data, 3);
    EXPECT_EQ(counts.dataStayed, 0);
    EXPECT_TRUE(Snapshot(save + "\\Data").empty());
}

// What the work raises is raised again on the window's thread, where the error display
// shows it; clicks and keys meant for the window are dropped while the work runs, and
// Alt+F4 among them is remembered as a close; a quit that arrives is kept for the loop
// outside.
TEST(DeletionWorker, ErrorsComeBackInputIsDroppedAndAQuitIsKept) {
    TestWindow window;
    DeletionWorker worker(window.handle);
    EXPECT_THROW(worker.Run([](const DeletionProgress&) { throw EOutOfResources("行を挿入できません"); }),
                 EOutOfResources);
    const HWND handle = window.handle;
    worker.Run([handle](const DeletionProgress&) {
        PostMessageA(handle, WM_KEYDOWN, VK_RETURN, 1);
        PostMessageA(handle, WM_SYSKEYDOWN, VK_F4, 0x20000001);
        PostMessageA(handle, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        PostQuitMessage(7);  // of the worker's own thread: the window's thread never sees it
        PostThreadMessageA(GetWindowThreadProcessId(handle, nullptr), WM_QUIT, 3, 0);
        Sleep(300);
    });
    EXPECT_TRUE(worker.CloseAskedFor());
    MSG message;
    int quits = 0, inputs = 0;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ++quits;
            EXPECT_EQ(message.wParam, 3u);
        }
        if (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN || message.message == WM_LBUTTONDOWN)
            ++inputs;
    }
    EXPECT_EQ(quits, 1) << "the quit that arrived meanwhile was lost";
    EXPECT_EQ(inputs, 0) << "input meant for the window reached it after the work";
}

}  // namespace
