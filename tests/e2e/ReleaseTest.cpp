#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include "AppDriver.h"

namespace {

// The build's own release zip (its path on the Unix side), unpacked once into a fresh
// folder outside the build tree, as a user would unpack it anywhere.
class Release : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char zip[1024];
        DWORD length = GetEnvironmentVariableA("JVCC_TEST_ZIP", zip, sizeof zip);
        ASSERT_TRUE(length > 0 && length < sizeof zip) << "JVCC_TEST_ZIP names no zip";
        unpacked_ = new TempFolder;
        ASSERT_TRUE(RunUnixShell("cd '" + UnixPath(unpacked_->Path()) + "' && unzip -q '" + zip + "'"));
    }
    static void TearDownTestSuite() {
        delete unpacked_;
        unpacked_ = nullptr;
    }
    static TempFolder* unpacked_;
};
TempFolder* Release::unpacked_ = nullptr;

TEST_F(Release, TheUnpackedProgramRunsAndKeepsItsSettingsBesideItself) {
    std::map<std::string, std::string> files = Snapshot(unpacked_->Path());
    std::vector<std::string> names;
    for (const auto& file : files) names.push_back(file.first);
    EXPECT_EQ(names, (std::vector<std::string>{"JVCacheClean.exe", "LICENSE.txt", "Readme.txt"}));

    // No DLL beside it, no resource missing: it starts, shows its window, and writes its
    // INI file beside itself when it closes.
    AppProcess app(Environment{}, "", unpacked_->File("JVCacheClean.exe"));
    HWND main = app.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(WindowText(main), "キャッシュデータ削除ツール for JRA-VAN Data Lab.");
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(app.WaitForExit(), 0u);
    EXPECT_TRUE(Exists(unpacked_->File("JVCacheClean.ini")));
}

TEST_F(Release, TheReadmeIsJapaneseInCodePage932WithCrLf) {
    std::ifstream file(unpacked_->File("Readme.txt"), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(text.empty());
    EXPECT_GT(MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0),
              0)
        << "not valid code page 932";
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n') ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "a line ends without CR at byte " << i;
    // Readme.txt is read by the same ANSI conversion the program uses, so the literals match.
    for (const char* phrase : {"<保存パス>\\Data", "<保存パス>\\Cache", "-402", "-403", "隠しファイル",
                               "システムファイル", "サブフォルダ", "Data と Cache の外", "表せない文字を含む名前",
                               "装置の名前", "削除できなかったファイル",
                               "制御文字", "240 バイト", "JVCacheClean.ini", "Ver.1.00", "LICENSE.txt"})
        EXPECT_NE(text.find(phrase), std::string::npos) << phrase;
}

}  // namespace
