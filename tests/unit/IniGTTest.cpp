#include <gtest/gtest.h>

#include <windows.h>
#include <climits>
#include "TestFiles.h"
#include "base/AnsiPath.h"
#include "components/IniGT.h"

namespace {

TEST(IniGT, ReadsIntegersByTheIniRules) {
    const struct {
        const char* text;
        std::int32_t expected;
    } cases[] = {
        {"0x20", 32},
        {"0X1f", 31},
        {"$1F", 31},
        {" -7", -7},
        {"+5", 5},
        {"  42", 42},
        {"-$10", -16},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"$FFFFFFFF", -1},  // hexadecimal may use all 32 bits
        {"0", 0},
        // Each of these reads as the default, 99.
        {"0x", 99},
        {"$", 99},
        {"abc", 99},
        {"", 99},
        {" ", 99},
        {"+", 99},
        {"--5", 99},
        {"5x", 99},
        {"1 2", 99},
        {"0x-5", 99},
        {"2147483648", 99},
        {"-2147483649", 99},
        {"4294967296", 99},
        {"$100000000", 99},
        {"99999999999999999999", 99},
    };
    for (const auto& c : cases) EXPECT_EQ(IniTextToInteger(c.text, 99), c.expected) << '"' << c.text << '"';
}

TEST(IniGT, ResolvesTheFileForEachDefaultDir) {
    const struct {
        const char* name;
        TIniGTDefaultDir defaultDir;
        const char* expected;
    } cases[] = {
        {"x.ini", ddApplication, "C:\\Tools\\x.ini"},
        {"x.ini", ddWindows, "C:\\windows\\x.ini"},
        {"x.ini", ddNone, "x.ini"},
        // A name with a folder part ignores DefaultDir.
        {"D:\\conf\\x.ini", ddApplication, "D:\\conf\\x.ini"},
        {"conf\\x.ini", ddWindows, "conf\\x.ini"},
        {"D:x.ini", ddApplication, "D:x.ini"},
        {"\x95\x5C.ini", ddApplication, "C:\\Tools\\\x95\x5C.ini"},  // 表: no folder part
    };
    for (const auto& c : cases)
        EXPECT_EQ(WideToAnsi(ResolveIniPath(AnsiToWide(c.name), c.defaultDir, L"C:\\Tools\\", L"C:\\windows")),
                  c.expected)
            << c.name;
}

TEST(IniGT, DerivesItsFileFromTheExecutable) {
    TIniGT ini;
    ini.Loaded();
    EXPECT_EQ(ini.FileName(), "unit_tests.ini");
    std::string exe = ExecutablePath();
    EXPECT_EQ(ini.Path(), exe.substr(0, exe.size() - 3) + "ini");
    ini.SetDefaultDir(ddWindows);
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_EQ(ini.Path(), std::string(windows) + "\\unit_tests.ini");
    ini.SetDefaultDir(ddNone);
    EXPECT_EQ(ini.Path(), "unit_tests.ini");
    // A file name already set is kept.
    ini.SetFileName("other.ini");
    ini.Loaded();
    EXPECT_EQ(ini.FileName(), "other.ini");
}

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override { ini_.SetFileName(temp_.File("settings.ini")); }
    TempFolder temp_;
    TIniGT ini_;
};

TEST_F(IniFileTest, MissingFileSectionOrKeyReadAsTheDefault) {
    EXPECT_EQ(ini_.ReadInteger("locate", "top", 10), 10);
    WriteTextFile(temp_.File("settings.ini"), "[other]\r\ntop=5\r\n[locate]\r\nleft=abc\r\n");
    EXPECT_EQ(ini_.ReadInteger("locate", "top", 10), 10);
    EXPECT_EQ(ini_.ReadInteger("locate", "left", 10), 10);
    EXPECT_EQ(ini_.ReadInteger("other", "top", 10), 5);
}

TEST_F(IniFileTest, WritesDecimalAndReadsItBack) {
    ini_.WriteInteger("locate", "top", -1200);
    ini_.WriteInteger("locate", "left", 0x7FFFFFFF);
    EXPECT_EQ(ini_.ReadInteger("locate", "top", 10), -1200);
    EXPECT_EQ(ini_.ReadInteger("locate", "left", 10), 0x7FFFFFFF);
    char text[64];
    GetPrivateProfileStringA("locate", "left", "", text, sizeof text, ini_.Path().c_str());
    EXPECT_STREQ(text, "2147483647");
}

TEST_F(IniFileTest, AFailedWriteNamesTheFile) {
    // Wine lets root write a read-only file, so a folder stands in the file's place.
    const std::string unwritable[] = {temp_.File("no-such-folder\\settings.ini"), temp_.File("taken.ini")};
    MakeFolder(unwritable[1]);
    for (const auto& path : unwritable) {
        ini_.SetFileName(path);
        try {
            ini_.WriteInteger("locate", "top", 20);
            ADD_FAILURE() << "no error for " << path;
        } catch (const ESettingsError& error) {
            const std::string text = error.what();
            EXPECT_EQ(text.substr(0, text.find('\n') + 1), path + " に書き込めません\r\n");
            EXPECT_NE(text.find("キャッシュデータの削除には影響ありません"), std::string::npos) << text;
        }
    }
}

// Windows opens no settings file whose path is MAX_PATH characters or longer: such a file is
// neither read nor written (no shortened path is tried), and writing says why. One a
// character shorter is used.
TEST_F(IniFileTest, APathTooLongForWindowsIsNeverUsed) {
    const std::string leaf = "\\settings.ini";
    for (std::size_t length : {std::size_t(MAX_PATH - 1), std::size_t(MAX_PATH), std::size_t(MAX_PATH + 40)}) {
        SCOPED_TRACE(length);
        const std::string folder = temp_.File(std::string(length - temp_.Path().size() - 1 - leaf.size(), 'L'));
        const std::string path = folder + leaf;
        ASSERT_EQ(path.size(), length);
        const std::wstring whole = L"\\\\?\\" + AnsiToWide(path);
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + AnsiToWide(folder)).c_str(), nullptr));
        WriteTextFileW(whole, "[locate]\r\ntop=5\r\n");
        ini_.SetFileName(path);
        const bool usable = length < MAX_PATH;
        EXPECT_EQ(ini_.ReadInteger("locate", "top", 10), usable ? 5 : 10);
        std::string refusal;
        try {
            ini_.WriteInteger("locate", "top", 20);
        } catch (const ESettingsError& error) {
            refusal = error.what();
        }
        if (usable) {
            EXPECT_EQ(refusal, "");
            EXPECT_EQ(ini_.ReadInteger("locate", "top", 10), 20);
        } else {
            EXPECT_NE(refusal.find("「" + path + "」の場所が長すぎる"), std::string::npos) << refusal;
            EXPECT_EQ(ReadWholeFile(whole), "[locate]\r\ntop=5\r\n");
        }
        DeleteFileW(whole.c_str());
        RemoveDirectoryW((L"\\\\?\\" + AnsiToWide(folder)).c_str());
    }
}

}  // namespace
