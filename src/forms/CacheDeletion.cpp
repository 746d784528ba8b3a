#include "forms/CacheDeletion.h"

#include <windows.h>
#include <cctype>
#include <unordered_set>
#include <utility>
#include <vector>
#include "base/AnsiPath.h"
#include "base/Exception.h"
#include "base/FileHandle.h"
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
const char kControlCharacterInSavePath[] =
    "JV-Linkの保存パスに制御文字（NUL など）が含まれているため、キャッシュデータを削除できません。"
    "「JV Link 設定」で保存パスを確認してください。";
const char kSavePathTooLong[] =
    "JV-Linkの保存パス「%s」は長すぎるため（%d バイト）、キャッシュデータを削除できません。"
    "Windows のパスの上限（260 バイト）に収まるよう、保存パスは %d バイト以内にしてください。";

// Texts of the folder checks, raised to the error display; nothing is deleted in that folder.
const char kFolderNotEntered[] =
    "フォルダ「%s」を開けなかったため、キャッシュデータの削除を中止しました。（開いたフォルダ: %s）";
const char kFolderNotResolved[] =
    "フォルダ「%s」の実体を確認できなかったため、キャッシュデータの削除を中止しました。";
const char kFolderIsRootOrAbove[] =
    "フォルダ「%s」の実体（%s）はドライブのルート、または保存パスそのものかその上のフォルダです。"
    "保存パスの他のファイルを消さないよう、キャッシュデータの削除を中止しました。";

// The longest folder is <save path>\Cache; it must still hold a separator, an 8.3 name
// and the terminator within MAX_PATH.
const std::size_t kLongestFolderSuffix = sizeof "\\Cache" - 1;
const std::size_t kShortFileName = 12;
const std::size_t kLongestSavePath = MAX_PATH - 1 - kLongestFolderSuffix - 1 - kShortFileName;

const DWORD kNotAdmitted = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;

std::string Format(const char* pattern, const std::string& value) {
    std::string text = pattern;
    text.replace(text.find("%s"), 2, value);
    return text;
}

std::string Format(const char* pattern, const std::string& first, const std::string& second) {
    return Format(Format(pattern, first).c_str(), second);
}

// ---- What an opened entry is, asked of its own handle ---------------------------------

// ntdll's layout of FileAllInformation: under Wine one query answers both the attributes
// and where the entry really is.
struct FileAllInformation {
    FILE_BASIC_INFO basic;
    FILE_STANDARD_INFO standard;
    LARGE_INTEGER index;
    ULONG eaSize, access;
    LARGE_INTEGER position;
    ULONG mode, alignment;
    ULONG nameLength;  // bytes
    WCHAR name[1];     // the path from the volume's root, without the drive
};
struct IoStatusBlock {
    union {
        LONG status;
        void* pointer;
    };
    ULONG_PTR information;
};
using NtQueryInformationFileFunction = LONG(NTAPI*)(HANDLE, IoStatusBlock*, void*, ULONG, int);
const int kFileAllInformation = 18;

class EntryQuery {
public:
    EntryQuery() : buffer_(64 * 1024) {
        query_ = reinterpret_cast<NtQueryInformationFileFunction>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationFile")));
    }
    // The attributes and the path (without drive) of an open entry; false when either
    // cannot be had whole.
    bool AttributesAndPath(HANDLE handle, DWORD& attributes, std::wstring& path) {
        if (!query_) return false;
        IoStatusBlock io{};
        if (query_(handle, &io, buffer_.data(), static_cast<ULONG>(buffer_.size()), kFileAllInformation) != 0)
            return false;
        const auto* all = reinterpret_cast<const FileAllInformation*>(buffer_.data());
        attributes = all->basic.FileAttributes;
        path.assign(all->name, all->nameLength / sizeof(WCHAR));
        return true;
    }

private:
    NtQueryInformationFileFunction query_;
    std::vector<BYTE> buffer_;
};

