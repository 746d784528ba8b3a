#include "jvlink/JVLinkErrors.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

// Expected texts are UTF-8 in this file and become CP932 through the same
// compiler flag as the catalogue; ExpectedTextIsShiftJis guards that flag.

namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

struct Case {
    const char* method;
    std::int32_t code;
    const char* expected;
};

const Case kCases[] = {
    // JVInit: exact name only.
    {"JVInit", 0, "正常に実行されました。(0)"},
    {"JVInit", -101, "sid が設定されていません。(-101)"},
    {"JVInit", -103, "sid が不正（sid の１桁目がスペース）です。(-103)"},
    {"JVInit", -100, "(-100)"},
    {"jvinit", -101, "(-101)"},
    {"JVINIT", -101, "(-101)"},
    {"JVInit ", 0, "(0)"},
    {" JVInit", 0, "(0)"},
    {"", 0, "(0)"},

    // Every "JVSet..." name shares one table; four letters are not enough.
    {"JVSetUIProperties", -100, "パラメータが不正あるいはレジストリへの保存に失敗しました。(-100)"},
    {"JVSetUIProperties", -1, "(-1)"},
    {"JVSetUIProperties", 3, "(3)"},
    {"JVSetSavePath", -100, "パラメータが不正あるいはレジストリへの保存に失敗しました。(-100)"},
    {"JVSetSavePath", 0, "正常に実行されました。(0)"},
    {"JVSet", -100, "パラメータが不正あるいはレジストリへの保存に失敗しました。(-100)"},
    {"JVSe", -100, "(-100)"},
    {"JVset", -100, "(-100)"},
    {"XJVSetUIProperties", -100, "(-100)"},

    // JVOpen / JVRTOpen.
    {"JVOpen", -1, " 最新のデータがありません。(-1)"},
    {"JVRTOpen", -1, " 最新のデータがありません。(-1)"},
    {"JVOpen", -201, "JVInit が行なわれていません。(-201)"},
    {"JVRTOpen", -202, "前回のJVOpen/JVRTOpen に対してJVClose が呼ばれていません。（オープン中）(-202)"},
    {"JVOpen", -117, "JVデータフォーマットバージョンが不正です。(JVInit時に指定したjvversionが不正)(-117)"},
    {"JVOpen", -411, "サーバーエラー（HTTP ステータス404 NotFount ）が発生しました。(-411)"},
    {"JVOpen", -501, "セットアップ処理においてＣＤ －ＲＯＭ が無効です。(-501)"},
    {"JVOpen", -504, "サーバーがメンテナンス中です。(-504)"},
    {"JVOpen", -203, "(-203)"},
    {"JVOpen", 5, "(5)"},
    {"JVopen", -1, "(-1)"},

    // JVStatus: positive codes are a file count, written twice.
    {"JVStatus", 12, "ダウンロード済みファイル数12(12)"},
    {"JVStatus", 1, "ダウンロード済みファイル数1(1)"},
    {"JVStatus", kMax, "ダウンロード済みファイル数2147483647(2147483647)"},
    {"JVStatus", 0, "正常に実行されました。(0)"},
    {"JVStatus", -1, "(-1)"},
    {"JVStatus", -201, "JVInitが行なわれていません。(-201)"},
    {"JVStatus", -502, "ダウンロードに失敗しました。（通信エラーやディスクエラーなど）(-502)"},

    // JVRead: positive codes are a data size.
    {"JVRead", 256, "バッファにセットしたデータのサイズ256(256)"},
    {"JVRead", 0, "全ファイルの読み込みが終了しました。（ＥＯＦ ）(0)"},
    {"JVRead", -1, "ファイルが切り替わりました。(-1)"},
    {"JVRead", -502, "ダウンロードに失敗しました。(通信エラーやディスクエラー)(-502)"},
    {"JVRead", kMin, "(-2147483648)"},

    // JVClose knows only success.
    {"JVClose", 0, "正常に実行されました。(0)"},
    {"JVClose", -201, "(-201)"},
    {"JVClose", 1, "(1)"},

    // JVFileDelete.
    {"JVFileDelete", -201, "JVInitが行なわれていません。(-201)"},
    {"JVFileDelete", -503, "ファイルが見つかりません。(-503)"},
    {"JVFileDelete", -1, "(-1)"},

    // JVMVPlay words shared codes its own way.
    {"JVMVPlay", -201, "JVInitが行われていません。(-201)"},
    {"JVMVPlay", -504, "サーバーメンテナンス中です。(-504)"},
    {"JVMVPlay", -411, "サーバーエラー(HTTPステータス404NotFound)が発生しました。(-411)"},
    {"JVMVPlay", -100, "パラメータが不正またはレジストリへの保存に失敗しました。(-100)"},
    {"JVMVPlay", -1, "該当データがありません。(-1)"},
    {"JVMVPlay", 7, "(7)"},

    // Unknown names and extreme codes.
    {"JVGets", 0, "(0)"},
    {"JVInit", kMin, "(-2147483648)"},
    {"Unknown", kMax, "(2147483647)"},
};

