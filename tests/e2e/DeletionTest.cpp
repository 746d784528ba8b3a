#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <oleacc.h>
#include <shlobj.h>
#include "AppDriver.h"
#include "base/Application.h"

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
        // Cache is there unless a test takes it away: a folder that is not there is named in
        // the report.
        MakeFolder(cache_);
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
    void ClickDeleteAndAnswerYes() {
        ClickDelete();
        HWND question = app_->WaitForDialog("確認");
        ASSERT_NE(question, nullptr);
        ClickButton(question, "はい(&Y)");
    }
    // Many files at once, made from the Unix side: <prefix>NNNNN.jvd for step, 2 step, ... last.
    static bool FillFromUnix(const std::string& folder, const char* prefix, int last, int step = 1) {
        return RunUnixShell("cd '" + UnixPath(folder) + "' && seq -f '" + prefix + "%05g.jvd' " +
                                std::to_string(step) + " " + std::to_string(step) + " " + std::to_string(last) +
                                " | xargs touch",
                            60000);
    }
    void CloseAndExpectExitZero() {
        PostMessageA(main_, WM_CLOSE, 0, 0);
        EXPECT_EQ(app_->WaitForExit(), 0u);
    }
    // Answers the question shown with Yes, and returns the report's text once it is read.
    std::string AnswerYesAndReadReport(HWND question, DWORD timeoutMs = 60000) {
        ClickButton(question, "はい(&Y)");
        HWND report = app_->WaitForDialog("情報", timeoutMs);
        if (!report) return "<no report>";
        std::string text = DialogMessage(report);
        ClickButton(report, "OK");
        WaitUntilGone(report);
        return text;
    }
    // Waits for the question, answers Yes and returns the report's text.
    std::string ConfirmAndReadReport() {
        HWND question = app_->WaitForDialog("確認");
        return question ? AnswerYesAndReadReport(question) : "<no confirmation>";
    }
    // The report's lines for folders that were not there, after the folder lines.
    static std::string Absent(std::initializer_list<std::string> folders, bool noneThere = false) {
        std::string lines = "\r\n\r\n次のフォルダは見つかりませんでした（削除するファイルはありません）：";
        for (const std::string& folder : folders) lines += "\r\n" + folder;
        if (noneThere) lines += "\r\n保存パスが正しいか、メニューの「ﾌｧｲﾙ」→「JV Link 設定」で確かめてください。";
        return lines;
    }
    std::string Report(int dataCount, int cacheCount, int dataStayed = 0, int cacheStayed = 0) const {
        std::string report = data_ + "内のキャッシュデータ" + std::to_string(dataCount) + "個\r\n" + cache_ +
                             "内のキャッシュデータ" + std::to_string(cacheCount) + "個\r\nを削除しました。";
        std::string stayed;
        if (dataStayed) stayed += "\r\n" + data_ + "内" + std::to_string(dataStayed) + "個";
        if (cacheStayed) stayed += "\r\n" + cache_ + "内" + std::to_string(cacheStayed) + "個";
        if (!stayed.empty())
            report += "\r\n\r\n削除できなかったファイル：" + stayed +
                      "\r\n使用中のファイル、読み取り専用のファイル、このソフトでは扱えない名前のファイルは削除できません。"
                      "JV-Linkを使うソフトをすべて終了してから、もう一度お試しください。"
                      "それでも残るファイルは、エクスプローラーで削除してください。";
        return report;
    }
    // The error that the button shows instead of the question, and whatever follows it.
    std::string ErrorInsteadOfQuestion() {
        HWND dialog = app_->WaitForDialog("");
        if (!dialog) return "<no dialog>";
        if (WindowText(dialog) != "JVCacheClean") return "<" + WindowText(dialog) + "> " + DialogMessage(dialog);
        std::string text = DialogMessage(dialog);
        ClickButton(dialog, "OK");
        WaitUntilGone(dialog);
        return text + app_->DialogAfterInput();  // no question follows
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
        EXPECT_EQ(app_->DialogAfterInput(), "") << "nothing is reported";
        // No answer leaves no folder held: each can be opened without sharing at once.
        for (const std::string& folder : {data_, cache_}) {
            HANDLE alone = CreateFileA(folder.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
            EXPECT_NE(alone, INVALID_HANDLE_VALUE) << folder << " is still held: error " << GetLastError();
            if (alone != INVALID_HANDLE_VALUE) CloseHandle(alone);
        }
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
    EXPECT_EQ(ConfirmAndReadReport(), Report(3, 2, 1, 0));  // the read-only file stayed
    const std::map<std::string, std::string> left = {
        {"hidden.dat", "h"}, {"readonly.dat", "r"}, {"sub\\", ""}, {"sub\\inside.dat", "kept"}};
    EXPECT_EQ(Snapshot(data_), left);
    EXPECT_TRUE(Snapshot(cache_).empty());
    CloseAndExpectExitZero();
}

// A folder that is not there counts 0 and is named after the counts; with neither there,
// the report says where to check the save path.
TEST_F(Deletion, CountsArePlainDecimalAndMissingFoldersAreNamed) {
    MakeFolder(data_);
    RemoveTree(cache_);
    for (int i = 0; i < 1234; ++i) WriteTextFile(data_ + "\\f" + std::to_string(i) + ".dat", "");
    ASSERT_NO_FATAL_FAILURE(StartWithSavePath());
    ClickDelete();
    EXPECT_EQ(ConfirmAndReadReport(), Report(1234, 0) + Absent({cache_}));
    EXPECT_TRUE(Snapshot(data_).empty());
    RemoveTree(data_);
    ClickDelete();
    EXPECT_EQ(ConfirmAndReadReport(), Report(0, 0) + Absent({data_, cache_}, true));
    CloseAndExpectExitZero();
}

// A Data folder that is a link to a place that is gone (a cache moved to a drive since
// unplugged) is not absent: it cannot be reached, and that is said instead of the question.
TEST_F(Deletion, ALinkToAPlaceThatIsGoneIsAnErrorInsteadOfTheQuestion) {
    WriteTextFile(cache_ + "\\c.dat", "stays");
    ASSERT_TRUE(RunUnixShell("ln -s '" + UnixPath(root_.Path()) + "/unplugged' '" + UnixPath(data_) + "'"));
    ASSERT_NO_FATAL_FAILURE(StartWithSavePath());
    ClickDelete();
    const std::string error = ErrorInsteadOfQuestion();
    EXPECT_NE(error.find("「" + data_ + "」はリンクですが、リンク先が見つからないため"), std::string::npos) << error;
    EXPECT_NE(error.find("\r\nファイルは1つも削除していません。"), std::string::npos) << error;
    EXPECT_TRUE(Exists(cache_ + "\\c.dat"));
    CloseAndExpectExitZero();
    RemoveUnixLink(data_);
}

TEST_F(Deletion, ASecondRunDeletesFilesThatAppearedSinceTheFirst) {
    MakeFolder(data_);
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
    EXPECT_EQ(AnswerYesAndReadReport(question), doubledData + "内のキャッシュデータ1個\r\n" + doubledCache +
                                                    "内のキャッシュデータ0個\r\nを削除しました。");
    CloseAndExpectExitZero();
}

TEST_F(Deletion, UnusableSavePathsAreRefusedBeforeAnything) {
    MakeFolder(data_);
    WriteTextFile(data_ + "\\d.dat", "must stay");
    // Longer than MAX_PATH allows once \Cache, "\" and an 8.3 name are added.
    const std::string tooLong = root_.File(std::string(241 - root_.Path().size() - 1, 'L'));
    const struct {
        std::wstring savePath;
        const char* saying;
        const wchar_t* afterNul;  // the control reports the save path, a NUL and this
    } cases[] = {
        {L"", "設定されていません", nullptr},
        {L"save", "フルパスではない", nullptr},
        {L"\\save", "フルパスではない", nullptr},
        {L"C:save", "フルパスではない", nullptr},
        {AnsiToWide(root_.Path()) + L"\\a\u00A5..\u00A5save", "表せない文字", nullptr},
        // Every ANSI call would stop at the NUL and empty the save path itself.
        {AnsiToWide(save_), "制御文字", L"\\elsewhere"},
        {AnsiToWide(tooLong), "長すぎる", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.saying);
        Environment environment{{L"JVLINK_STANDIN_SAVEPATH", c.savePath}};
        if (c.afterNul) environment.emplace_back(L"JVLINK_STANDIN_SAVEPATH_AFTER_NUL", c.afterNul);
        app_.reset(new AppProcess(environment));
        main_ = app_->WaitForMainWindow();
        ASSERT_NE(main_, nullptr);
        ClickDelete();
        HWND refusal = app_->WaitForDialog("警告");
        ASSERT_NE(refusal, nullptr);
        EXPECT_NE(DialogMessage(refusal).find(c.saying), std::string::npos) << DialogMessage(refusal);
        ClickButton(refusal, "OK");
        ASSERT_TRUE(WaitUntilGone(refusal));
        EXPECT_EQ(app_->DialogAfterInput(), "") << "nothing is asked";
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
    EXPECT_EQ(app_->DialogAfterInput(), "");
    EXPECT_TRUE(Exists(data_ + "\\d.dat"));
    CloseAndExpectExitZero();
}

TEST_F(Deletion, ASavePathAtTheLengthLimitStillDeletesAndCounts) {
    const std::string longSave = root_.File(std::string(240 - root_.Path().size() - 1, 'L'));
    ASSERT_EQ(longSave.size(), 240u);
    data_ = longSave + "\\Data";
    cache_ = longSave + "\\Cache";
    MakeFolder(longSave);
    MakeFolder(data_);
    MakeFolder(cache_);
    WriteTextFile(data_ + "\\12345678.dat", "");
    WriteTextFile(cache_ + "\\12345678.dat", "");  // 259 bytes: the longest path Windows opens
    WriteTextFile(cache_ + "\\a.dat", "");
    ASSERT_NO_FATAL_FAILURE(Start(AnsiToWide(longSave)));
    ClickDelete();
    EXPECT_EQ(ConfirmAndReadReport(), Report(1, 2));
    CloseAndExpectExitZero();
    RemoveTree(longSave);
}

// Best fit lists "fö.dat" as "fo.dat" and "é.dat" as "e.dat": names of their protected twins.
TEST_F(Deletion, LookAlikeNamesNeverDeleteTheirHiddenOrSystemTwins) {
    MakeFolder(data_);
    MakeFolder(cache_);
    WriteTextFileW(AnsiToWide(data_) + L"\\f\u00F6.dat", "look-alike");
    WriteTextFile(data_ + "\\fo.dat", "hidden twin", FILE_ATTRIBUTE_HIDDEN);
    WriteTextFileW(AnsiToWide(cache_) + L"\\\u00E9.dat", "look-alike");
    WriteTextFile(cache_ + "\\e.dat", "system twin", FILE_ATTRIBUTE_SYSTEM);
    WriteTextFile(cache_ + "\\plain.dat", "");
    ASSERT_NO_FATAL_FAILURE(StartWithSavePath());
    ClickDelete();
    EXPECT_EQ(ConfirmAndReadReport(), Report(0, 1, 1, 1));  // the look-alikes themselves stay
    EXPECT_EQ(Snapshot(data_).at("fo.dat"), "hidden twin");
    EXPECT_EQ(Snapshot(cache_).at("e.dat"), "system twin");
    EXPECT_EQ(Snapshot(cache_).count("plain.dat"), 0u);
    CloseAndExpectExitZero();
}

// Data or Cache linked to the save path itself would empty the user's own files beside it:
// the button shows an error instead of the question, and nothing is deleted anywhere.
// Whatever happens, the program's current directory is where it was, so that no folder of
// the user's is held.
TEST_F(Deletion, AFolderLinkedToTheSavePathIsRefusedInsteadOfTheQuestion) {
    MakeFolder(data_);
    MakeFolder(cache_);
    for (const char* name : {"1.dat", "2.dat"}) WriteTextFile(data_ + "\\" + name, name);
    WriteTextFile(cache_ + "\\c.dat", "c");
    ASSERT_NO_FATAL_FAILURE(StartWithSavePath());
    const std::wstring folder = app_->CurrentFolder();
    ASSERT_FALSE(folder.empty());
    for (const std::string& linked : {data_, cache_}) {
        SCOPED_TRACE(linked);
        const std::string kept = root_.File("kept");
        ASSERT_TRUE(MoveFileA(linked.c_str(), kept.c_str()));
        ASSERT_TRUE(MakeUnixSymlink(save_, linked));
        const auto before = Snapshot(root_.Path());
        ClickDelete();
        const std::string error = ErrorInsteadOfQuestion();
        EXPECT_NE(error.find("「" + linked + "」"), std::string::npos) << error;
        EXPECT_NE(error.find("保存パスそのもの"), std::string::npos) << error;
        EXPECT_NE(error.find("このリンクです"), std::string::npos) << error;
        EXPECT_NE(error.find("1つも削除していません"), std::string::npos) << error;
        EXPECT_EQ(Snapshot(root_.Path()), before);
        EXPECT_EQ(app_->CurrentFolder(), folder);
        RemoveUnixLink(linked);
        ASSERT_TRUE(MoveFileA(kept.c_str(), linked.c_str()));
    }
    ClickDelete();
    EXPECT_EQ(ConfirmAndReadReport(), Report(2, 1));
    EXPECT_EQ(app_->CurrentFolder(), folder) << "the run leaves no folder of the cache held";
    CloseAndExpectExitZero();
}

// A junction or link at Data that leads elsewhere (a cache moved to another drive) is
// followed, and the question and the report say where it leads.
TEST_F(Deletion, WhereALinkAtDataLeadsIsNamed) {
    const std::string elsewhere = root_.File("elsewhere");
    MakeFolder(elsewhere);
    WriteTextFile(elsewhere + "\\moved.dat", "");
    ASSERT_TRUE(MakeUnixSymlink(elsewhere, data_));
    ASSERT_NO_FATAL_FAILURE(StartWithSavePath());
    ClickDelete();
    HWND question = app_->WaitForDialog("確認");
    ASSERT_NE(question, nullptr);
    const std::string named = data_ + "（実際の場所：" + elsewhere + "）";
    EXPECT_EQ(DialogMessage(question), kQuestion + named + "\r\n" + cache_);
    const std::string report = AnswerYesAndReadReport(question);
    EXPECT_EQ(report.find(named + "内のキャッシュデータ1個\r\n"), 0u) << report;
    EXPECT_TRUE(Snapshot(elsewhere).empty());
    CloseAndExpectExitZero();
    RemoveUnixLink(data_);
}

// Another program swaps Data for a link to a folder elsewhere (whose files bear the same
// names) while the question is on the screen: the run keeps to the Data the user was
// shown, never deletes in the other folder, and counts exactly what left its own.
TEST_F(Deletion, AFolderSwappedWhileTheQuestionIsShownLeadsNowhereElse) {
    const int files = 2000;
    const std::string sentinel = root_.File("sentinel");
    MakeFolder(sentinel);
    ASSERT_TRUE(FillFromUnix(sentinel, "d", files));
    const auto sentinels = Snapshot(sentinel);
    MakeFolder(data_);
    ASSERT_TRUE(FillFromUnix(data_, "d", files));
    const std::string real = root_.File("real");
    ASSERT_NO_FATAL_FAILURE(StartWithSavePath());
    ClickDelete();
    HWND question = app_->WaitForDialog("確認");
    ASSERT_NE(question, nullptr);
    ASSERT_TRUE(MoveFileA(data_.c_str(), real.c_str()));
    ASSERT_TRUE(MakeUnixSymlink(sentinel, data_));
    const std::string report = AnswerYesAndReadReport(question);
    // Windows deletes through the handle, in the Data that was shown: every file goes. Wine
    // finds an entry by its folder's path, which now leads elsewhere: nothing goes, and
    // every file counts as stayed.
    const int gone = RunningUnderWine() ? 0 : files;
    EXPECT_EQ(report, Report(gone, 0, files - gone, 0));
    EXPECT_EQ(Snapshot(real).size(), static_cast<std::size_t>(files - gone));
    EXPECT_EQ(Snapshot(sentinel), sentinels) << "a file of the other folder went";
    CloseAndExpectExitZero();
    RemoveUnixLink(data_);
}

// A close asked for while the run goes on (the checks, the question, an error's display)
// waits, and is taken up once the run has ended, however it ended.
TEST_F(Deletion, ACloseDuringTheRunIsTakenUpWhenItEnds) {
    MakeFolder(data_);
    WriteTextFile(data_ + "\\d.dat", "stays");
    ASSERT_NO_FATAL_FAILURE(StartWithSavePath());
    ClickDelete();
    PostMessageA(main_, WM_CLOSE, 0, 0);  // reaches the window during the checks or the question
    HWND question = app_->WaitForDialog("確認");
    ASSERT_NE(question, nullptr) << "closed before the run ended";
    ClickButton(question, "いいえ(&N)");
    EXPECT_EQ(app_->WaitForExit(), 0u) << "the close that waited was not taken up after No";
    EXPECT_TRUE(Exists(data_ + "\\d.dat"));

    // An error instead of the question: Cache linked to the save path.
    RemoveTree(cache_);
    ASSERT_TRUE(MakeUnixSymlink(save_, cache_));
    ASSERT_NO_FATAL_FAILURE(StartWithSavePath());
    ClickDelete();
    HWND error = app_->WaitForDialog("JVCacheClean");
    ASSERT_NE(error, nullptr);
    PostMessageA(main_, WM_CLOSE, 0, 0);
    ASSERT_TRUE(app_->WaitUntilHandled());
    ASSERT_EQ(app_->WaitForExit(0), static_cast<DWORD>(STILL_ACTIVE)) << "closed under the error's display";
    ClickButton(error, "OK");
    EXPECT_EQ(app_->WaitForExit(), 0u) << "the close that waited was not taken up after the error";
    RemoveUnixLink(cache_);
    EXPECT_TRUE(Exists(data_ + "\\d.dat"));
}

// A program that has JV-Link loaded (the user's data software, still open) is named in the
// question, whose default is then No: Enter, as a user presses it out of habit, deletes
// nothing. Once that program has ended, the question is the plain one again.
TEST_F(Deletion, AProgramThatHasJVLinkLoadedIsNamedInTheQuestionAndEnterDeclines) {
    MakeFolder(data_);
    WriteTextFile(data_ + "\\d.dat", "stays");
    const auto before = Snapshot(root_.Path());
    ASSERT_NO_FATAL_FAILURE(StartWithSavePath());
    const std::string plain = kQuestion + data_ + "\r\n" + cache_;
    auto ask = [this](bool enter) {
        ClickDelete();
        HWND question = app_->WaitForDialog("確認");
        if (!question) return std::string("<no question>");
        const std::string text = DialogMessage(question);
        if (!enter) {
            ClickButton(question, "いいえ(&N)");
        } else if (Eventually([question] { return GetForegroundWindow() == question; })) {
            PressKeysWithRealInput({VK_RETURN});
        } else {
            ClickButton(question, "いいえ(&N)");
            return std::string("<the question never had the keyboard>");
        }
        WaitUntilGone(question);
        return text + app_->DialogAfterInput();
    };
    {
        AppProcess user(Environment{}, AnsiToWide(BinaryFolder() + "\\jvlink_user.exe"));
        HWND window = nullptr;
        ASSERT_TRUE(Eventually([&] { return (window = user.FindWindowOfClass("JVLinkUser", "", false)) != nullptr; }));
        EXPECT_EQ(ask(true), plain + "\r\n\r\n次のソフトがJV-Linkを使っています。"
                                     "「いいえ」を押して、これらのソフトを終了してから、もう一度お試しください。"
                                     "\r\njvlink_user.exe");
        EXPECT_EQ(Snapshot(root_.Path()), before) << "Enter answered Yes";
        PostMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(user.WaitForExit(), 0u);
    }
    EXPECT_EQ(ask(false), plain);
    EXPECT_EQ(Snapshot(root_.Path()), before);
    CloseAndExpectExitZero();
}

// A program without a manifest that writes below Program Files has its writes kept in the
// user's VirtualStore, and reads them back from there: JV-Link loaded in it keeps its cache
// there. That copy is named after the two folders, emptied with them and counted.
TEST_F(Deletion, AVirtualStoreCopyIsNamedEmptiedAndCounted) {
    wchar_t localAppData[MAX_PATH];
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, localAppData)));
    const std::string name = "JVCCTest_" + std::to_string(GetCurrentProcessId());
    const std::string programFiles = "C:\\Program Files\\" + name;
    const std::string store = WideToAnsi(localAppData) + "\\VirtualStore\\Program Files\\" + name;
    data_ = programFiles + "\\Data";
    cache_ = programFiles + "\\Cache";
    const std::string copy = store + "\\Data";
    for (const std::string& folder : {programFiles, data_, WideToAnsi(localAppData) + "\\VirtualStore",
                                      WideToAnsi(localAppData) + "\\VirtualStore\\Program Files", store, copy})
        MakeFolder(folder);
    WriteTextFile(data_ + "\\real.dat", "");
    for (const char* file : {"\\copy1.dat", "\\copy2.dat"}) WriteTextFile(copy + file, "");
    ASSERT_NO_FATAL_FAILURE(Start(AnsiToWide(programFiles)));
    ClickDelete();
    HWND question = app_->WaitForDialog("確認");
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(DialogMessage(question),
              kQuestion + data_ + "\r\n" + cache_ +
                  "\r\n\r\nWindowsの互換機能（VirtualStore）により、次のフォルダに保存されたキャッシュデータも削除します。\r\n" +
                  copy);
    EXPECT_EQ(AnswerYesAndReadReport(question), data_ + "内のキャッシュデータ1個\r\n" + cache_ +
                                                    "内のキャッシュデータ0個\r\n" + copy +
                                                    "内のキャッシュデータ2個\r\nを削除しました。" + Absent({cache_}));
    EXPECT_TRUE(Snapshot(copy).empty());
    CloseAndExpectExitZero();
    RemoveTree(programFiles);
    RemoveTree(store);
}

