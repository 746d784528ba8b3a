#include "forms/CacheDeletion.h"

#include <windows.h>
#include <algorithm>
#include <cctype>
#include <vector>
#include "base/AnsiPath.h"
#include "base/Exception.h"

namespace {

// Texts of the refusals, shown before anything is asked or deleted; each says where the
// save path is set.
const char kEmptySavePath[] =
    "JV-Linkの保存パスが設定されていません。"
    "メニューの「ﾌｧｲﾙ」→「JV Link 設定」で保存パスを設定してから、もう一度お試しください。";
const char kRelativeSavePath[] =
    "JV-Linkの保存パス「%s」は、ドライブ名（C:\\など）か\\\\サーバー名\\共有名から始まるフルパスではないため、"
    "キャッシュデータを削除できません。メニューの「ﾌｧｲﾙ」→「JV Link 設定」で保存パスを確認してください。";
const char kUnconvertibleSavePath[] =
    "JV-Linkの保存パスに、日本語のWindowsで表せない文字（アクセント記号付きの文字など）が含まれているため、"
    "キャッシュデータを削除できません。メニューの「ﾌｧｲﾙ」→「JV Link 設定」で、"
    "半角の英数字・記号と日本語（ひらがな・カタカナ・漢字）だけを使った名前のフォルダを保存パスにしてください。";
const char kControlCharacterInSavePath[] =
    "JV-Linkの保存パスに制御文字（NULなど）が含まれているため、キャッシュデータを削除できません。"
    "メニューの「ﾌｧｲﾙ」→「JV Link 設定」で保存パスを設定し直してください。";
// Counted as Readme.txt counts: half-width characters, a full-width one as 2 (the code
// page's bytes).
const char kSavePathTooLong[] =
    "JV-Linkの保存パス「%s」は長すぎるため（半角で%d文字）、キャッシュデータを削除できません。"
    "Windowsのパスの上限（半角で260文字）に収まるよう、メニューの「ﾌｧｲﾙ」→「JV Link 設定」で、"
    "保存パスを半角で%d文字以内（全角の文字は2文字と数えます）にしてください。";
// Follows the refusals above, which stop this program but not JV-Link: what a new save path
// leaves behind, and the way by hand that needs none.
const char kOtherWays[] =
    "\r\n保存パスを変えても、ダウンロード済みのデータは元のフォルダに残ります。"
    "保存パスを変えずに済ませるには、エクスプローラーで保存パスの中のDataフォルダとCacheフォルダを開き、"
    "中のファイルを削除してください。";

// Said when an error ends a run after some folders were emptied, once for each of them.
const char kAlreadyDeleted[] = "\r\n%s内のキャッシュデータ%d個は、すでに削除しました。";

// The question's first line, and the part that names the VirtualStore copies after the
// two folders when there are any.
const char kQuestion[] = "次のフォルダ内にあるキャッシュデータを削除します。よろしいですか？\r\n";
const char kVirtualStoreQuestion[] =
    "\r\n\r\nWindowsの互換機能（VirtualStore）により、次のフォルダに保存されたキャッシュデータも削除します。\r\n";
// Names the programs that have JV-Link loaded, which may hold the cache's files or write to
// it meanwhile; the user may still go on, but No is the default.
const char kJVLinkUsersQuestion[] =
    "\r\n\r\n次のソフトがJV-Linkを使っています。"
    "「いいえ」を押して、これらのソフトを終了してから、もう一度お試しください。\r\n";
// Added after a folder's path where a link or junction at it leads elsewhere.
const char kRealPlace[] = "（実際の場所：%s）";

// The report's lines for files that stayed, added only when some did: each folder where
// some did, then why they may have.
const char kStayedLine[] = "\r\n\r\n削除できなかったファイル：\r\n";
const char kStayedExplanation[] =
    "\r\n"
    "使用中のファイル、読み取り専用のファイル、このソフトでは扱えない名前のファイルは削除できません。"
    "JV-Linkを使うソフトをすべて終了してから、もう一度お試しください。"
    "それでも残るファイルは、エクスプローラーで削除してください。";

// The report's lines for folders that were not there, added only when some were not; the
// last when none of those the question named was there.
const char kAbsentLine[] = "\r\n\r\n次のフォルダは見つかりませんでした（削除するファイルはありません）：\r\n";
const char kNoneThereLine[] =
    "\r\n保存パスが正しいか、メニューの「ﾌｧｲﾙ」→「JV Link 設定」で確かめてください。";

// The longest folder is <save path>\Cache; it must still hold a separator, an 8.3 name
// and the terminator within MAX_PATH.
const std::size_t kLongestFolderSuffix = sizeof "\\Cache" - 1;
const std::size_t kShortFileName = 12;
const std::size_t kLongestSavePath = MAX_PATH - 1 - kLongestFolderSuffix - 1 - kShortFileName;

// A folder as the question and the report name it: where a link at it leads follows it.
std::string Named(const HeldFolder& held) {
    return held.shown + (held.realPlace.empty() ? std::string() : FormatText(kRealPlace, {WideToAnsi(held.realPlace)}));
}

}  // namespace

bool SavePathToAnsi(const std::wstring& wide, std::string& ansi) {
    return WideToExactAnsi(wide, ansi);
}

bool IsAbsoluteSavePath(const std::string& path) {
    if (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
        path[2] == '\\')
        return true;
    if (path.compare(0, 2, "\\\\") != 0) return false;
    // \\server\share: both named; "\\.\" and "\\?\" are device paths, not shares.
    auto serverEnd = FindDelimiter(path, '\\', 2);
    if (serverEnd == std::string::npos || serverEnd == 2) return false;
    std::string server = path.substr(2, serverEnd - 2);
    if (server == "." || server == "?") return false;
    auto shareEnd = FindDelimiter(path, '\\', serverEnd + 1);
    std::string share = path.substr(serverEnd + 1, shareEnd == std::string::npos ? std::string::npos
                                                                                 : shareEnd - serverEnd - 1);
    return !share.empty();
}

