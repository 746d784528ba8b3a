#include <gtest/gtest.h>

#include <map>
#include "AppDriver.h"

namespace {

const char kButton[] = "JRA-VAN Data Lab.のキャッシュデータを削除する";
const char kQuestion[] = "次のフォルダ内にあるキャッシュデータを削除します。よろしいですか？\r\n";

// A save path with Data and Cache inside a tree whose other files are sentinels: whatever
// a test does, everything outside Data and Cache must be byte for byte as it was.
class Deletion : public ::testing::Test {
protected:
    void SetUp() override {
        save_ = root_.File("save");
        data_ = save_ + "\\Data";
        cache_ = save_ + "\\Cache";
        MakeFolder(save_);
        WriteTextFile(root_.File("above.dat"), "above the save path");
        MakeFolder(root_.File("beside"));
        WriteTextFile(root_.File("beside\\beside.dat"), "beside the save path");
        WriteTextFile(save_ + "\\own.dat", "in the save path itself");
        sentinels_ = Snapshot(root_.Path());
    }
    void TearDown() override {
        std::map<std::string, std::string> now = Snapshot(root_.Path());
        for (const auto& file : sentinels_) {
            auto found = now.find(file.first);
            ASSERT_NE(found, now.end()) << file.first << " is gone";
            EXPECT_EQ(found->second, file.second) << file.first << " changed";
        }
    }

    void Start(const std::wstring& savePath) {
        app_.reset(new AppProcess(Environment{{L"JVLINK_STANDIN_SAVEPATH", savePath}}));
        main_ = app_->WaitForMainWindow();
        ASSERT_NE(main_, nullptr);
    }
    void StartWithSavePath() { Start(AnsiToWide(save_)); }
    void ClickDelete() {
        HWND button = FindChildWithText(main_, kButton);
        ASSERT_NE(button, nullptr);
        PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    }
    void CloseAndExpectExitZero() {
        PostMessageA(main_, WM_CLOSE, 0, 0);
        EXPECT_EQ(app_->WaitForExit(), 0u);
    }
    // Answers the confirmation with Yes and returns the report's text.
    std::string ConfirmAndReadReport() {
        HWND question = app_->WaitForDialog("確認");
        if (!question) return "<no confirmation>";
        ClickButton(question, "はい(&Y)");
        HWND report = app_->WaitForDialog("情報", 60000);
        if (!report) return "<no report>";
        std::string text = DialogMessage(report);
        ClickButton(report, "OK");
        WaitUntilGone(report);
        return text;
    }
    std::string Report(int dataCount, int cacheCount) const {
        return data_ + "内のキャッシュデータ" + std::to_string(dataCount) + "個\r\n" + cache_ +
               "内のキャッシュデータ" + std::to_string(cacheCount) + "個\r\nを削除しました。";
    }

