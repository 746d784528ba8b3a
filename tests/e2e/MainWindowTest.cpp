#include <gtest/gtest.h>

#include "AppDriver.h"
#include "resource.h"

namespace {

const char kCaption[] = "キャッシュデータ削除ツール for JRA-VAN Data Lab.";

// The program started with the stand-in, its main window found.
class MainWindow : public ::testing::Test {
protected:
    // Call through ASSERT_NO_FATAL_FAILURE: a missing window ends the test.
    void Start(const Environment& environment = {}) {
        Environment withLog = environment;
        withLog.emplace_back(L"JVLINK_STANDIN_LOG", AnsiToWide(folder_.File("log.txt")));
        app_.reset(new AppProcess(withLog));
        main_ = app_->WaitForMainWindow();
        ASSERT_NE(main_, nullptr);
    }
    std::vector<std::string> Log() const { return ReadLines(folder_.File("log.txt")); }
    // The stand-in's last call; empty while it has logged none.
    std::string LastCall() const {
        const std::vector<std::string> log = Log();
        return log.empty() ? std::string() : log.back();
    }

    TempFolder folder_;
    std::unique_ptr<AppProcess> app_;
    HWND main_ = nullptr;
};

TEST_F(MainWindow, ShowsItsCaptionTextsAndButtonInAFixedFrame) {
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_EQ(WindowText(main_), kCaption);
    RECT client;
    GetClientRect(main_, &client);
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(client.right, MulDiv(424, dpi, 96));
    EXPECT_EQ(client.bottom, MulDiv(174, dpi, 96));

    LONG style = GetWindowLongA(main_, GWL_STYLE);
    EXPECT_FALSE(style & WS_THICKFRAME) << "the window must not be resizable";
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_NE(GetMenu(main_), nullptr);

    const char* const texts[] = {
        "JRA-VAN Data Lab.からデータを取得中にエラー番号(-402,-403)のエラーが発生し、再取得しても改善しない場合はこのソフトを使ってキャッシュデータの削除を行うと解決する場合が多いです。",
        "このエラーはダウンロードしたデータが異常あるいは壊れた場合に発生します。下のボタンをクリックするとJRA-VAN Data Lab.のキャッシュデータを削除できます。",
        "JRA-VAN Data Lab.のキャッシュデータを削除する",
    };
    for (const char* text : texts) EXPECT_NE(FindChildWithText(main_, text), nullptr) << text;

    // The delete button sits where the form puts it, in client coordinates.
    HWND button = FindChildWithText(main_, texts[2]);
    ASSERT_NE(button, nullptr);
    RECT bounds;
    GetWindowRect(button, &bounds);
    MapWindowPoints(nullptr, main_, reinterpret_cast<POINT*>(&bounds), 2);
    EXPECT_EQ(bounds.left, MulDiv(22, dpi, 96));
    EXPECT_EQ(bounds.top, MulDiv(102, dpi, 96));
    EXPECT_EQ(bounds.right - bounds.left, MulDiv(357, dpi, 96));

    // A resize attempt leaves the client area as it is.
    PostMessageA(main_, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    ASSERT_TRUE(app_->WaitUntilHandled());
    GetClientRect(main_, &client);
    EXPECT_EQ(client.right, MulDiv(424, dpi, 96));
}

TEST_F(MainWindow, ReportsAFailedJVInitInAPlainMessageBox) {
    AppProcess app(Environment{{L"JVLINK_STANDIN_INIT_RESULT", L"-102"}});
    HWND box = app.WaitForDialog("JVCacheClean");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(DialogMessage(box), "JVInitエラーが発生しました。：sid が64byte 以上あります。(-102)");
    ClickButton(box, "OK");
    ASSERT_TRUE(WaitUntilGone(box));
    // The window stays open and usable.
    HWND main = app.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(app.WaitForExit(), 0u);
}

TEST_F(MainWindow, ReportsAFailedJVSetUIPropertiesInAnInformationDialog) {
    ASSERT_NO_FATAL_FAILURE(Start({{L"JVLINK_STANDIN_SETUI_RESULT", L"-100"}}));
    app_->ChooseMenu(main_, 'f', 's');
    HWND dialog = app_->WaitForDialog("情報");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(DialogMessage(dialog),
              "JVSetUIPropertiesエラー：パラメータが不正あるいはレジストリへの保存に失敗しました。(-100)");
    ClickButton(dialog, "OK");
    ASSERT_TRUE(WaitUntilGone(dialog));
    EXPECT_EQ(LastCall(), "JVSetUIProperties");
    PostMessageA(main_, WM_CLOSE, 0, 0);
    EXPECT_EQ(app_->WaitForExit(), 0u);
}

TEST_F(MainWindow, SettingsThatSucceedReportNothing) {
    ASSERT_NO_FATAL_FAILURE(Start());
    app_->ChooseMenu(main_, 'f', 's');
    EXPECT_TRUE(Eventually([this] { return LastCall() == "JVSetUIProperties"; })) << LastCall();
    EXPECT_EQ(app_->DialogAfterInput(), "");
    PostMessageA(main_, WM_CLOSE, 0, 0);
    EXPECT_EQ(app_->WaitForExit(), 0u);
}

TEST_F(MainWindow, ExitsFromTheFileMenuWithZero) {
    ASSERT_NO_FATAL_FAILURE(Start());
    app_->ChooseMenu(main_, 'f', 'x');
    EXPECT_EQ(app_->WaitForExit(), 0u);
    EXPECT_EQ(LastCall(), "release 2");
}

TEST_F(MainWindow, ExitsFromTheCloseButtonWithZero) {
    ASSERT_NO_FATAL_FAILURE(Start());
    PostMessageA(main_, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(app_->WaitForExit(), 0u);
    EXPECT_EQ(LastCall(), "release 2");
}

}  // namespace