// Opens an entry itself, never what a reparse point at it leads to; a directory does not
// open at all without backup semantics.
FileHandle OpenEntry(const std::string& name, DWORD access) {
    return FileHandle(CreateFileA(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

// Opens a folder where links and junctions lead, to ask where it really is.
FileHandle OpenFolder(const std::string& path) {
    return FileHandle(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// The folder's final path as the system resolves it (links and junctions followed), in the
// form "C:\..." or "\\server\share\...", without a trailing separator unless a drive root.
std::wstring FinalPath(HANDLE handle) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                                 FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) return {};
        if (length < buffer.size()) {
            std::wstring path(buffer.data(), length);
            if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) path = L"\\\\" + path.substr(8);
            else if (path.compare(0, 4, L"\\\\?\\") == 0) path = path.substr(4);
            while (path.size() > 3 && path.back() == L'\\') path.pop_back();
            return path;
        }
        buffer.resize(length + 1);
    }
}

bool SamePathIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

// A drive root ("C:\") or the root of a share ("\\server\share").
bool IsRoot(const std::wstring& path) {
    if (path.size() <= 3 && path.size() >= 2 && path[1] == L':') return true;
    if (path.compare(0, 2, L"\\\\") != 0) return false;
    auto serverEnd = path.find(L'\\', 2);
    if (serverEnd == std::wstring::npos) return true;
    auto shareEnd = path.find(L'\\', serverEnd + 1);
    return shareEnd == std::wstring::npos || shareEnd + 1 == path.size();
}

// A path with each run of separators after its first two bytes (the "\\" of a UNC path)
// made one: the system keeps a doubled separator in a UNC path where it drops it in others.
std::string WithoutDoubledSeparators(const std::string& path) {
    std::string result;
    bool afterSeparator = false;
    for (std::string::size_type i = 0; i < path.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
            result.append(path, i++, 2);
            afterSeparator = false;
            continue;
        }
        const bool separator = path[i] == '\\';
        if (!(separator && afterSeparator && i >= 2)) result += path[i];
        afterSeparator = separator;
    }
    return result;
}

// The lister must have entered exactly folder, and folder must not be (or resolve to) a
// drive root, the save path or a folder above it: emptying those would delete the user's
// own files. A link or junction at Data or Cache that leads elsewhere is followed.
void CheckEnteredFolder(const std::string& savePath, const std::string& folder) {
    const std::string current = CurrentDirectory();
    char full[MAX_PATH * 2];
    DWORD length = folder.find('\0') == std::string::npos
                       ? GetFullPathNameA(folder.c_str(), sizeof full, full, nullptr)
                       : 0;
    if (length == 0 || length >= sizeof full ||
        !SameFileName(WithoutDoubledSeparators(std::string(full, length)), WithoutDoubledSeparators(current)))
        throw Exception(Format(kFolderNotEntered, folder, current));

    FileHandle entered = OpenFolder(".");
    FileHandle save = OpenFolder(savePath);
    const std::wstring enteredPath = entered.IsOpen() ? FinalPath(entered.Get()) : std::wstring();
    const std::wstring savedPath = save.IsOpen() ? FinalPath(save.Get()) : std::wstring();
    if (enteredPath.empty() || savedPath.empty()) throw Exception(Format(kFolderNotResolved, folder));
    const bool above = SamePathIgnoringCase(savedPath, enteredPath) ||
                       (savedPath.size() > enteredPath.size() &&
                        (enteredPath.back() == L'\\' || savedPath[enteredPath.size()] == L'\\') &&
                        SamePathIgnoringCase(savedPath.substr(0, enteredPath.size()), enteredPath));
    if (IsRoot(enteredPath) || above)
        throw Exception(Format(kFolderIsRootOrAbove, folder, WideToAnsi(enteredPath)));
}

// A listed name that the path rules would read as another entry is never opened: one with
// a separator (a best-fit "¥" reads as "\"), a wildcard, or a trailing dot or space, which
// opening strips ("x." opens "x").
bool NamesItselfExactly(const std::string& name) {
    if (name.empty() || HasPathCharacter(name) || name.find_first_of("*?") != std::string::npos) return false;
    const char last = name.back();  // "." and " " are never trail bytes
    return last != '.' && last != ' ';
}

// Deletes the listed entries of the current folder, each through the handle it was checked
// on, and counts those that are gone afterwards.
class FolderDeletion {
public:
    explicit FolderDeletion(LinkCheck check) : check_(check) {
        if (check_ == LinkCheck::FinalPathInside) {
            FileHandle folder = OpenFolder(".");
            DWORD attributes = 0;
            if (folder.IsOpen() && query_.AttributesAndPath(folder.Get(), attributes, folderPath_) &&
                (folderPath_.empty() || folderPath_.back() != L'\\'))
                folderPath_ += L'\\';
        }
    }