    TempFolder root_;
    std::string save_, data_, cache_;
    std::map<std::string, std::string> sentinels_;
    std::unique_ptr<AppProcess> app_;
    HWND main_ = nullptr;
};

TEST_F(Deletion, AnsweringNoDeletesNothing) {
    MakeFolder(data_);
    MakeFolder(cache_);
    WriteTextFile(data_ + "\\d.dat", "d");
    WriteTextFile(cache_ + "\\c.dat", "c");
    auto before = Snapshot(root_.Path());
    ASSERT_NO_FATAL_FAILURE(StartWithSavePath());
    for (bool byEscape : {false, true}) {
        ClickDelete();
        HWND question = app_->WaitForDialog("確認");
        ASSERT_NE(question, nullptr);
        EXPECT_EQ(DialogMessage(question), kQuestion + data_ + "\r\n" + cache_);
        if (byEscape) PostMessageA(FindChildWithText(question, "はい(&Y)"), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        else ClickButton(question, "いいえ(&N)");
        ASSERT_TRUE(WaitUntilGone(question));
        Sleep(300);
        EXPECT_EQ(app_->FindWindowOfClass("#32770"), nullptr) << "nothing is reported";
    }
    EXPECT_EQ(Snapshot(root_.Path()), before);
    CloseAndExpectExitZero();
}

TEST_F(Deletion, AnsweringYesDeletesPlainFilesAndReportsBothCounts) {
    MakeFolder(data_);
    MakeFolder(cache_);
    for (const char* name : {"1.dat", "2.dat", "3.dat"}) WriteTextFile(data_ + "\\" + name, name);
    WriteTextFile(data_ + "\\hidden.dat", "h", FILE_ATTRIBUTE_HIDDEN);
    WriteTextFile(data_ + "\\readonly.dat", "r", FILE_ATTRIBUTE_READONLY);
    MakeFolder(data_ + "\\sub");
    WriteTextFile(data_ + "\\sub\\inside.dat", "kept");
    WriteTextFile(cache_ + "\\a.dat", "a");
    WriteTextFile(cache_ + "\\\x95\x5C.dat", "hyou");
    ASSERT_NO_FATAL_FAILURE(StartWithSavePath());
    ClickDelete();
    EXPECT_EQ(ConfirmAndReadReport(), Report(3, 2));
    const std::map<std::string, std::string> left = {
        {"hidden.dat", "h"}, {"readonly.dat", "r"}, {"sub\\", ""}, {"sub\\inside.dat", "kept"}};
    EXPECT_EQ(Snapshot(data_), left);
    EXPECT_TRUE(Snapshot(cache_).empty());
    CloseAndExpectExitZero();
}

TEST_F(Deletion, CountsArePlainDecimalAndMissingFoldersCountZero) {
    MakeFolder(data_);
    for (int i = 0; i < 1234; ++i) WriteTextFile(data_ + "\\f" + std::to_string(i) + ".dat", "");
    ASSERT_NO_FATAL_FAILURE(StartWithSavePath());
    ClickDelete();
    EXPECT_EQ(ConfirmAndReadReport(), Report(1234, 0));
    EXPECT_TRUE(Snapshot(data_).empty());
    // With neither folder there, the run still beeps and reports.
    RemoveTree(data_);
    ClickDelete();
    EXPECT_EQ(ConfirmAndReadReport(), Report(0, 0));
    CloseAndExpectExitZero();
}

TEST_F(Deletion, ASecondRunDeletesFilesThatAppearedSinceTheFirst) {
    MakeFolder(cache_);
    WriteTextFile(cache_ + "\\first.dat", "");
    ASSERT_NO_FATAL_FAILURE(StartWithSavePath());
    ClickDelete();
    EXPECT_EQ(ConfirmAndReadReport(), Report(0, 1));
    WriteTextFile(cache_ + "\\second.dat", "");
    WriteTextFile(cache_ + "\\third.dat", "");
    ClickDelete();
    EXPECT_EQ(ConfirmAndReadReport(), Report(0, 2));
    CloseAndExpectExitZero();
}

TEST_F(Deletion, ASavePathEndingInASeparatorIsShownAndUsedDoubled) {
    MakeFolder(data_);
    WriteTextFile(data_ + "\\d.dat", "");
    ASSERT_NO_FATAL_FAILURE(Start(AnsiToWide(save_ + "\\")));
    ClickDelete();
    HWND question = app_->WaitForDialog("確認");
    ASSERT_NE(question, nullptr);
    std::string doubledData = save_ + "\\\\Data";
    std::string doubledCache = save_ + "\\\\Cache";
    EXPECT_EQ(DialogMessage(question), kQuestion + doubledData + "\r\n" + doubledCache);
    ClickButton(question, "はい(&Y)");
    HWND report = app_->WaitForDialog("情報");
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(DialogMessage(report), doubledData + "内のキャッシュデータ1個\r\n" + doubledCache +
                                         "内のキャッシュデータ0個\r\nを削除しました。");
    ClickButton(report, "OK");
    WaitUntilGone(report);
    CloseAndExpectExitZero();
}

TEST_F(Deletion, UnusableSavePathsAreRefusedBeforeAnything) {
    MakeFolder(data_);
    WriteTextFile(data_ + "\\d.dat", "must stay");
    const struct {
        std::wstring savePath;
        const char* saying;
    } cases[] = {
        {L"", "設定されていません"},
        {L"save", "完全なパスではない"},
        {L"\\save", "完全なパスではない"},
        {L"C:save", "完全なパスではない"},
        {AnsiToWide(root_.Path()) + L"\\a\u00A5..\u00A5save", "正しく表せない文字"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.saying);
        ASSERT_NO_FATAL_FAILURE(Start(c.savePath));
        ClickDelete();
        HWND refusal = app_->WaitForDialog("警告");
        ASSERT_NE(refusal, nullptr);
        EXPECT_NE(DialogMessage(refusal).find(c.saying), std::string::npos) << DialogMessage(refusal);
        ClickButton(refusal, "OK");
        ASSERT_TRUE(WaitUntilGone(refusal));
        Sleep(300);
        EXPECT_EQ(app_->FindWindowOfClass("#32770"), nullptr) << "nothing is asked";
        CloseAndExpectExitZero();
    }
    EXPECT_EQ(Snapshot(data_).at("d.dat"), "must stay");
}

TEST_F(Deletion, AFailingSavePathIsShownByTheErrorDisplay) {
    MakeFolder(data_);
    WriteTextFile(data_ + "\\d.dat", "must stay");
    app_.reset(new AppProcess(Environment{{L"JVLINK_STANDIN_SAVEPATH", AnsiToWide(save_)},
                                          {L"JVLINK_STANDIN_SAVEPATH_FAIL", L"保存パスを読めません"}}));
    main_ = app_->WaitForMainWindow();
    ASSERT_NE(main_, nullptr);
    ClickDelete();
    HWND error = app_->WaitForDialog("JVCacheClean");
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(DialogMessage(error), "保存パスを読めません");
    ClickButton(error, "OK");
    ASSERT_TRUE(WaitUntilGone(error));
    Sleep(300);
    EXPECT_EQ(app_->FindWindowOfClass("#32770"), nullptr);
    EXPECT_TRUE(Exists(data_ + "\\d.dat"));
    CloseAndExpectExitZero();
}

TEST_F(Deletion, AUncSavePathThatCannotBeReachedDeletesNothing) {
    ASSERT_NO_FATAL_FAILURE(Start(L"\\\\no-such-server\\share\\JV"));
    ClickDelete();
    HWND question = app_->WaitForDialog("確認");
    ASSERT_NE(question, nullptr);
    ClickButton(question, "はい(&Y)");
    HWND report = app_->WaitForDialog("情報", 60000);
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(DialogMessage(report),
              "\\\\no-such-server\\share\\JV\\Data内のキャッシュデータ0個\r\n"
              "\\\\no-such-server\\share\\JV\\Cache内のキャッシュデータ0個\r\nを削除しました。");
    ClickButton(report, "OK");
    WaitUntilGone(report);
    CloseAndExpectExitZero();
}

}  // namespace