std::string SavePathRefusal(const std::wstring& wide, std::string& ansi) {
    ansi.clear();
    // Every ANSI call would stop at a NUL: "C:\JV" NUL "x" would empty C:\JV itself. No
    // control character belongs in a folder name.
    for (wchar_t ch : wide)
        if (ch < 0x20 || (ch >= 0x7F && ch <= 0x9F)) return kControlCharacterInSavePath + std::string(kOtherWays);
    if (!SavePathToAnsi(wide, ansi)) return kUnconvertibleSavePath + std::string(kOtherWays);
    if (ansi.empty()) return kEmptySavePath;
    if (!IsAbsoluteSavePath(ansi)) return FormatText(kRelativeSavePath, {ansi});
    if (ansi.size() > kLongestSavePath) {
        return FormatText(kSavePathTooLong, {ansi, std::to_string(ansi.size()), std::to_string(kLongestSavePath)}) +
               kOtherWays;
    }
    return {};
}

LinkCheck LinkCheckForThisSystem() {
    return RunningUnderWine() ? LinkCheck::FinalPathInside : LinkCheck::None;
}

std::string CacheDeletionQuestion(const CacheFolders& folders, const std::vector<std::wstring>& jvlinkUsers) {
    const std::vector<HeldFolder>& held = folders.Folders();
    std::string question = kQuestion + Named(held[0]) + "\r" + "\n" + Named(held[1]);
    for (std::size_t i = 2; i < held.size(); ++i)
        question += (i == 2 ? kVirtualStoreQuestion : "\r\n") + Named(held[i]);
    for (std::size_t i = 0; i < jvlinkUsers.size(); ++i)
        question += (i == 0 ? kJVLinkUsersQuestion : "\r\n") + WideToAnsi(jvlinkUsers[i]);
    return question;
}

CacheDeletionCounts EmptyCacheFolders(CacheFolders& folders, FolderFileList& lister, LinkCheck check,
                                      const DeletionProgress& progress, const DeletionSeams& seams) {
    // The names listed are this run's alone and nothing reads them afterwards: they are given
    // back when it ends, however it ends.
    struct ForgetNames {
        FolderFileList& lister;
        ~ForgetNames() { lister.Clear(); }
    } forget{lister};
    const std::vector<HeldFolder>& held = folders.Folders();
    const int count = static_cast<int>(held.size());
    std::vector<FolderOutcome> outcomes(held.size());
    for (int i = 0; i < count; ++i) {
        if (!held[i].folder.IsOpen()) continue;
        try {
            outcomes[i] = EmptyHeldFolder(lister, held[i], i, count, check, progress, seams);
        } catch (const std::exception& error) {
            // The user must learn what was already done before the run ended.
            std::string done;
            int deleted = 0;
            for (int before = 0; before < i; ++before)
                if (held[before].folder.IsOpen()) {
                    done += FormatText(kAlreadyDeleted, {held[before].shown, std::to_string(outcomes[before].gone)});
                    deleted += outcomes[before].gone;
                }
            throw EDeletionStopped(std::string(error.what()) + (done.empty() ? std::string(kNothingDeleted) : done),
                                   deleted);
        }
    }
    CacheDeletionCounts counts;
    counts.data = outcomes[0].gone;
    counts.cache = outcomes[1].gone;
    for (int i = 0; i < count; ++i) {
        (held[i].countsWith == 0 ? counts.dataStayed : counts.cacheStayed) += outcomes[i].stayed;
        counts.stayed.push_back(outcomes[i].stayed);
        if (i >= 2) counts.virtualStore.push_back(outcomes[i].gone);
    }
    return counts;
}

CacheDeletionCounts DeleteCacheFolders(FolderFileList& lister, const std::string& savePath, LinkCheck check,
                                       const DeletionProgress& progress, const DeletionSeams& seams) {
    CacheFolders folders(savePath, check, seams);
    return EmptyCacheFolders(folders, lister, check, progress, seams);
}

std::string CacheDeletionReport(const CacheFolders& folders, const CacheDeletionCounts& counts) {
    const std::vector<HeldFolder>& held = folders.Folders();
    auto line = [&held](std::size_t i, int count) {
        return Named(held[i]) + "内のキャッシュデータ" + std::to_string(count) + "個" + "\r" + "\n";
    };
    std::string report = line(0, counts.data) + line(1, counts.cache);
    for (std::size_t i = 2; i < held.size(); ++i)
        report += line(i, i - 2 < counts.virtualStore.size() ? counts.virtualStore[i - 2] : 0);
    report += "を削除しました。";
    std::string stayed;
    for (std::size_t i = 0; i < held.size() && i < counts.stayed.size(); ++i)
        if (counts.stayed[i] > 0)
            stayed += (stayed.empty() ? kStayedLine : "\r\n") + Named(held[i]) + "内" +
                      std::to_string(counts.stayed[i]) + "個";
    if (!stayed.empty()) report += stayed + kStayedExplanation;
    std::string absent;
    for (const HeldFolder& folder : held)
        if (folder.absent) absent += (absent.empty() ? kAbsentLine : "\r\n") + folder.shown;
    report += absent;
    if (std::all_of(held.begin(), held.end(), [](const HeldFolder& folder) { return folder.absent; }))
        report += kNoneThereLine;
    return report;
}
