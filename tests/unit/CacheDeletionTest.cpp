#include <gtest/gtest.h>

#include <windows.h>
#include "components/FileNames.h"
#include "forms/CacheDeletion.h"
#include "forms/DeletionFeedback.h"

namespace {

TEST(SavePath, OnlyAbsolutePathsAreAccepted) {
    const struct {
        const char* path;
        bool absolute;
    } cases[] = {
        {"C:\\JV", true},
        {"c:\\JV\\", true},
        {"C:\\", true},  // a drive root is a save path too
        {"\\\\server\\share\\JV", true},
        {"\\\\server\\share", true},
        {"", false},
        {"JV", false},
        {"JV\\Data", false},
        {"\\JV", false},  // the current drive's root
        {"C:JV", false},  // the current directory of drive C
        {"C:", false},
        {"1:\\JV", false},
        {"\\\\server", false},
        {"\\\\server\\", false},
        {"\\\\\\share", false},
        {"\\\\.\\C:\\JV", false},
        {"\\\\?\\C:\\JV", false},
        {"\\\\nas\\\x83\x5C\\JV", true},  // share ソ: its trail byte is no separator
        {"\\\\\x95\x5C\\share", true},       // server 表
    };
    for (const auto& c : cases) EXPECT_EQ(IsAbsoluteSavePath(c.path), c.absolute) << c.path;
}

TEST(SavePath, ConvertsOnlyWhenEveryCharacterIsExact) {
    std::string ansi;
    EXPECT_TRUE(SavePathToAnsi(L"C:\\\u8868\\JV", ansi));
    EXPECT_EQ(ansi, "C:\\\x95\x5C\\JV");
    // "¥" would come out as a backslash by best fit.
    EXPECT_FALSE(SavePathToAnsi(L"C:\\a\u00A5..\u00A5x", ansi));
    EXPECT_TRUE(ansi.empty());
    EXPECT_FALSE(SavePathToAnsi(L"C:\\\U0001F600", ansi));
    EXPECT_FALSE(SavePathToAnsi(L"C:\\caf\u00E9", ansi));
    EXPECT_TRUE(SavePathToAnsi(L"", ansi));
}

TEST(SavePath, DrivePrefixesSplitOnWholeCharacters) {
    const struct {
        std::string path, prefix;
    } cases[] = {
        {"C:\\JV\\Data", "C:"},
        {"\\\\nas\\share\\JV", "\\\\nas\\share"},
        {"\\\\nas\\share", "\\\\nas\\share"},
        // ソ 表 能 予 十 end in 0x5C
        {"\\\\nas\\\x83\x5C\x83\x74\x83\x67\\JV", "\\\\nas\\\x83\x5C\x83\x74\x83\x67"},
        {"\\\\\x95\x5C\\\x94\x5C\\JV", "\\\\\x95\x5C\\\x94\x5C"},
        {"\\\\nas\\\x97\x5C\x8F\x5C", "\\\\nas\\\x97\x5C\x8F\x5C"},
        {"\\JV", ""},
        {"JV", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(DrivePrefix(c.path), c.prefix) << c.path;
}

TEST(SavePath, RefusalsSayWhy) {
    std::string ansi;
    EXPECT_EQ(SavePathRefusal(L"C:\\JV", ansi), "");
    EXPECT_EQ(ansi, "C:\\JV");
    EXPECT_NE(SavePathRefusal(L"", ansi).find("設定されていません"), std::string::npos);
    EXPECT_NE(SavePathRefusal(L"JV", ansi).find("「JV」"), std::string::npos);
    EXPECT_NE(SavePathRefusal(L"C:\\\u00A5", ansi).find("文字"), std::string::npos);
    for (wchar_t control : {L'\0', L'\x01', L'\t', L'\x1F', L'\x7F', L'\x85'}) {
        std::wstring path = L"C:\\JV";
        path += control;
        path += L"x";
        EXPECT_NE(SavePathRefusal(path, ansi).find("制御文字"), std::string::npos) << int(control);
        EXPECT_TRUE(ansi.empty());
    }
    // <save path>\Cache\12345678.123 must stay below MAX_PATH (260 with the terminator).
    const std::wstring longest = L"C:\\" + std::wstring(237, L'x');
    EXPECT_EQ(SavePathRefusal(longest, ansi), "");
    EXPECT_NE(SavePathRefusal(longest + L"x", ansi).find("半角で241文字"), std::string::npos);
    // A "%d" in the path is the path's own text, never a place for the numbers.
    const std::wstring percent = L"C:\\%d%s" + std::wstring(234, L'x');
    EXPECT_NE(SavePathRefusal(percent, ansi).find("「C:\\%d%s"), std::string::npos);
    EXPECT_NE(SavePathRefusal(percent, ansi).find("（半角で241文字）"), std::string::npos);
    // Bytes count, not characters: 表 is two.
    EXPECT_NE(SavePathRefusal(L"C:\\" + std::wstring(236, L'x') + L"\u8868", ansi).find("長すぎる"),
              std::string::npos);
    // A save path that this program cannot use, though JV-Link can: the user learns the way
    // by hand, and that a new save path leaves the downloaded data behind.
    for (const std::wstring& path : {std::wstring(L"C:\\caf\u00E9"), std::wstring(L"C:\\JV\tx"), longest + L"x"}) {
        const std::string refusal = SavePathRefusal(path, ansi);
        EXPECT_NE(refusal.find("エクスプローラーで保存パスの中のDataフォルダとCacheフォルダを開き"), std::string::npos)
            << refusal;
        EXPECT_NE(refusal.find("元のフォルダに残ります"), std::string::npos) << refusal;
    }
}

TEST(FileNames, PathCharactersAreWholeCharacters) {
    const struct {
        std::string name;
        bool hasPathCharacter;
    } cases[] = {
        {"plain.txt", false},
        {"\x95\x5C.txt", false},          // 表
        {"\x83\x5C\x94\x5C", false},      // ソ能
        {"a\\..\\..\\x", true},            // what "a¥..¥..¥x" reads back as
        {"a/b", true},
        {"c:x", true},
        {"\x95\x5C\\x", true},
    };
    for (const auto& c : cases) EXPECT_EQ(HasPathCharacter(c.name), c.hasPathCharacter) << c.name;
}

TEST(FileNames, EqualityLowersOnlyAsciiLetters) {
    EXPECT_TRUE(SameFileName("C:\\JV\\Data", "c:\\jv\\DATA"));
    EXPECT_FALSE(SameFileName("C:\\JV\\Data", "C:\\JV\\Dat"));
    EXPECT_TRUE(SameFileName("\x95\x5C", "\x95\x5C"));
    EXPECT_FALSE(SameFileName("\x95\x5C", "\x95\x5D"));
    EXPECT_TRUE(SameFileName("", ""));
    EXPECT_TRUE(EndsWithCharacter("C:\\", '\\'));
    EXPECT_FALSE(EndsWithCharacter("C:\\\x95\x5C", '\\'));  // ends with 表
    EXPECT_FALSE(EndsWithCharacter("", '\\'));
}

TEST(CacheDeletion, KnowsWhenItRunsUnderWine) {
    // These tests run under Wine, where deleting through a link reaches its target.
    EXPECT_TRUE(RunningUnderWine());
    EXPECT_EQ(LinkCheckForThisSystem(), LinkCheck::FinalPathInside);
}

// The taskbar button fills in turn, each folder an equal share, and is full only when the
// last entry of the last folder is done; a million entries in each folder overflow nothing.
TEST(TaskbarProgress, EachFolderHasAnEqualShareInTurn) {
    const struct {
        int folder, folders, done, total;
        double fraction;
    } cases[] = {
        {0, 2, 0, 10, 0.0},           {0, 2, 10, 10, 0.5},        {1, 2, 0, 4, 0.5},
        {1, 2, 4, 4, 1.0},            {3, 4, 2, 8, 0.8125},       {0, 1, 1, 3, 1.0 / 3},
        {2, 3, 1000000, 1000000, 1.0}, {1, 3, 500000, 1000000, 0.5},
    };
    for (const auto& c : cases) {
        const TaskbarProgress progress = ProgressOnTheTaskbar(c.folder, c.folders, c.done, c.total);
        EXPECT_LE(progress.completed, progress.total);
        EXPECT_DOUBLE_EQ(static_cast<double>(progress.completed) / static_cast<double>(progress.total), c.fraction)
            << c.folder << " of " << c.folders << ", " << c.done << " of " << c.total;
    }
}

}  // namespace