TEST(JVLinkErrorTextTest, Cases) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string("method \"") + c.method + "\", code " + std::to_string(c.code));
        EXPECT_EQ(c.expected, JVLinkErrorText(c.method, c.code));
    }
}

TEST(JVLinkErrorTextTest, ExpectedTextIsShiftJis) {
    // "正常" in code page 932; fails if the literals were left in UTF-8.
    const std::string text = JVLinkErrorText("JVInit", 0);
    ASSERT_GE(text.size(), 4u);
    EXPECT_EQ(std::string("\x90\xB3\x8F\xED"), text.substr(0, 4));
}

TEST(JVLinkErrorTextTest, NameIsComparedWithItsFullLength) {
    // A NUL after the name must not be ignored as by a C-string compare.
    EXPECT_EQ("(0)", JVLinkErrorText(std::string("JVInit\0", 7), 0));
    EXPECT_EQ("(-100)", JVLinkErrorText(std::string("JVSe\0t", 6), -100));
}

TEST(JVLinkErrorTextTest, RealTimeOpenMatchesOpenForEveryCode) {
    for (std::int32_t code = -600; code <= 10; ++code) {
        SCOPED_TRACE(code);
        EXPECT_EQ(JVLinkErrorText("JVOpen", code), JVLinkErrorText("JVRTOpen", code));
    }
}

TEST(JVLinkErrorTextTest, EveryMethodHasATextForSuccess) {
    const char* const methods[] = {"JVInit", "JVSetUIProperties", "JVOpen", "JVRTOpen",
                                   "JVStatus", "JVRead", "JVClose", "JVFileDelete",
                                   "JVMVPlay"};
    for (const char* method : methods) {
        SCOPED_TRACE(method);
        const std::string text = JVLinkErrorText(method, 0);
        EXPECT_GT(text.size(), std::string("(0)").size());
        EXPECT_EQ("(0)", text.substr(text.size() - 3));
    }
}

TEST(JVLinkFailureReportTest, InitReport) {
    EXPECT_EQ("JVInitエラーが発生しました。：sid が64byte 以上あります。(-102)",
              JVInitFailureText(-102));
    EXPECT_EQ("JVInitエラーが発生しました。：(-100)", JVInitFailureText(-100));
}

TEST(JVLinkFailureReportTest, SetUIPropertiesReport) {
    EXPECT_EQ("JVSetUIPropertiesエラー：パラメータが不正あるいはレジストリへの保存に失敗しました。(-100)",
              JVSetUIPropertiesFailureText(-100));
    EXPECT_EQ("JVSetUIPropertiesエラー：(-1)", JVSetUIPropertiesFailureText(-1));
}

}  // namespace