    // Sets the entry's delete disposition when it is admissible; true when that succeeded.
    bool Delete(const std::string& name) {
        if (!NamesItselfExactly(name)) return false;
        FileHandle entry = OpenEntry(name, DELETE | FILE_READ_ATTRIBUTES);
        if (!entry.IsOpen()) return false;
        std::wstring wideName = AnsiToWide(name);
        DWORD attributes = 0;
        if (check_ == LinkCheck::FinalPathInside) {
            std::wstring path;
            if (folderPath_.empty() || !query_.AttributesAndPath(entry.Get(), attributes, path) ||
                path != folderPath_ + wideName)
                return false;
        } else {
            FILE_ATTRIBUTE_TAG_INFO tag;
            if (!GetFileInformationByHandleEx(entry.Get(), FileAttributeTagInfo, &tag, sizeof tag)) return false;
            attributes = tag.FileAttributes;
        }
        if (attributes & kNotAdmitted) return false;
        FILE_DISPOSITION_INFO disposition{TRUE};
        if (!SetFileInformationByHandle(entry.Get(), FileDispositionInfo, &disposition, sizeof disposition))
            return false;
        disposed_.push_back(std::move(wideName));
        return true;
    }

    // Wine removes an entry only when its handle closes, and can fail there without a word:
    // count only the entries whose names are no longer in the folder (read once, after the
    // walk, since under Wine looking up a missing name scans the whole folder).
    int CountGone() {
        std::unordered_set<std::wstring> left;
        const bool listed = ListFolder(left);
        int gone = 0;
        for (const std::wstring& name : disposed_)
            if ((listed && left.count(name) == 0) || StillGoing(name)) ++gone;
        return gone;
    }

private:
    static bool ListFolder(std::unordered_set<std::wstring>& names) {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW(L"*", &found);
        if (search == INVALID_HANDLE_VALUE) return false;
        do names.insert(found.cFileName);
        while (FindNextFileW(search, &found));
        const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
        FindClose(search);
        return complete;
    }

    // A name still listed: on Windows a file that another program holds open (with delete
    // sharing) stays "delete pending" until it closes it, and cannot be opened meanwhile.
    bool StillGoing(const std::wstring& name) {
        FileHandle entry(CreateFileW(name.c_str(), FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                     nullptr));
        if (entry.IsOpen()) return false;
        DWORD error = GetLastError();
        return error == ERROR_ACCESS_DENIED || error == ERROR_FILE_NOT_FOUND;
    }

    LinkCheck check_;
    EntryQuery query_;
    std::wstring folderPath_;  // with a trailing separator
    std::vector<std::wstring> disposed_;
};

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
        if (ch < 0x20 || (ch >= 0x7F && ch <= 0x9F)) return kControlCharacterInSavePath;
    if (!SavePathToAnsi(wide, ansi)) return kUnconvertibleSavePath;
    if (ansi.empty()) return kEmptySavePath;
    if (!IsAbsoluteSavePath(ansi)) return Format(kRelativeSavePath, ansi);
    if (ansi.size() > kLongestSavePath) {
        std::string text = Format(kSavePathTooLong, ansi);
        text.replace(text.find("%d"), 2, std::to_string(ansi.size()));
        text.replace(text.find("%d"), 2, std::to_string(kLongestSavePath));
        return text;
    }
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

int DeleteListedFiles(FolderFileList& lister, const std::string& savePath, const std::string& folder,
                      LinkCheck check, const DeletionProgress& progress, int folderNumber) {
    const std::string before = lister.Folder();
    lister.ApplyPath(folder);
    if (lister.Folder() == before) lister.ReadNames();
    CheckEnteredFolder(savePath, folder);

    FolderDeletion deletion(check);
    const int total = lister.Count();
    if (progress) progress(folderNumber, 0, total);
    for (int index = total - 1; index >= 0; --index) {
        try {
            deletion.Delete(lister.Name(index));
        } catch (...) {
            // One entry's failure never stops the walk.
        }
        if (progress) progress(folderNumber, total - index, total);
    }
    return deletion.CountGone();
}

CacheDeletionCounts DeleteCacheFolders(FolderFileList& lister, const std::string& savePath, LinkCheck check,
                                       const DeletionProgress& progress) {
    CacheDeletionCounts counts;
    const std::string dataFolder = savePath + "\\Data";
    const std::string cacheFolder = savePath + "\\Cache";
    if (FolderFileList::FolderExists(dataFolder))
        counts.data = DeleteListedFiles(lister, savePath, dataFolder, check, progress, 0);
    if (FolderFileList::FolderExists(cacheFolder))
        counts.cache = DeleteListedFiles(lister, savePath, cacheFolder, check, progress, 1);
    return counts;
}
