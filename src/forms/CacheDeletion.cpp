#include "forms/CacheDeletion.h"

#include <windows.h>
#include <cctype>
#include "base/AnsiPath.h"
#include "components/FileNames.h"

namespace {

// Texts of the refusals, shown before anything is asked or deleted.
const char kEmptySavePath[] =
    "JV-Linkの保存パスが設定されていません。「JV Link 設定」で保存パスを設定してから実行してください。";
const char kRelativeSavePath[] =
    "JV-Linkの保存パス「%s」はドライブ名から始まる完全なパスではないため、キャッシュデータを削除できません。"
    "「JV Link 設定」で保存パスを確認してください。";
const char kUnconvertibleSavePath[] =
    "JV-Linkの保存パスに、このパソコンの文字コードで正しく表せない文字が含まれているため、"
    "キャッシュデータを削除できません。";

std::string Format(const char* pattern, const std::string& value) {
    std::string text = pattern;
    text.replace(text.find("%s"), 2, value);
    return text;
}

std::string FinalPath(HANDLE handle) {
    char buffer[MAX_PATH + 16];
    DWORD length = GetFinalPathNameByHandleA(handle, buffer, sizeof buffer, FILE_NAME_NORMALIZED);
    if (length > 0 && length < sizeof buffer) return std::string(buffer, length);
    if (length == 0) return {};
    std::string path(length, '\0');
    length = GetFinalPathNameByHandleA(handle, &path[0], length, FILE_NAME_NORMALIZED);
    path.resize(length);
    return path;
}

// The current directory as its final path, the form entries' final paths are compared with.
std::string CurrentFolderFinalPath() {
    HANDLE folder = CreateFileA(".", FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return {};
    std::string path = FinalPath(folder);
    CloseHandle(folder);
    return path;
}

// Deletes name only when it is itself a plain entry of the folder: a link that resolves
// anywhere else (also to another entry of the same folder) is left alone.
bool DeleteCheckedEntry(const std::string& name, const std::string& folderFinalPath) {
    if (folderFinalPath.empty()) return false;
    HANDLE entry = CreateFileA(name.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (entry == INVALID_HANDLE_VALUE) return false;
    // Without backup semantics a directory does not open, so the entry is a file here.
    bool deleted = false;
    if (SameFileName(FinalPath(entry), FolderFileList::JoinPath(folderFinalPath, name))) {
        FILE_DISPOSITION_INFO disposition{TRUE};
        deleted = SetFileInformationByHandle(entry, FileDispositionInfo, &disposition,
                                             sizeof disposition) != FALSE;
    }
    CloseHandle(entry);
    return deleted;
}

}  // namespace

bool SavePathToAnsi(const std::wstring& wide, std::string& ansi) {
    ansi.clear();
    if (wide.empty()) return true;
    BOOL usedDefault = FALSE;
    int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                   nullptr, 0, nullptr, &usedDefault);
    if (size <= 0 || usedDefault) return false;
    ansi.resize(static_cast<std::size_t>(size));
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), &ansi[0],
                        size, nullptr, &usedDefault);
    // Only an exact round trip proves that every character has its own equivalent.
    if (usedDefault || AnsiToWide(ansi) != wide) {
        ansi.clear();
        return false;
    }
    return true;
}

bool IsAbsoluteSavePath(const std::string& path) {
    if (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
        path[2] == '\\')
        return true;
    if (path.compare(0, 2, "\\\\") != 0) return false;
    // \\server\share: both named; "\\.\" and "\\?\" are device paths, not shares.
    auto serverEnd = path.find('\\', 2);
    if (serverEnd == std::string::npos || serverEnd == 2) return false;
    std::string server = path.substr(2, serverEnd - 2);
    if (server == "." || server == "?") return false;
    auto shareEnd = path.find('\\', serverEnd + 1);
    std::string share = path.substr(serverEnd + 1, shareEnd == std::string::npos ? std::string::npos
                                                                                 : shareEnd - serverEnd - 1);
    return !share.empty();
}

std::string SavePathRefusal(const std::wstring& wide, std::string& ansi) {
    if (!SavePathToAnsi(wide, ansi)) return kUnconvertibleSavePath;
    if (ansi.empty()) return kEmptySavePath;
    if (!IsAbsoluteSavePath(ansi)) return Format(kRelativeSavePath, ansi);
    return {};
}

bool RunningUnderWine() {
    static const bool wine =
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

LinkCheck LinkCheckForThisSystem() {
    return RunningUnderWine() ? LinkCheck::FinalPathInside : LinkCheck::None;
}

int DeleteListedFiles(FolderFileList& lister, const std::string& folder, LinkCheck check) {
    const std::string before = lister.Folder();
    lister.ApplyPath(folder);
    if (lister.Folder() == before) lister.ReadNames();

    const int count = lister.Count();
    const std::string folderFinalPath = check == LinkCheck::FinalPathInside ? CurrentFolderFinalPath() : "";
    int deleted = 0;
    for (int index = count - 1; index >= 0; --index) {
        try {
            std::string name = lister.Name(index);
            // A best-fit mapped name (such as one with "¥") may read as a path that leaves
            // the folder: never delete through it.
            if (name.empty() || HasPathCharacter(name)) continue;
            bool ok = check == LinkCheck::None ? DeleteFileA(name.c_str()) != FALSE
                                               : DeleteCheckedEntry(name, folderFinalPath);
            if (ok) ++deleted;
        } catch (...) {
            // One entry's failure never stops the walk.
        }
    }
    return deleted;
}

CacheDeletionCounts DeleteCacheFolders(FolderFileList& lister, const std::string& savePath, LinkCheck check) {
    CacheDeletionCounts counts;
    const std::string dataFolder = savePath + "\\Data";
    const std::string cacheFolder = savePath + "\\Cache";
    if (FolderFileList::FolderExists(dataFolder)) counts.data = DeleteListedFiles(lister, dataFolder, check);
    if (FolderFileList::FolderExists(cacheFolder)) counts.cache = DeleteListedFiles(lister, cacheFolder, check);
    return counts;
}
