#include "forms/CacheDeletion.h"

#include <windows.h>
#include <cctype>
#include <initializer_list>
#include <algorithm>
#include <unordered_map>
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

// Texts of the folder checks and of errors that end a run, raised to the error display.
const char kFolderNotOpened[] =
    "フォルダ「%s」を開けなかったため（エラー %d）、キャッシュデータの削除を中止しました。";
const char kFolderNotResolved[] =
    "フォルダ「%s」の実体を確認できなかったため、キャッシュデータの削除を中止しました。";
const char kFolderIsRootOrAbove[] =
    "フォルダ「%s」の実体（%s）はドライブのルート、または保存パスそのものかその上のフォルダです。"
    "保存パスの他のファイルを消さないよう、キャッシュデータの削除を中止しました。";
const char kFolderNotListed[] = "フォルダ「%s」の中を読み取れなかったため、キャッシュデータの削除を中止しました。";
const char kNothingDeleted[] = "ファイルは1つも削除していません。";
const char kAlreadyDeleted[] = "%s内のキャッシュデータ%d個は、すでに削除しました。";

// The report's line for files that stayed, added only when some did.
const char kStayedLine[] = "\r\n\r\n削除できなかったファイル: Data内%d個、Cache内%d個\r\n"
                           "使用中のファイル、読み取り専用のファイル、Windows で扱えない名前のファイルは削除できません。"
                           "JV-Link を使うソフトをすべて終了してから、もう一度お試しください。";

// The longest folder is <save path>\Cache; it must still hold a separator, an 8.3 name
// and the terminator within MAX_PATH.
const std::size_t kLongestFolderSuffix = sizeof "\\Cache" - 1;
const std::size_t kShortFileName = 12;
const std::size_t kLongestSavePath = MAX_PATH - 1 - kLongestFolderSuffix - 1 - kShortFileName;

const DWORD kNotAdmitted = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;

