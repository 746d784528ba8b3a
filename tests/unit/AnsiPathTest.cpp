#include <gtest/gtest.h>

#include <windows.h>

#include "base/AnsiPath.h"

namespace {

// "表" is 95 5C in code page 932: its trail byte looks like a backslash.
const std::string kHyou = "\x95\x5C";

struct DirCase {
    std::string path;
    std::string dir;
    std::string name;
};

TEST(AnsiPath, SplitsAtWholeCharactersOnly) {
    const DirCase cases[] = {
        {"C:\\Tools\\x.exe", "C:\\Tools", "x.exe"},
        {"C:\\x.exe", "C:\\", "x.exe"},  // a drive root keeps its backslash
        {"C:x.exe", "C:", "x.exe"},
        {"x.exe", "", "x.exe"},
        {"\\x.exe", "\\", "x.exe"},
        {"\\\\server\\share\\x.exe", "\\\\server\\share", "x.exe"},
        {"C:\\" + kHyou + "\\a.txt", "C:\\" + kHyou, "a.txt"},
        {"C:\\dir\\" + kHyou, "C:\\dir", kHyou},
        {"C:\\dir\\" + kHyou + kHyou, "C:\\dir", kHyou + kHyou},
        {"C:\\dir\\", "C:\\dir", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtractFileDir(c.path), c.dir) << c.path;
        EXPECT_EQ(ExtractFileName(c.path), c.name) << c.path;
    }
}

TEST(AnsiPath, LastDelimiterSkipsTrailBytes) {
    EXPECT_EQ(LastDelimiter(kHyou, "\\"), std::string::npos);
    EXPECT_EQ(LastDelimiter("a\\" + kHyou, "\\:"), 1u);
    EXPECT_EQ(LastDelimiter("a:b", "\\:"), 1u);
    EXPECT_EQ(LastDelimiter("", "\\"), std::string::npos);
}

TEST(AnsiPath, ChangesOnlyTheFileNamesExtension) {
    EXPECT_EQ(ChangeFileExt("C:\\Tools\\x.exe", ".ini"), "C:\\Tools\\x.ini");
    EXPECT_EQ(ChangeFileExt("C:\\v1.2\\x", ".ini"), "C:\\v1.2\\x.ini");
    EXPECT_EQ(ChangeFileExt("x.tar.gz", ""), "x.tar");
    EXPECT_EQ(ChangeFileExt("C:\\dir\\" + kHyou, ".ini"), "C:\\dir\\" + kHyou + ".ini");
}

TEST(AnsiPath, ConvertsInTheAnsiCodePage) {
    ASSERT_EQ(GetACP(), 932u) << "the tests expect a Japanese ANSI code page";
    EXPECT_EQ(WideToAnsi(L"\u8868"), kHyou);
    EXPECT_EQ(AnsiToWide(kHyou), std::wstring(L"\u8868"));
    EXPECT_EQ(WideToAnsi(L""), "");
}

}  // namespace
