#include "jvlink/JVLinkErrors.h"

#include <cstddef>

// Every text is kept byte for byte as worded, with the differences between
// methods (spacing, "行なわれて"/"行われて", "NotFount"/"NotFound", full- and
// half-width brackets): do not tidy them up.

namespace {

struct CodeText {
    std::int32_t code;
    const char* text;
};

constexpr CodeText kInitRows[] = {
    {0, "正常に実行されました。"},
    {-101, "sid が設定されていません。"},
    {-102, "sid が64byte 以上あります。"},
    {-103, "sid が不正（sid の１桁目がスペース）です。"},
};

constexpr CodeText kSetRows[] = {
    {0, "正常に実行されました。"},
    {-100, "パラメータが不正あるいはレジストリへの保存に失敗しました。"},
};

constexpr CodeText kOpenRows[] = {
    {0, "正常に実行されました。"},
    {-1, " 最新のデータがありません。"},
    {-2, "セットアップダイアログでキャンセルが押されました。"},
    {-111, "dataspec パラメータが不正です。"},
    {-112, "fromdate パラメータが不正です。"},
    {-113, "todate パラメータが不正です。"},
    {-114, "key パラメータが不正です。"},
    {-115, "option パラメータが不正です。"},
    {-116, "dataspec とoption の組み合わせが不正です。"},
    {-117, "JVデータフォーマットバージョンが不正です。(JVInit時に指定したjvversionが不正)"},
    {-201, "JVInit が行なわれていません。"},
    {-202, "前回のJVOpen/JVRTOpen に対してJVClose が呼ばれていません。（オープン中）"},
    {-211, "レジストリ内容が不正（レジストリ内容が不正に変更された）です。"},
    {-401, "JV- Link 内部エラーが発生しました。"},
    {-411, "サーバーエラー（HTTP ステータス404 NotFount ）が発生しました。"},
    {-412, "サーバーエラー（HTTP ステータス403 Forbidden ）が発生しました。"},
    {-413, "サーバーエラー（HTTP ステータス200,403,404 以外）が発生しました。"},
    {-421, "サーバーエラー（サーバーの応答が不正）が発生しました。"},
    {-431, "サーバーエラー（サーバーアプリケーション内部エラー）が発生しました。"},
    {-501, "セットアップ処理においてＣＤ －ＲＯＭ が無効です。"},
    {-504, "サーバーがメンテナンス中です。"},
};

constexpr CodeText kStatusRows[] = {
    {0, "正常に実行されました。"},
    {-201, "JVInitが行なわれていません。"},
    {-203, "JVOpenが行なわれていません。"},
    {-502, "ダウンロードに失敗しました。（通信エラーやディスクエラーなど）"},
};

constexpr CodeText kReadRows[] = {
    {0, "全ファイルの読み込みが終了しました。（ＥＯＦ ）"},
    {-1, "ファイルが切り替わりました。"},
    {-3, "ファイルダウンロード中"},
    {-201, "JVInitが行なわれていません。"},
    {-203, "JVOpenが行なわれていません。"},
    {-402, "ダウンロードしたファイルサイズが異常です。"},
    {-403, "ダウンロードしたファイル内容が異常です。"},
    {-502, "ダウンロードに失敗しました。(通信エラーやディスクエラー)"},
    {-503, "ファイルが見つかりません。"},
};

constexpr CodeText kCloseRows[] = {
    {0, "正常に実行されました。"},
};

constexpr CodeText kFileDeleteRows[] = {
    {0, "正常に実行されました。"},
    {-201, "JVInitが行なわれていません。"},
    {-503, "ファイルが見つかりません。"},
};

constexpr CodeText kMVPlayRows[] = {
    {0, "正常に実行されました。"},
    {-1, "該当データがありません。"},
    {-100, "パラメータが不正またはレジストリへの保存に失敗しました。"},
    {-114, "KEYパラメータが不正です。"},
    {-201, "JVInitが行われていません。"},
    {-211, "レジストリ内容が不正です。"},
    {-401, "JV-Link内部エラーが発生しました。"},
    {-411, "サーバーエラー(HTTPステータス404NotFound)が発生しました。"},
    {-412, "サーバーエラー(HTTPステータス403Forbidden)が発生しました。"},
    {-413, "サーバーエラー(HTTPステータス200,403,404以外)が発生しました。"},
    {-421, "サーバーエラー(サーバーの応答が不正)が発生しました。"},
    {-431, "サーバーエラー(サーバーアプリケーション内部エラー)が発生しました。"},
    {-504, "サーバーメンテナンス中です。"},
};

// A repeated code would silently shadow its second row.
template <std::size_t N>
constexpr bool HasUniqueCodes(const CodeText (&rows)[N]) {
    for (std::size_t i = 0; i < N; ++i)
        for (std::size_t j = i + 1; j < N; ++j)
            if (rows[i].code == rows[j].code) return false;
    return true;
}
static_assert(HasUniqueCodes(kInitRows), "duplicate code in JVInit table");
static_assert(HasUniqueCodes(kSetRows), "duplicate code in JVSet table");
static_assert(HasUniqueCodes(kOpenRows), "duplicate code in JVOpen table");
static_assert(HasUniqueCodes(kStatusRows), "duplicate code in JVStatus table");
static_assert(HasUniqueCodes(kReadRows), "duplicate code in JVRead table");
static_assert(HasUniqueCodes(kCloseRows), "duplicate code in JVClose table");
static_assert(HasUniqueCodes(kFileDeleteRows), "duplicate code in JVFileDelete table");
static_assert(HasUniqueCodes(kMVPlayRows), "duplicate code in JVMVPlay table");

bool IsInit(const std::string& n) { return n == "JVInit"; }
// Covers JVSetUIProperties, JVSetSavePath and the other setters alike.
bool IsSetter(const std::string& n) { return n.size() >= 5 && n.compare(0, 5, "JVSet") == 0; }
bool IsOpen(const std::string& n) { return n == "JVOpen" || n == "JVRTOpen"; }
bool IsStatus(const std::string& n) { return n == "JVStatus"; }
bool IsRead(const std::string& n) { return n == "JVRead"; }
bool IsClose(const std::string& n) { return n == "JVClose"; }
bool IsFileDelete(const std::string& n) { return n == "JVFileDelete"; }
bool IsMVPlay(const std::string& n) { return n == "JVMVPlay"; }

struct Group {
    bool (*accepts)(const std::string& methodName);
    const CodeText* rows;
    std::size_t rowCount;
    // JVStatus and JVRead return a count/size as a positive code; this text
    // is then followed by the number. Null where positive codes mean nothing.
    const char* positiveLead;
};

template <std::size_t N>
constexpr Group MakeGroup(bool (*accepts)(const std::string&), const CodeText (&rows)[N],
                          const char* positiveLead = nullptr) {
    return Group{accepts, rows, N, positiveLead};
}

// The selectors are disjoint, so the order does not matter.
const Group kGroups[] = {
    MakeGroup(IsInit, kInitRows),
    MakeGroup(IsSetter, kSetRows),
    MakeGroup(IsOpen, kOpenRows),
    MakeGroup(IsStatus, kStatusRows, "ダウンロード済みファイル数"),
    MakeGroup(IsRead, kReadRows, "バッファにセットしたデータのサイズ"),
    MakeGroup(IsClose, kCloseRows),
    MakeGroup(IsFileDelete, kFileDeleteRows),
    MakeGroup(IsMVPlay, kMVPlayRows),
};

std::string MessageFor(const std::string& methodName, std::int32_t code) {
    for (const Group& group : kGroups) {
        if (!group.accepts(methodName)) continue;
        if (group.positiveLead != nullptr && code > 0)
            return group.positiveLead + std::to_string(code);
        for (std::size_t i = 0; i < group.rowCount; ++i)
            if (group.rows[i].code == code) return group.rows[i].text;
        return std::string();
    }
    return std::string();
}

}  // namespace

std::string JVLinkErrorText(const std::string& methodName, std::int32_t code) {
    // std::to_string(int) gives plain signed decimal, INT32_MIN included.
    return MessageFor(methodName, code) + "(" + std::to_string(code) + ")";
}

std::string JVInitFailureText(std::int32_t code) {
    return "JVInitエラーが発生しました。：" + JVLinkErrorText("JVInit", code);
}

std::string JVSetUIPropertiesFailureText(std::int32_t code) {
    return "JVSetUIPropertiesエラー：" + JVLinkErrorText("JVSetUIProperties", code);
}
