#include <gtest/gtest.h>

#include <functional>
#include <map>
#include "AppDriver.h"

namespace {

std::string FileBytes(const std::string& path) {
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

// The program run as a batch file runs it: with arguments, its standard output redirected to
// a file, its exit code read. No window of it may become visible meanwhile.
class Unattended : public ::testing::Test {
protected:
    void SetUp() override {
        save_ = root_.File("save");
        MakeFolder(save_);
        MakeFolder(save_ + "\\Data");
        MakeFolder(save_ + "\\Cache");
        WriteTextFile(save_ + "\\own.dat", "in the save path itself");
        WriteTextFile(root_.File("above.dat"), "above the save path");
    }

    struct Outcome {
        DWORD exitCode = STILL_ACTIVE;
        std::string output;
        bool windowShown = false;
    };
    Outcome Run(const std::wstring& arguments, const Environment& environment) {
        const std::string path = root_.File("output.txt");
        SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable, CREATE_ALWAYS, 0, nullptr);
        Outcome outcome;
        if (file == INVALID_HANDLE_VALUE) return outcome;
        {
            AppProcess app(environment, arguments, file);
            CloseHandle(file);
            for (DWORD start = GetTickCount(); GetTickCount() - start < 60000; Sleep(10)) {
                outcome.windowShown |= app.AnyVisibleWindow() != nullptr;
                if ((outcome.exitCode = app.WaitForExit(0)) != STILL_ACTIVE) break;
            }
        }
        outcome.output = FileBytes(path);
        DeleteFileA(path.c_str());
        return outcome;
    }

    TempFolder root_;
    std::string save_;
};

const char kUsageStart[] = "使い方：JVCacheClean.exe [/delete | /?]\r\n";

TEST_F(Unattended, EachOutcomeHasItsExitCodeItsTextAndNoWindow) {
    const struct Case {
        const char* name;
        const wchar_t* arguments;
        const char* savePath;  // null: the test's own
        const wchar_t* initResult;  // what JVInit answers
        std::function<void(const std::string& save)> prepare;
        DWORD exitCode;
        const char* says;  // a line the output holds
        bool deletes;      // Data's and Cache's plain files go
    } cases[] = {
        {"emptied", L"/delete", nullptr, L"0", nullptr, 0, "を削除しました。", true},
        {"switch in capitals with a dash", L"-DELETE", nullptr, L"0", nullptr, 0, "を削除しました。", true},
        {"a read-only file stays", L"/delete", nullptr, L"0",
         [](const std::string& save) { WriteTextFile(save + "\\Data\\kept.dat", "", FILE_ATTRIBUTE_READONLY); }, 1,
         "削除できなかったファイル", true},
        {"no save path", L"/delete", "", L"0", nullptr, 2, "JV-Linkの保存パスが設定されていません。", false},
        {"JVInit fails", L"/delete", nullptr, L"-101", nullptr, 2, "JVInitエラーが発生しました。：sid が設定されていません。",
         false},
        {"usage", L"/?", nullptr, L"0", nullptr, 0, kUsageStart, false},
        {"an unknown switch", L"/deletee", nullptr, L"0", nullptr, 2, kUsageStart, false},
        {"a switch and a stray word", L"/delete now", nullptr, L"0", nullptr, 2, kUsageStart, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteTextFile(save_ + "\\Data\\a.jvd", "cache");
        WriteTextFile(save_ + "\\Cache\\b.jvd", "cache");
        if (c.prepare) c.prepare(save_);
        const Outcome outcome = Run(c.arguments, {{L"JVLINK_STANDIN_SAVEPATH", AnsiToWide(c.savePath ? c.savePath : save_)},
                                                  {L"JVLINK_STANDIN_INIT_RESULT", c.initResult}});
        EXPECT_EQ(outcome.exitCode, c.exitCode) << outcome.output;
        EXPECT_NE(outcome.output.find(c.says), std::string::npos) << outcome.output;
        EXPECT_GE(outcome.output.size(), 2u);
        EXPECT_EQ(outcome.output.substr(outcome.output.size() - 2), "\r\n") << "the last line ends";
        EXPECT_EQ(outcome.output.find("\n"), outcome.output.find("\r\n") + 1) << "lines end in CRLF";
        EXPECT_FALSE(outcome.windowShown);
        EXPECT_FALSE(Exists(BinaryFolder() + "\\JVCacheClean.ini")) << "the window's position is not written";
        EXPECT_EQ(Exists(save_ + "\\Data\\a.jvd"), !c.deletes);
        EXPECT_EQ(Exists(save_ + "\\Cache\\b.jvd"), !c.deletes);
        EXPECT_TRUE(Exists(save_ + "\\own.dat"));
        EXPECT_TRUE(Exists(root_.File("above.dat")));
        SetFileAttributesA((save_ + "\\Data\\kept.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA((save_ + "\\Data\\kept.dat").c_str());
    }
}

// Nobody is there to decide about a program that has JV-Link loaded: it stops the run.
TEST_F(Unattended, AProgramThatHasJVLinkLoadedStopsTheRun) {
    WriteTextFile(save_ + "\\Data\\a.jvd", "cache");
    AppProcess user(Environment{}, AnsiToWide(BinaryFolder() + "\\jvlink_user.exe"));
    HWND window = nullptr;
    ASSERT_TRUE(Eventually([&] { return (window = user.FindWindowOfClass("JVLinkUser", "", false)) != nullptr; }));
    const Outcome outcome = Run(L"/delete", {{L"JVLINK_STANDIN_SAVEPATH", AnsiToWide(save_)}});
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(user.WaitForExit(), 0u);
    EXPECT_EQ(outcome.exitCode, 2u);
    EXPECT_NE(outcome.output.find("\r\njvlink_user.exe\r\n"), std::string::npos) << outcome.output;
    EXPECT_TRUE(Exists(save_ + "\\Data\\a.jvd"));
    EXPECT_FALSE(outcome.windowShown);
}

class UnattendedWithoutJVLink : public Unattended {
protected:
    void SetUp() override {
        Unattended::SetUp();
        UnregisterStandIn();
    }
    void TearDown() override { RegisterStandIn(); }
};

TEST_F(UnattendedWithoutJVLink, SaysHowToInstallItAndExitsWithThree) {
    const Outcome outcome = Run(L"/delete", {});
    EXPECT_EQ(outcome.exitCode, 3u);
    EXPECT_EQ(outcome.output, "JRA-VANのホームページより【JV-Link】を入手し、インストールしてください。\r\n");
    EXPECT_FALSE(outcome.windowShown);
}

}  // namespace

namespace {

// Without a redirected output (as a shortcut starts it), a bad argument shows nothing: in a
// scheduled task nobody would close a box. Where /? goes then (the parent's console, or a
// message box when there is none) only a parent without a console shows, which the suite's
// own process is not.
TEST(UnattendedWithoutOutput, ABadArgumentShowsNothing) {
    AppProcess app(Environment{}, L"/nonsense", INVALID_HANDLE_VALUE);
    bool shown = false;
    DWORD exitCode = STILL_ACTIVE;
    for (DWORD start = GetTickCount(); exitCode == STILL_ACTIVE && GetTickCount() - start < 20000; Sleep(10)) {
        shown |= app.AnyVisibleWindow() != nullptr;
        exitCode = app.WaitForExit(0);
    }
    EXPECT_EQ(exitCode, 2u);
    EXPECT_FALSE(shown);
}

}  // namespace