// Under Wine the removal happens when the handle closes and can fail there silently.
TEST_F(Deletion, FilesThatStayAreNotCounted) {
    MakeFolder(data_);
    for (const char* name : {"stays1.dat", "stays2.dat", "goes.dat"}) WriteTextFile(data_ + "\\" + name, name);
    const std::string unixData = UnixPath(data_);
    if (unixData.empty() || !RunUnixShell("chattr +i '" + unixData + "/stays1.dat' '" + unixData + "/stays2.dat'"))
        GTEST_SKIP() << "no immutable files: chattr +i was refused on " << unixData;
    ASSERT_NO_FATAL_FAILURE(StartWithSavePath());
    ClickDelete();
    std::string report = ConfirmAndReadReport();
    RunUnixShell("chattr -i '" + unixData + "/stays1.dat' '" + unixData + "/stays2.dat'");
    EXPECT_EQ(report, Report(1, 0, 2, 0));
    EXPECT_TRUE(Exists(data_ + "\\stays1.dat"));
    EXPECT_TRUE(Exists(data_ + "\\stays2.dat"));
    EXPECT_FALSE(Exists(data_ + "\\goes.dat"));
    CloseAndExpectExitZero();
}

// ソ is 0x83 0x5C: a share named with it must not be split inside the character. Wine
// reaches \\server\share through dosdevices\unc\server\share.
TEST_F(Deletion, AUncShareNamedWithA5CTrailByteListsAndDeletes) {
    if (!RunningUnderWine()) GTEST_SKIP() << "not under Wine: shares are made in its prefix";
    char prefix[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
    ASSERT_TRUE(length > 0 && length < sizeof prefix) << "the tests run with WINEPREFIX set";
    const std::string share = "\x83\x5C\x83\x74\x83\x67";  // ソフト
    const std::string unixServer = std::string(prefix) + "/dosdevices/unc/jvcctest";
    ASSERT_TRUE(RunUnixShell("mkdir -p '" + unixServer + "' && ln -sfn '" + UnixPath(root_.Path()) + "' '" +
                             unixServer + "/" + share + "'"));  // the command line is ANSI: Wine passes it on as UTF-8
    MakeFolder(data_);
    MakeFolder(cache_);
    WriteTextFile(data_ + "\\d.dat", "");
    WriteTextFile(cache_ + "\\c.dat", "");
    const std::string uncSave = "\\\\jvcctest\\" + share + "\\save";
    ASSERT_NO_FATAL_FAILURE(Start(AnsiToWide(uncSave)));
    ClickDelete();
    data_ = uncSave + "\\Data";
    cache_ = uncSave + "\\Cache";
    std::string report = ConfirmAndReadReport();
    RunUnixShell("rm -rf '" + unixServer + "'");
    EXPECT_EQ(report, Report(1, 1));
    CloseAndExpectExitZero();
}

// A control may describe its failure at any length: the dialog stays on the screen, its OK
// button visible, and the whole text can still be read in it, scrolling. Many short lines
// make it far taller than any screen without the thousands of characters that Wine 10's
// edit control takes half a minute to lay out.
TEST_F(Deletion, AVeryLongErrorDescriptionStaysOnTheScreen) {
    std::wstring description;
    for (int line = 1; line <= 200; ++line)
        description += (line > 1 ? L"\r\n" : L"") + std::to_wstring(line) + L"行目：保存パスを読めません。";
    app_.reset(new AppProcess(Environment{{L"JVLINK_STANDIN_SAVEPATH", AnsiToWide(save_)},
                                          {L"JVLINK_STANDIN_SAVEPATH_FAIL", description}}));
    main_ = app_->WaitForMainWindow();
    ASSERT_NE(main_, nullptr);
    ClickDelete();
    HWND error = app_->WaitForDialog("JVCacheClean");
    ASSERT_NE(error, nullptr);
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    auto onScreen = [&screen](const RECT& bounds) {
        RECT visible;
        return IntersectRect(&visible, &bounds, &screen) && EqualRect(&visible, &bounds);
    };
    RECT dialog, ok;
    GetWindowRect(error, &dialog);
    GetWindowRect(FindChildWithText(error, "OK"), &ok);
    EXPECT_TRUE(onScreen(dialog)) << dialog.left << "," << dialog.top << " " << dialog.right << "," << dialog.bottom;
    EXPECT_TRUE(onScreen(ok));
    EXPECT_NE(FindWindowExA(error, nullptr, "Edit", nullptr), nullptr) << "the text does not scroll";
    EXPECT_EQ(AnsiToWide(DialogMessage(error)), description);
    ClickButton(error, "OK");
    ASSERT_TRUE(WaitUntilGone(error));
    CloseAndExpectExitZero();
}

// Tens of thousands of files take many seconds. The window answers the system throughout,
// never silent for the 5 s after which Windows calls it 「応答なし」 (the benchmark reports the
// real figure). What the user clicks and types meanwhile is dropped: a key (Enter) cannot
// dismiss the report unseen, and a close (Alt+F4) or a sign-out waits until the report has
// been read; the sign-out is refused meanwhile.
TEST_F(Deletion, ALongDeletionKeepsAnsweringDropsInputAndClosesOnlyAfterTheReport) {
    const int dataFiles = 30000, cacheFiles = 10000;
    MakeFolder(data_);
    MakeFolder(cache_);
    ASSERT_TRUE(FillFromUnix(data_, "d", dataFiles));
    ASSERT_TRUE(FillFromUnix(cache_, "c", cacheFiles));
    ASSERT_NO_FATAL_FAILURE(StartWithSavePath());
    ASSERT_NO_FATAL_FAILURE(ClickDeleteAndAnswerYes());
    // Pinged from the moment Yes is pressed until the report shows, which it does at once
    // after the last file has gone. The walk goes from the last name to the first: once the
    // last has gone, the input is sent.
    const std::string last = data_ + "\\d" + std::to_string(dataFiles) + ".jvd";
    const std::string first = cache_ + "\\c00001.jvd";
    bool inputSent = false;
    DWORD slowest = 0;
    for (DWORD walked = 0; !app_->FindWindowOfClass("#32770", "情報");) {
        if (!inputSent && !Exists(last)) {
            ASSERT_EQ(GetForegroundWindow(), main_) << "the keys would go elsewhere";
            ClickWithRealInput(FindChildWithText(main_, kButton));
            PressKeysWithRealInput({VK_RETURN});
            PressKeysWithRealInput({VK_MENU, VK_F4});
            DWORD_PTR endSession = TRUE;
            ASSERT_NE(SendMessageTimeoutA(main_, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 4000,
                                          &endSession),
                      0);
            EXPECT_EQ(endSession, static_cast<DWORD_PTR>(FALSE)) << "the session may end in the middle of a deletion";
            inputSent = true;
        }
        if (!walked && !Exists(first)) walked = GetTickCount();
        ASSERT_TRUE(!walked || GetTickCount() - walked < 20000)
            << "no report: the input given during the deletion dismissed it unseen";
        ASSERT_TRUE(IsWindow(main_)) << "the window closed: input given during the deletion dismissed the report";
        const DWORD start = GetTickCount();
        DWORD_PTR result = 0;
        const LRESULT answered = SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_NORMAL, 4000, &result);
        slowest = std::max(slowest, GetTickCount() - start);
        if (app_->FindWindowOfClass("#32770", "情報")) break;
        ASSERT_NE(answered, 0) << "silent for " << GetTickCount() - start << " ms";
        Sleep(50);
    }
    std::printf("longest silence from Yes to the report: %lu ms\n", slowest);
    ASSERT_TRUE(inputSent) << "the deletion ended before its first file had gone";
    HWND report = app_->WaitForDialog("情報");
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(DialogMessage(report), Report(dataFiles, cacheFiles));
    ASSERT_TRUE(app_->WaitUntilInputHandled());
    EXPECT_TRUE(IsWindowVisible(report)) << "input given during the deletion dismissed the report";
    ASSERT_EQ(app_->WaitForExit(0), static_cast<DWORD>(STILL_ACTIVE)) << "closed before the report was read";
    ClickButton(report, "OK");
    EXPECT_EQ(app_->WaitForExit(), 0u) << "the close that waited was not carried out: "
                                       << app_->DialogAfterInput();
    EXPECT_TRUE(Snapshot(data_).empty());
    EXPECT_TRUE(Snapshot(cache_).empty());
}