// Fills the pattern's "%s" and "%d" in order with values, in one pass over the pattern
// alone: a folder named "%d" stays as it is. ("%" is never a trail byte.)
std::string Format(const char* pattern, std::initializer_list<std::string> values) {
    std::string text;
    auto value = values.begin();
    for (const char* at = pattern; *at; ++at) {
        if (at[0] == '%' && (at[1] == 's' || at[1] == 'd') && value != values.end()) {
            text += *value++;
            ++at;
        } else {
            text += *at;
        }
    }
    return text;
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

// Opens a folder where links and junctions lead, to learn who and where it is.
FileHandle OpenFolder(const std::wstring& path) {
    return FileHandle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// The folder's final path as the system resolves it (links and junctions followed), in the
// form "C:\..." or "\\server\share\...", without a trailing separator unless a drive root.
std::wstring SystemFinalPath(HANDLE handle) {
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

std::wstring FinalPath(HANDLE handle, const DeletionSeams& seams) {
    return seams.finalPath ? seams.finalPath(handle) : SystemFinalPath(handle);
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

// folder is path itself or a folder above it, by their final paths.
bool IsAtOrAbove(const std::wstring& folder, const std::wstring& path) {
    return SamePathIgnoringCase(path, folder) ||
           (path.size() > folder.size() && (folder.back() == L'\\' || path[folder.size()] == L'\\') &&
            SamePathIgnoringCase(path.substr(0, folder.size()), folder));
}

// What neither Data nor Cache may turn out to be: the save path and every folder above it,
// by identity (which sees through a junction or link that a file server follows) and by
// final path (where identities cannot be had).
struct ForbiddenFolders {
    std::vector<FileIdentity> identities;
    std::wstring savePath;  // final path
};

ForbiddenFolders FindForbiddenFolders(const std::string& savePath, const DeletionSeams& seams) {
    ForbiddenFolders forbidden;
    const std::wstring wideSavePath = AnsiToWide(savePath);
    FileHandle save = OpenFolder(wideSavePath);
    if (save.IsOpen()) forbidden.savePath = FinalPath(save.Get(), seams);
    if (forbidden.savePath.empty()) throw Exception(Format(kFolderNotResolved, {savePath}) + kNothingDeleted);
    forbidden.identities.push_back(IdentityOf(save.Get(), seams.fileInformation));
    // Above the save path as given and above where it really is (it may be a link itself);
    // each folder once, the save path itself being open already.
    std::vector<std::wstring> paths;
    for (const std::wstring& start : {wideSavePath, forbidden.savePath}) {
        const std::vector<std::wstring> above = FolderAndAncestors(start);
        for (auto path = above.begin() + 1; path != above.end(); ++path)
            if (std::none_of(paths.begin(), paths.end(),
                             [&path](const std::wstring& seen) { return SamePathIgnoringCase(seen, *path); }))
                paths.push_back(*path);
    }
    for (const std::wstring& path : paths) {
        FileHandle folder = OpenFolder(path);
        if (folder.IsOpen()) forbidden.identities.push_back(IdentityOf(folder.Get(), seams.fileInformation));
    }
    return forbidden;
}

// Refuses a folder that is a drive root, the save path or a folder above it: emptying it
// would delete the user's own files. A link or junction at Data or Cache that leads
// elsewhere, such as a cache moved to another drive, is fine.
void CheckFolder(const OpenedFolder& folder, const std::string& path, const ForbiddenFolders& forbidden,
                 const DeletionSeams& seams) {
    const std::wstring final = FinalPath(folder.Handle(), seams);
    if (final.empty()) throw Exception(Format(kFolderNotResolved, {path}) + kNothingDeleted);
    bool refused = IsRoot(final) || IsAtOrAbove(final, forbidden.savePath);
    const FileIdentity identity = IdentityOf(folder.Handle(), seams.fileInformation);
    if (identity.Known()) {
        for (const FileIdentity& other : forbidden.identities) refused = refused || SameIdentity(identity, other);
        FileHandle root = OpenFolder(FolderAndAncestors(final).back());
        if (root.IsOpen()) refused = refused || SameIdentity(identity, IdentityOf(root.Get(), seams.fileInformation));
    }
    if (refused) throw Exception(Format(kFolderIsRootOrAbove, {path, WideToAnsi(final)}) + kNothingDeleted);
}

// A listed name that the path rules would read as another entry is never opened: one with
// a separator (a best-fit "¥" reads as "\"), a wildcard, or a trailing dot or space, which
// opening by path strips ("x." opens "x").
bool NamesItselfExactly(const std::string& name) {
    if (name.empty() || HasPathCharacter(name) || name.find_first_of("*?") != std::string::npos) return false;
    const char last = name.back();  // "." and " " are never trail bytes
    return last != '.' && last != ' ';
}

bool UnsupportedHere(DWORD error) {
    return error == ERROR_INVALID_PARAMETER || error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED;
}

// The attributes of an open entry, asked as the system's own delete asks: FAT32 and exFAT
// refuse FileAttributeTagInfo, and answer FileBasicInfo.
bool EntryAttributes(HANDLE entry, FileInformationFunction information, DWORD& attributes) {
    FILE_ATTRIBUTE_TAG_INFO tag;
    if (information(entry, FileAttributeTagInfo, &tag, sizeof tag)) {
        attributes = tag.FileAttributes;
        return true;
    }
    if (!UnsupportedHere(GetLastError())) return false;
    FILE_BASIC_INFO basic;
    if (!information(entry, FileBasicInfo, &basic, sizeof basic)) return false;
    attributes = basic.FileAttributes;
    return true;
}

struct FolderOutcome {
    int gone = 0;
    int stayed = 0;
};

// Deletes listed entries of one opened folder, each opened inside it and deleted through
// the handle it was checked on, and counts what is gone and what stayed.
class FolderDeletion {
public:
    FolderDeletion(const OpenedFolder& folder, LinkCheck check, FileInformationFunction information)
        : folder_(folder), check_(check), information_(information) {
        DWORD attributes = 0;
        if (check_ == LinkCheck::FinalPathInside &&
            query_.AttributesAndPath(folder_.Handle(), attributes, folderPath_) &&
            (folderPath_.empty() || folderPath_.back() != L'\\'))
            folderPath_ += L'\\';
    }

    // Sets the entry's delete disposition when it is admissible.
    void Delete(const std::string& name) {
        ++tried_;
        if (!NamesItselfExactly(name)) return;
        std::wstring wideName = AnsiToWide(name);
        // Even relative to a folder, a device's name must not reach a serial port.
        if (IsDosDeviceName(wideName)) return;
        LONG status = 0;
        FileHandle entry = folder_.OpenEntry(wideName, DELETE | FILE_READ_ATTRIBUTES, status);
        if (!entry.IsOpen()) return;
        DWORD attributes = 0;
        if (check_ == LinkCheck::FinalPathInside) {
            std::wstring path;
            if (folderPath_.empty() || !query_.AttributesAndPath(entry.Get(), attributes, path) ||
                path != folderPath_ + wideName)
                return;
        } else if (!EntryAttributes(entry.Get(), information_, attributes)) {
            return;
        }
        if (attributes & kNotAdmitted) return;
        FILE_DISPOSITION_INFO disposition{TRUE};
        if (!SetFileInformationByHandle(entry.Get(), FileDispositionInfo, &disposition, sizeof disposition)) return;
        disposed_.push_back(std::move(wideName));
    }

    // Wine removes an entry only when its handle closes, and can fail there without a word:
    // the folder is read again through its handle (once, since under Wine looking up a
    // missing name scans the whole folder), and only the names no longer there count.
    FolderOutcome Recount(const std::function<void()>& tick) {
        std::unordered_map<std::wstring, DWORD> left;
        const bool listed = folder_.ForEachEntry([&](const std::wstring& name, DWORD attributes) {
            if (tick) tick();
            left.emplace(name, attributes);
        });
        FolderOutcome outcome;
        std::unordered_set<std::wstring> going;
        for (const std::wstring& name : disposed_) {
            if (listed && left.count(name) == 0) {
                ++outcome.gone;
            } else if (StillGoing(name)) {
                ++outcome.gone;
                going.insert(name);
            }
        }
        if (listed) {
            for (const auto& entry : left)
                if (!(entry.second & kNotAdmitted) && going.count(entry.first) == 0) ++outcome.stayed;
        } else {
            outcome.stayed = std::max(0, tried_ - outcome.gone);  // what could not be confirmed gone
        }
        return outcome;
    }

private:
    // A name still listed: a file that another program holds open (with delete sharing)
    // stays "delete pending" until it closes it. Windows refuses to open it meanwhile; Wine
    // opens it and says so.
    bool StillGoing(const std::wstring& name) const {
        LONG status = 0;
        FileHandle entry = folder_.OpenEntry(name, FILE_READ_ATTRIBUTES, status);
        if (!entry.IsOpen()) return status == kStatusDeletePending || status == kStatusObjectNameNotFound;
        FILE_STANDARD_INFO standard;
        return GetFileInformationByHandleEx(entry.Get(), FileStandardInfo, &standard, sizeof standard) &&
               standard.DeletePending;
    }

    const OpenedFolder& folder_;
    LinkCheck check_;
    FileInformationFunction information_;
    EntryQuery query_;
    std::wstring folderPath_;  // Wine: the folder's real path, with a trailing separator
    std::vector<std::wstring> disposed_;
    int tried_ = 0;
};

void Notify(const DeletionSeams& seams, DeletionStage stage, int folder) {
    if (seams.onStage) seams.onStage(stage, folder);
}

// Lists one checked folder through its handle and empties it.
FolderOutcome EmptyFolder(FolderFileList& lister, const OpenedFolder& folder, const std::string& path, int number,
                          LinkCheck check, const DeletionProgress& progress, const DeletionSeams& seams) {
    Notify(seams, DeletionStage::Listing, number);
    const std::function<void()> reading = [&progress, number] {
        if (progress) progress(number, 0, 0);
    };
    if (!lister.ReadOpenedFolder(path, folder, reading)) throw Exception(Format(kFolderNotListed, {path}));
    Notify(seams, DeletionStage::Walking, number);
    FolderDeletion deletion(folder, check, seams.fileInformation);
    const int total = lister.Count();
    if (progress) progress(number, 0, total);
    for (int index = total - 1; index >= 0; --index) {
        try {
            deletion.Delete(lister.Name(index));
        } catch (...) {
            // One entry's failure never stops the walk.
        }
        if (progress) progress(number, total - index, total);
    }
    return deletion.Recount([&progress, number, total] {
        if (progress) progress(number, total, total);
    });
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
    if (!IsAbsoluteSavePath(ansi)) return Format(kRelativeSavePath, {ansi});
    if (ansi.size() > kLongestSavePath) {
        return Format(kSavePathTooLong,
                      {ansi, std::to_string(ansi.size()), std::to_string(kLongestSavePath)});
    }
    return {};
}

LinkCheck LinkCheckForThisSystem() {
    return RunningUnderWine() ? LinkCheck::FinalPathInside : LinkCheck::None;
}

std::vector<std::wstring> FolderAndAncestors(const std::wstring& path) {
    std::wstring::size_type rootEnd = 0;  // the root's length, its separator included
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') {
        rootEnd = 3;
    } else if (path.compare(0, 2, L"\\\\") == 0) {
        auto serverEnd = path.find(L'\\', 2);
        auto shareEnd = serverEnd == std::wstring::npos ? serverEnd : path.find(L'\\', serverEnd + 1);
        if (serverEnd == std::wstring::npos || serverEnd == 2 || shareEnd == serverEnd + 1) return {path};
        rootEnd = shareEnd == std::wstring::npos ? path.size() + 1 : shareEnd + 1;
    } else {
        return {path};
    }
    const std::wstring root = rootEnd > path.size() ? path + L"\\" : path.substr(0, rootEnd);
    std::wstring rest = rootEnd > path.size() ? std::wstring() : path.substr(rootEnd);
    std::vector<std::wstring> folders;
    for (;;) {
        while (!rest.empty() && rest.back() == L'\\') rest.pop_back();
        if (rest.empty()) break;
        folders.push_back(root + rest);
        auto separator = rest.rfind(L'\\');
        rest.erase(separator == std::wstring::npos ? 0 : separator);
    }
    folders.push_back(root);
    return folders;
}

CacheDeletionCounts DeleteCacheFolders(FolderFileList& lister, const std::string& savePath, LinkCheck check,
                                       const DeletionProgress& progress, const DeletionSeams& seams) {
    // Both folders as they are now, when the user has answered Yes: from here on they are
    // reached through these handles only.
    const std::string folders[2] = {savePath + "\\Data", savePath + "\\Cache"};
    OpenedFolder opened[2];
    for (int i = 0; i < 2; ++i) {
        if (!FolderFileList::FolderExists(folders[i])) continue;
        DWORD error = 0;
        opened[i].SetDirectoryQuery(seams.directoryQuery);
        if (opened[i].Open(AnsiToWide(folders[i]), error)) continue;
        // Gone since it was looked at: as if it had not been there.
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) continue;
        throw Exception(Format(kFolderNotOpened, {folders[i], std::to_string(error)}) + kNothingDeleted);
    }
    if (opened[0].IsOpen() || opened[1].IsOpen()) {
        const ForbiddenFolders forbidden = FindForbiddenFolders(savePath, seams);
        for (int i = 0; i < 2; ++i)
            if (opened[i].IsOpen()) CheckFolder(opened[i], folders[i], forbidden, seams);
    }
    Notify(seams, DeletionStage::FoldersChecked, 0);

    CacheDeletionCounts counts;
    FolderOutcome outcomes[2];
    for (int i = 0; i < 2; ++i) {
        if (!opened[i].IsOpen()) continue;
        try {
            outcomes[i] = EmptyFolder(lister, opened[i], folders[i], i, check, progress, seams);
        } catch (const std::exception& error) {
            // The user must learn what was already done before the run ended.
            const std::string done = i == 1 && opened[0].IsOpen()
                                         ? Format(kAlreadyDeleted, {folders[0], std::to_string(outcomes[0].gone)})
                                         : std::string(kNothingDeleted);
            throw Exception(std::string(error.what()) + done);
        }
    }
    counts.data = outcomes[0].gone;
    counts.dataStayed = outcomes[0].stayed;
    counts.cache = outcomes[1].gone;
    counts.cacheStayed = outcomes[1].stayed;
    return counts;
}

std::string CacheDeletionReport(const std::string& dataFolder, const std::string& cacheFolder,
                                const CacheDeletionCounts& counts) {
    std::string report = dataFolder + "内のキャッシュデータ" + std::to_string(counts.data) + "個" + "\r" + "\n" +
                         cacheFolder + "内のキャッシュデータ" + std::to_string(counts.cache) + "個" + "\r" + "\n" +
                         "を削除しました。";
    if (counts.dataStayed || counts.cacheStayed)
        report += Format(kStayedLine, {std::to_string(counts.dataStayed), std::to_string(counts.cacheStayed)});
    return report;
}
