#include <gtest/gtest.h>

#include "AppDriver.h"

namespace {

// The program's INI file lies beside it; each test starts without one (see AppDriver).
class WindowPosition : public ::testing::Test {
protected:
    static POINT TopLeft(HWND window) {
        RECT bounds;
        GetWindowRect(window, &bounds);
        return POINT{bounds.left, bounds.top};
    }
    // Starts the program, checks where its window opens, and closes it again.
    static void ExpectOpensAt(int x, int y) {
        AppProcess app(Environment{});
        HWND main = app.WaitForMainWindow();
        ASSERT_NE(main, nullptr);
        POINT at = TopLeft(main);
        EXPECT_EQ(at.x, x);
        EXPECT_EQ(at.y, y);
        PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(app.WaitForExit(), 0u);
    }
    int Saved(const char* key) const {
        return static_cast<int>(GetPrivateProfileIntA("locate", key, -999999, ini_.c_str()));
    }
    const std::string ini_ = BinaryFolder() + "\\JVCacheClean.ini";
};

TEST_F(WindowPosition, WithoutAFileOpensAtTenTen) {
    ExpectOpensAt(10, 10);
    EXPECT_EQ(Saved("top"), 10);
    EXPECT_EQ(Saved("left"), 10);
}

TEST_F(WindowPosition, ReopensWhereItWasClosedAlsoPartlyOffScreen) {
    const POINT positions[] = {{300, 200}, {-150, 700}};
    for (const POINT& position : positions) {
        {
            AppProcess app(Environment{});
            HWND main = app.WaitForMainWindow();
            ASSERT_NE(main, nullptr);
            SetWindowPos(main, nullptr, position.x, position.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
            ASSERT_EQ(app.WaitForExit(), 0u);
        }
        EXPECT_EQ(Saved("left"), position.x);
        EXPECT_EQ(Saved("top"), position.y);
        ExpectOpensAt(position.x, position.y);
    }
}

// Closed from the taskbar while minimised: the position to keep is the restored one.
TEST_F(WindowPosition, AWindowClosedWhileMinimisedReopensWhereItWasBefore) {
    {
        AppProcess app(Environment{});
        HWND main = app.WaitForMainWindow();
        ASSERT_NE(main, nullptr);
        SetWindowPos(main, nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageA(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        ASSERT_TRUE(IsIconic(main));
        PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
        ASSERT_EQ(app.WaitForExit(), 0u);
    }
    EXPECT_EQ(Saved("left"), 200);
    EXPECT_EQ(Saved("top"), 150);
    ExpectOpensAt(200, 150);
}

// Saved on a monitor that is gone: the window would open where nobody can see it.
TEST_F(WindowPosition, APositionOutsideEveryMonitorOpensAtTenTen) {
    WriteTextFile(ini_, "[locate]\r\ntop=-20000\r\nleft=5000\r\n");
    ExpectOpensAt(10, 10);
}

// Signing out or shutting down asks every window first; the position is kept then too.
TEST_F(WindowPosition, TheSessionsEndSavesThePositionAndEndsTheProgram) {
    AppProcess app(Environment{});
    HWND main = app.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    SetWindowPos(main, nullptr, 321, 123, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(SendMessageA(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    EXPECT_EQ(Saved("left"), 321);
    EXPECT_EQ(Saved("top"), 123);
    SendMessageA(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(app.WaitForExit(), 0u);
}

TEST_F(WindowPosition, UsesTheFileBesideTheExecutableWhateverTheCurrentFolder) {
    TempFolder elsewhere;
    std::string decoy = elsewhere.File("JVCacheClean.ini");
    WriteTextFile(decoy, "[locate]\r\ntop=500\r\nleft=600\r\n");
    WriteTextFile(ini_, "[locate]\r\ntop=0x40\r\nleft=222\r\n");
    AppProcess app(Environment{}, elsewhere.Path());
    HWND main = app.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    POINT at = TopLeft(main);
    EXPECT_EQ(at.x, 222);
    EXPECT_EQ(at.y, 64);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(app.WaitForExit(), 0u);
    EXPECT_EQ(Snapshot(elsewhere.Path()).at("JVCacheClean.ini"), "[locate]\r\ntop=500\r\nleft=600\r\n");
}

TEST_F(WindowPosition, AFileThatCannotBeWrittenIsReportedAndTheProgramStillCloses) {
    // Wine lets root write a read-only file; a folder in the file's place cannot be written.
    MakeFolder(ini_);
    AppProcess app(Environment{});
    HWND main = app.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_CLOSE, 0, 0);
    HWND error = app.WaitForDialog("JVCacheClean");
    ASSERT_NE(error, nullptr);
    const std::string text = DialogMessage(error);
    EXPECT_EQ(text.substr(0, text.find('\n') + 1), ini_ + " に書き込めません\r\n");
    EXPECT_NE(text.find("書き込める場所"), std::string::npos) << "says where to move it: " << text;
    EXPECT_TRUE(HasIcon(error)) << "the error display shows the error icon";
    ClickButton(error, "OK");
    EXPECT_EQ(app.WaitForExit(), 0u);
}

// Unpacked under a folder whose name the ANSI code page cannot hold ("café", which it would
// read as "cafe"), the program keeps its position in its own folder and never touches a
// sibling folder named as the code page would read it.
TEST(Settings, LiveBesideTheProgramWhateverItsFolderIsNamed) {
    TempFolder root;
    const std::wstring own = AnsiToWide(root.Path()) + L"\\caf\u00E9";
    const std::string sibling = root.File("cafe");
    MakeFolder(sibling);
    ASSERT_TRUE(CreateDirectoryW(own.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(AnsiToWide(BinaryFolder() + "\\JVCacheClean.exe").c_str(),
                          (own + L"\\JVCacheClean.exe").c_str(), FALSE));
    for (const POINT expected : {POINT{10, 10}, POINT{123, 45}}) {
        AppProcess app(Environment{}, own + L"\\JVCacheClean.exe");
        HWND main = app.WaitForMainWindow();
        ASSERT_NE(main, nullptr);
        RECT bounds;
        GetWindowRect(main, &bounds);
        EXPECT_EQ(bounds.left, expected.x);
        EXPECT_EQ(bounds.top, expected.y);
        SetWindowPos(main, nullptr, 123, 45, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        PostMessageA(main, WM_CLOSE, 0, 0);
        const DWORD exitCode = app.WaitForExit();
        EXPECT_EQ(exitCode, 0u) << "closing showed " << app.DialogAfterInput();
    }
    EXPECT_EQ(ReadWholeFile(own + L"\\JVCacheClean.ini"), "[locate]\r\ntop=45\r\nleft=123\r\n");
    EXPECT_TRUE(Snapshot(sibling).empty()) << "the sibling folder was touched";
}

}  // namespace