// A share that cannot be reached is said instead of the question. Windows answers that the
// network path was not found (53); Wine reaches shares through its prefix, where the server
// is simply not there.
TEST_F(Deletion, AUncSavePathThatCannotBeReachedIsAnErrorInsteadOfTheQuestion) {
    ASSERT_NO_FATAL_FAILURE(Start(L"\\\\no-such-server\\share\\JV"));
    ClickDelete();
    const std::string error = ErrorInsteadOfQuestion();
    EXPECT_NE(error.find(RunningUnderWine() ? "JV-Linkの保存パス「\\\\no-such-server\\share\\JV」が見つからない"
                                            : "「\\\\no-such-server\\share\\JV」に接続できなかったため（エラー53）"),
              std::string::npos)
        << error;
    EXPECT_NE(error.find("\r\nファイルは1つも削除していません。"), std::string::npos) << error;
    CloseAndExpectExitZero();
}

TEST_F(Deletion, TheReportSaysWhatStayed) {
    MakeFolder(data_);
    MakeFolder(cache_);
    WriteTextFile(data_ + "\\plain.dat", "");
    WriteTextFile(data_ + "\\held.dat", "in use");
    WriteTextFile(data_ + "\\readonly.dat", "", FILE_ATTRIBUTE_READONLY);
    WriteTextFileW(L"\\\\?\\" + AnsiToWide(data_) + L"\\nul.txt", "a device's name");
    WriteTextFileW(L"\\\\?\\" + AnsiToWide(data_) + L"\\x.", "a trailing dot");
    WriteTextFile(cache_ + "\\c.dat", "");
    HANDLE held = CreateFileA((data_ + "\\held.dat").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_NO_FATAL_FAILURE(StartWithSavePath());
    ClickDelete();
    EXPECT_EQ(ConfirmAndReadReport(), Report(1, 1, 4, 0));
    CloseHandle(held);
    EXPECT_EQ(Snapshot(data_).size(), 4u);
    CloseAndExpectExitZero();
    RemoveTree(data_);
}

// Whether this platform frees a name at once when a file held by another handle is deleted
// (POSIX semantics, Windows 10 1607 and later on NTFS), asked with the class and flags the
// program uses on a file of the test's own. Only "not supported here" means no; any other
// failure is the test's.
namespace {

enum class PosixDisposition { Taken, Refused, ProbeFailed };
PosixDisposition ProbePosixDisposition(const std::string& probe) {
    WriteTextFile(probe, "probe");
    HANDLE file = CreateFileA(probe.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return PosixDisposition::ProbeFailed;
    ULONG flags = 0x1 | 0x2;  // FILE_DISPOSITION_FLAG_DELETE | FILE_DISPOSITION_FLAG_POSIX_SEMANTICS
    const BOOL taken = SetFileInformationByHandle(file, static_cast<FILE_INFO_BY_HANDLE_CLASS>(21),  // ...InfoEx
                                                  &flags, sizeof flags);
    const DWORD error = GetLastError();
    CloseHandle(file);
    if (taken) return Exists(probe) ? PosixDisposition::ProbeFailed : PosixDisposition::Taken;
    DeleteFileA(probe.c_str());
    const bool refused =
        error == ERROR_INVALID_PARAMETER || error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED;
    return refused ? PosixDisposition::Refused : PosixDisposition::ProbeFailed;
}

}  // namespace

// JV-Link's user may still hold a file of the cache open (with delete sharing) while the
// cache is emptied. Where the platform takes the POSIX disposition, the name is gone at
// once: JV-Link can download that file again while the holder still reads the old data.
// Elsewhere the name stays until the holder closes it, and cannot be taken meanwhile.
TEST_F(Deletion, AFileHeldWithDeleteSharingGoesAsThePlatformAllows) {
    const PosixDisposition posix = ProbePosixDisposition(root_.File("probe.dat"));
    ASSERT_NE(posix, PosixDisposition::ProbeFailed) << "the probe of the POSIX disposition failed";
    MakeFolder(data_);
    MakeFolder(cache_);
    const std::string heldName = data_ + "\\held.dat";
    WriteTextFile(heldName, "old data");
    WriteTextFile(data_ + "\\plain.dat", "");
    HANDLE held = CreateFileA(heldName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_NO_FATAL_FAILURE(StartWithSavePath());
    ClickDelete();
    // With the classic disposition the name stays until the holder closes the file. Windows
    // shows every handle that its deletion is pending, and the report counts it as gone; Wine
    // shows none but the deleting one, and the report counts it as stayed.
    const bool pendingUnseen = posix == PosixDisposition::Refused && RunningUnderWine();
    EXPECT_EQ(ConfirmAndReadReport(), pendingUnseen ? Report(1, 0, 1, 0) : Report(2, 0));
    HANDLE again = CreateFileA(heldName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    const DWORD error = GetLastError();
    char old[16] = {};
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(held, old, sizeof old - 1, &read, nullptr));
    EXPECT_STREQ(old, "old data") << "the holder reads what it opened";
    if (posix == PosixDisposition::Taken) {
        EXPECT_NE(again, INVALID_HANDLE_VALUE) << "a new file of the held one's name cannot be made: error " << error;
        DWORD written = 0;
        WriteFile(again, "new data", 8, &written, nullptr);
    } else {
        EXPECT_EQ(again, INVALID_HANDLE_VALUE) << "a file is made in the place of one still pending deletion";
        EXPECT_EQ(error, pendingUnseen ? static_cast<DWORD>(ERROR_FILE_EXISTS) : static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
    if (again != INVALID_HANDLE_VALUE) CloseHandle(again);
    CloseHandle(held);
    if (posix == PosixDisposition::Taken)
        EXPECT_EQ(ReadWholeFile(AnsiToWide(heldName)), "new data");
    else
        EXPECT_FALSE(Exists(heldName)) << "the held file stays after its holder closed it";
    EXPECT_FALSE(Exists(data_ + "\\plain.dat"));
    CloseAndExpectExitZero();
    RemoveTree(data_);
}

// Another program swaps Data for a link to a folder elsewhere and back, again and again,
// from a moment after Yes: the run keeps to the Data it opened, never deletes in the other
// folder, and counts exactly what left its own.
TEST_F(Deletion, AFolderSwappedAgainAndAgainDuringTheRunLeadsNowhereElse) {
    const int files = 20000;
    const std::string sentinel = root_.File("sentinel");
    MakeFolder(sentinel);
    ASSERT_TRUE(FillFromUnix(sentinel, "d", files, 10));
    const auto sentinels = Snapshot(sentinel);
    const std::string unixSave = UnixPath(save_);
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        MakeFolder(data_);
        ASSERT_TRUE(FillFromUnix(data_, "d", files));
        ASSERT_NO_FATAL_FAILURE(StartWithSavePath());
        ASSERT_NO_FATAL_FAILURE(ClickDeleteAndAnswerYes());
        // The run has opened Data once its first file is gone.
        const std::string last = data_ + "\\d" + std::to_string(files) + ".jvd";
        for (int waited = 0; Exists(last) && waited < 30000; waited += 5) Sleep(5);
        ASSERT_FALSE(Exists(last));
        ASSERT_TRUE(RunUnixProgram("/bin/sh", "-c \"cd '" + unixSave + "' && while [ ! -e stop ]; do "
                                   "mv Data real && ln -s ../sentinel Data; sleep 0.003; rm Data; mv real Data; "
                                   "sleep 0.003; n=$((n+1)); done; echo $n > stopped\""));
        HWND report = app_->WaitForDialog("情報", 120000);
        WriteTextFile(save_ + "\\stop", "");
        for (int waited = 0; !Exists(save_ + "\\stopped") && waited < 20000; waited += 10) Sleep(10);
        ASSERT_TRUE(Exists(save_ + "\\stopped"));
        const int swaps = std::atoi(ReadWholeFile(AnsiToWide(save_ + "\\stopped")).c_str());
        EXPECT_GE(swaps, 5) << "the folder was hardly swapped during the run";
        DeleteFileA((save_ + "\\stop").c_str());
        DeleteFileA((save_ + "\\stopped").c_str());
        ASSERT_NE(report, nullptr);
        const std::string text = DialogMessage(report);
        ClickButton(report, "OK");
        const int left = static_cast<int>(Snapshot(data_).size());
        std::printf("round %d: %d swaps, %d of %d files stayed\n", round, swaps, left, files);
        // Windows deletes through the handle: every file goes, however often the path is
        // swapped. Wine finds each entry by its folder's path: what it opened while the path
        // led elsewhere stays, the rest goes, and with the path swapped back and forth some of
        // each; the report counts exactly what left.
        if (RunningUnderWine()) {
            EXPECT_GT(left, 0) << "every file went, also while the path led elsewhere";
            EXPECT_LT(left, files) << "nothing went, also while the path led to the folder";
        } else {
            EXPECT_EQ(left, 0);
        }
        EXPECT_EQ(text, Report(files - left, 0, left, 0));
        EXPECT_EQ(Snapshot(sentinel), sentinels) << "a file of the other folder went";
        CloseAndExpectExitZero();
        RemoveTree(data_);
    }
}

// The keyboard focus of the program's window, as the system keeps it for its thread.
HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

// Posted as the system posts a key to the focused window.
void PressKey(HWND focus, UINT key, char character = 0) {
    PostMessageA(focus, WM_KEYDOWN, key, 1);
    if (character) PostMessageA(focus, WM_CHAR, static_cast<unsigned char>(character), 1);
    PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
}

// The delete button works by keyboard alone: it has the focus when the window opens, Space
// and Enter press it as a click does, Tab keeps it reachable, and N answers No.
TEST_F(Deletion, TheDeleteButtonWorksByKeyboardAlone) {
    MakeFolder(data_);
    WriteTextFile(data_ + "\\d.dat", "stays");
    const auto before = Snapshot(root_.Path());
    ASSERT_NO_FATAL_FAILURE(StartWithSavePath());
    HWND button = FindChildWithText(main_, kButton);
    const std::vector<UINT> ways[] = {{VK_SPACE}, {VK_TAB, VK_RETURN}};
    for (const auto& keys : ways) {
        SCOPED_TRACE(keys.size());
        for (UINT key : keys) {
            ASSERT_EQ(FocusOf(main_), button);
            PressKey(button, key);
            ASSERT_TRUE(app_->WaitUntilHandled());
        }
        HWND question = app_->WaitForDialog("確認", 5000);
        ASSERT_NE(question, nullptr) << "the keys did not press the button";
        PressKey(FocusOf(question), 'N', 'n');
        ASSERT_TRUE(WaitUntilGone(question, 5000));
        EXPECT_EQ(app_->DialogAfterInput(), "") << "nothing is reported";
    }
    EXPECT_EQ(Snapshot(root_.Path()), before);
    CloseAndExpectExitZero();
}

// A screen reader finds the delete button by its caption, reads it as a push button, and its
// default action presses it. On Windows the system's button proxy carries the action out by
// sending BM_CLICK. Wine's accessibility layer calls every control a "client" and has no
// default action for it: under Wine only the name is shown; the role, the action and the
// press are shown on Windows alone.
TEST_F(Deletion, AScreenReaderCanNameAndPressTheDeleteButton) {
    ASSERT_NO_FATAL_FAILURE(StartWithSavePath());
    HWND button = FindChildWithText(main_, kButton);
    CoInitialize(nullptr);
    IAccessible* accessible = nullptr;
    EXPECT_EQ(AccessibleName(button, &accessible), AnsiToWide(kButton));
    ASSERT_NE(accessible, nullptr);
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR action = nullptr;
    accessible->get_accDefaultAction(self, &action);
    const std::wstring actionName = action ? action : L"";
    SysFreeString(action);
    VARIANT role;
    VariantInit(&role);
    const HRESULT roleRead = accessible->get_accRole(self, &role);
    const HRESULT pressed = accessible->accDoDefaultAction(self);
    accessible->Release();
    CoUninitialize();
    if (!RunningUnderWine()) {
        EXPECT_EQ(roleRead, S_OK);
        EXPECT_EQ(role.vt == VT_I4 ? role.lVal : 0, ROLE_SYSTEM_PUSHBUTTON);
        EXPECT_FALSE(actionName.empty()) << "the default action has no name";
        EXPECT_EQ(pressed, S_OK);
    }
    if (pressed == S_OK) {
        HWND question = app_->WaitForDialog("確認");
        ASSERT_NE(question, nullptr) << "the default action did not press the button";
        ClickButton(question, "いいえ(&N)");
        ASSERT_TRUE(WaitUntilGone(question));
    }
    CloseAndExpectExitZero();
}

}  // namespace
