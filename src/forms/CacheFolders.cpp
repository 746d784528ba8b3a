#include "forms/CacheFolders.h"

#include <windows.h>
#include <shlobj.h>
#include <algorithm>
#include <utility>
#include "base/AnsiPath.h"
#include "base/Exception.h"
#include "base/FileHandle.h"
#include "base/RealPathQuery.h"
#include "components/FileNames.h"

const char kNothingDeleted[] = "\r\nファイルは1つも削除していません。";

namespace {

// Texts of the folder checks, raised to the error display instead of the question; what
// was deleted (nothing) follows on a line of its own. A folder that cannot be reached says
// what to do for its cause.
const char kFolderInUse[] =
    "フォルダ「%s」をほかのソフトが使っているため（エラー%d）、キャッシュデータの削除を中止しました。"
    "JV-Linkを使うソフトをすべて終了してから、もう一度お試しください。";
const char kFolderAccessDenied[] =
    "フォルダ「%s」を開く権限がないため（エラー%d）、キャッシュデータの削除を中止しました。"
    "フォルダのアクセス許可を確かめるか、データを保存したユーザーでこのソフトを起動してください。";
const char kFolderNotReady[] =
    "フォルダ「%s」のあるドライブの準備ができていないため（エラー%d）、キャッシュデータの削除を中止しました。"
    "ドライブをつなぐか、カードを入れてから、もう一度お試しください。";
const char kFolderOnNetworkNotReached[] =
    "ネットワーク上のフォルダ「%s」に接続できなかったため（エラー%d）、キャッシュデータの削除を中止しました。"
    "ネットワークの接続と、NASやサーバーの電源を確かめてから、もう一度お試しください。";
const char kFolderLinkNotFollowed[] =
    "フォルダ「%s」はリンクですが、このパソコンの設定ではリンク先をたどれないため（エラー%d）、"
    "キャッシュデータの削除を中止しました。エクスプローラーでリンク先のフォルダを開き、中のファイルを削除してください。";
const char kFolderLinkTargetMissing[] =
    "フォルダ「%s」はリンクですが、リンク先が見つからないため（エラー%d）、キャッシュデータの削除を中止しました。"
    "リンク先のドライブ（USBドライブなど）をつないでから、もう一度お試しください。";
const char kFolderNotOpened[] =
    "フォルダ「%s」を開けなかったため（エラー%d）、キャッシュデータの削除を中止しました。"
    "JV-Linkを使うソフトをすべて終了してから、もう一度お試しください。";
const char kSavePathMissing[] =
    "JV-Linkの保存パス「%s」が見つからないため、キャッシュデータの削除を中止しました。"
    "メニューの「ﾌｧｲﾙ」→「JV Link 設定」で保存パスを確かめてください。";
const char kDriveNotAvailable[] =
    "JV-Linkの保存パス「%s」のドライブは、このソフトからは使えないため、キャッシュデータの削除を中止しました。"
    "管理者として実行したときのネットワークドライブなどです。"
    "管理者としてではなく普通に起動してから、もう一度お試しください。";
const char kFolderNotResolved[] =
    "フォルダ「%s」の実際の場所を確認できなかったため、キャッシュデータの削除を中止しました。"
    "ネットワーク上のフォルダなら、接続を確かめてから、もう一度お試しください。";
// A folder that leads to a root, or to the save path or above: what would be lost, then
// what to change. Where Data or Cache is a link that leads there, the link is the fault and
// no setting of JV-Link's would mend it.
const char kFolderIsRoot[] =
    "フォルダ「%s」の実際の場所（%s）は、ドライブのルートです。"
    "このまま削除するとドライブ内のファイルまで消えるため、キャッシュデータの削除を中止しました。";
const char kFolderIsSavePathOrAbove[] =
    "フォルダ「%s」の実際の場所（%s）は、保存パスそのものか、その上のフォルダです。"
    "このまま削除すると保存パス内のほかのファイルまで消えるため、キャッシュデータの削除を中止しました。";
const char kCheckTheSavePath[] = "メニューの「ﾌｧｲﾙ」→「JV Link 設定」で保存パスを確認してください。";
const char kChangeTheLink[] =
    "このフォルダは、ほかの場所を指すリンク（ジャンクションなど）です。"
    "直すのはJV-Linkの保存パスの設定ではなく、このリンクです。"
    "リンクを削除するか、キャッシュデータ専用のフォルダを指すように作り直してください。";
const char kNetworkFolderWithoutIds[] =
    "ネットワーク上のフォルダ「%s」は、削除の途中で別のフォルダにすり替わっていないことを確かめられない場所にあるため、"
    "キャッシュデータの削除を中止しました。このフォルダ内のファイルは、エクスプローラーで削除してください。";
const char kPlaceNotInCodePage[] =
    "フォルダ「%s」の実際の場所の名前に、日本語のWindowsで表せない文字が含まれているため、"
    "場所を正しく表示できません。キャッシュデータの削除を中止しました。"
    "エクスプローラーでこのフォルダを開き、中のファイルを削除してください。"
    "または、メニューの「ﾌｧｲﾙ」→「JV Link 設定」で、半角の英数字・記号と日本語（ひらがな・カタカナ・漢字）だけを"
    "使った名前のフォルダを保存パスにしてください。保存パスを変えても、ダウンロード済みのデータは元のフォルダに残ります。";

const wchar_t* const kLeaves[] = {L"Data", L"Cache"};

// ---- Paths -----------------------------------------------------------------------------

// A final path in both forms the system gives; either may be empty.
struct FinalPath {
    std::wstring dos;
    std::wstring nt;
    bool Known() const { return !dos.empty() || !nt.empty(); }
    // As a user reads it: the DOS form where there is one.
    const std::wstring& Shown() const { return dos.empty() ? nt : dos; }
};

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool StartsWithDrive(const std::wstring& path) {
    return path.size() >= 2 && path[1] == L':' &&
           ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

// The system's final path, without "\\?\" and without a trailing separator but a drive
// root's; empty where the system has none in that form. Over SMB the normalized name fails
// where the user may not list some folder above; the name as opened is asked then (the
// identity checks still guard what it cannot show).
std::wstring SystemFinalPath(HANDLE handle, bool nt, const DeletionSeams& seams) {
    DWORD flags = FILE_NAME_NORMALIZED | (nt ? VOLUME_NAME_NT : VOLUME_NAME_DOS);
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = seams.finalPathByHandle(handle, buffer.data(), static_cast<DWORD>(buffer.size()), flags);
        if (length == 0 && !(flags & FILE_NAME_OPENED)) {
            flags |= FILE_NAME_OPENED;
            continue;
        }
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

FinalPath FinalPathOf(HANDLE handle, const DeletionSeams& seams) {
    if (seams.finalPath) return FinalPath{seams.finalPath(handle, false), seams.finalPath(handle, true)};
    return FinalPath{SystemFinalPath(handle, false, seams), SystemFinalPath(handle, true, seams)};
}

// On the network by where it really is: a share's DOS form, or the NT form below Mup.
bool IsOnTheNetwork(const FinalPath& final) {
    const std::wstring mup = L"\\Device\\Mup\\";
    return final.dos.compare(0, 2, L"\\\\") == 0 ||
           (final.nt.size() > mup.size() && SameWideNameIgnoringCase(final.nt.substr(0, mup.size()), mup));
}

// Repeated separators made one (but the two that begin a UNC path), and no trailing one.
std::wstring Collapsed(const std::wstring& path) {
    std::wstring collapsed;
    for (std::size_t i = 0; i < path.size(); ++i)
        if (path[i] != L'\\' || i < 2 || collapsed.back() != L'\\') collapsed += path[i];
    while (collapsed.size() > 3 && collapsed.back() == L'\\') collapsed.pop_back();
    return collapsed;
}

// Both final paths in the one form they share: DOS where both have it, else NT. False when
// they share none, and then they cannot be compared.
bool InOneForm(const FinalPath& a, const FinalPath& b, std::wstring& inA, std::wstring& inB) {
    const bool dos = !a.dos.empty() && !b.dos.empty();
    if (!dos && (a.nt.empty() || b.nt.empty())) return false;
    inA = dos ? a.dos : a.nt;
    inB = dos ? b.dos : b.nt;
    return true;
}

// A drive root ("C:\") or the root of a share ("\\server\share").
bool IsDosRoot(const std::wstring& path) {
    if (path.size() <= 3 && path.size() >= 2 && path[1] == L':') return true;
    if (path.compare(0, 2, L"\\\\") != 0) return false;
    auto serverEnd = path.find(L'\\', 2);
    if (serverEnd == std::wstring::npos) return true;
    auto shareEnd = path.find(L'\\', serverEnd + 1);
    return shareEnd == std::wstring::npos || shareEnd + 1 == path.size();
}

// folder is path itself or a folder above it, both in one form.
bool IsAtOrAbove(const std::wstring& folder, const std::wstring& path) {
    const std::wstring above = Collapsed(folder), below = Collapsed(path);
    return SameWideNameIgnoringCase(below, above) ||
           (below.size() > above.size() && (above.back() == L'\\' || below[above.size()] == L'\\') &&
            SameWideNameIgnoringCase(below.substr(0, above.size()), above));
}

std::wstring LocalAppData(const DeletionSeams& seams) {
    if (seams.localAppData) return seams.localAppData();
    wchar_t path[MAX_PATH];
    return SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))
               ? std::wstring(path)
               : std::wstring();
}

std::wstring FolderOfTheSystem(int csidl) {
    wchar_t path[MAX_PATH];
    return SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? std::wstring(path)
                                                                                         : std::wstring();
}

std::wstring EnvironmentFolder(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(name, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

// Where Windows virtualizes a 32-bit program's writes: the Windows folder, Program Files
// (both of them on 64-bit Windows, where a 32-bit program is told the x86 one) and
// ProgramData, all on the system drive.
std::vector<std::wstring> VirtualizedFolders(const DeletionSeams& seams) {
    if (seams.virtualizedFolders) return seams.virtualizedFolders();
    std::wstring programFiles = EnvironmentFolder(L"ProgramW6432");
    if (programFiles.empty()) programFiles = FolderOfTheSystem(CSIDL_PROGRAM_FILES);
    std::vector<std::wstring> folders;
    for (const std::wstring& folder : {FolderOfTheSystem(CSIDL_WINDOWS), programFiles,
                                       EnvironmentFolder(L"ProgramFiles(x86)"), FolderOfTheSystem(CSIDL_COMMON_APPDATA)})
        if (!folder.empty()) folders.push_back(folder);
    return folders;
}

// ---- Reaching the folders ------------------------------------------------------------------

bool NotFound(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Whether any entry of that name is there, also a link whose target is gone.
bool NameTaken(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(path.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        return true;
    }
    return !NotFound(GetLastError());
}

// A folder that did not open is absent only when the system says it does not exist, no
// entry of its name is there, and the nearest folder above it that exists opens. Anything
// else (a link to an unplugged drive, a sleeping NAS) cannot be reached.
bool Absent(const std::wstring& path, DWORD error, const DeletionSeams& seams) {
    if (!NotFound(error) || NameTaken(path)) return false;
    const std::vector<std::wstring> above = FolderAndAncestors(path);
    for (auto folder = above.begin() + 1; folder != above.end(); ++folder) {
        const FileHandle opened = OpenToIdentify(*folder, seams.createFile);
        if (opened.IsOpen()) return true;
        if (!NotFound(GetLastError()) || NameTaken(*folder)) return false;
    }
    return false;
}

bool NetworkError(DWORD error) {
    switch (error) {
    case ERROR_BAD_NETPATH: case ERROR_BAD_NET_NAME: case ERROR_REM_NOT_LIST: case ERROR_NETWORK_BUSY:
    case ERROR_UNEXP_NET_ERR: case ERROR_BAD_NET_RESP: case ERROR_NETNAME_DELETED: case ERROR_NETWORK_ACCESS_DENIED:
    case ERROR_BAD_DEV_TYPE: case ERROR_SHARING_PAUSED: case ERROR_REQ_NOT_ACCEP: case ERROR_NO_NETWORK:
    case ERROR_NETWORK_UNREACHABLE: case ERROR_HOST_UNREACHABLE: case ERROR_CONNECTION_REFUSED:
    case ERROR_NOT_CONNECTED: case ERROR_LOGON_FAILURE: case ERROR_SEM_TIMEOUT:
        return true;
    }
    return false;
}

// The error for a folder that cannot be reached, saying what to do for its cause.
Exception NotReached(const std::string& shown, DWORD error) {
    const char* text = kFolderNotOpened;
    if (error == ERROR_SHARING_VIOLATION) text = kFolderInUse;
    else if (error == ERROR_ACCESS_DENIED) text = kFolderAccessDenied;
    else if (error == ERROR_NOT_READY) text = kFolderNotReady;
    else if (NetworkError(error)) text = kFolderOnNetworkNotReached;
    else if (error == ERROR_SYMLINK_CLASS_DISABLED) text = kFolderLinkNotFollowed;
    else if (NotFound(error)) text = kFolderLinkTargetMissing;
    return Exception(FormatText(text, {shown, std::to_string(error)}) + kNothingDeleted);
}

// Opens a held folder for the run, its entries to be read and opened through the seams.
bool OpenHeld(HeldFolder& held, DWORD& error, const DeletionSeams& seams) {
    held.folder.SetDirectoryQuery(seams.directoryQuery);
    held.folder.SetEntryOpen(seams.openEntry);
    return held.folder.Open(held.path, error, seams.createFile);
}

// The save path, open. It must be there: a missing one, or one on a drive this
// program cannot see (a network drive mapped by another logon session, as for a program
// run as administrator), is said before anything is asked.
FileHandle ReachSavePath(const std::string& savePath, const std::wstring& wideSave, const DeletionSeams& seams) {
    if (StartsWithDrive(wideSave) && seams.driveType((wideSave.substr(0, 2) + L"\\").c_str()) == DRIVE_NO_ROOT_DIR)
        throw Exception(FormatText(kDriveNotAvailable, {savePath}) + kNothingDeleted);
    FileHandle save = OpenToIdentify(wideSave, seams.createFile);
    if (!save.IsOpen()) {
        const DWORD error = GetLastError();
        if (NotFound(error) && !NameTaken(wideSave))
            throw Exception(FormatText(kSavePathMissing, {savePath}) + kNothingDeleted);
        throw NotReached(savePath, error);
    }
    return save;
}

// The code page's exact form of a place the user is shown; raises when it has none, since a
// best-fit form ("D:\Cafe" for "D:\Café") names another folder.
std::string ExactlyShown(const std::wstring& place, const std::string& folder) {
    std::string ansi;
    if (!WideToExactAnsi(place, ansi)) throw Exception(FormatText(kPlaceNotInCodePage, {folder}) + kNothingDeleted);
    return ansi;
}

// ---- What no folder may turn out to be ---------------------------------------------------

// The save path and its VirtualStore copy, and every folder above either, by identity
// (which sees through a junction or link that a file server follows) and by final path.
struct ForbiddenFolders {
    std::vector<FileIdentity> identities;
    std::vector<FinalPath> finals;
};

// Adds an open folder, reached by path and resolved to final, and those above it. shown
// names it in the error raised when it could not be resolved.
void AddForbidden(ForbiddenFolders& forbidden, HANDLE folder, const FinalPath& final, const std::wstring& path,
                  const std::string& shown, const DeletionSeams& seams) {
    if (!final.Known()) throw Exception(FormatText(kFolderNotResolved, {shown}) + kNothingDeleted);
    forbidden.finals.push_back(final);
    forbidden.identities.push_back(IdentityOf(folder, seams.fileInformation, seams.classicInformation));
    // Above the path as given and above where it really is (it may be a link itself); each
    // folder once, the folder itself being open already.
    std::vector<std::wstring> above;
    for (const std::wstring& start : {path, final.dos}) {
        const std::vector<std::wstring> folders = FolderAndAncestors(start);
        for (auto each = folders.begin() + 1; each != folders.end(); ++each)
            if (std::none_of(above.begin(), above.end(),
                             [&each](const std::wstring& seen) { return SameWideNameIgnoringCase(seen, *each); }))
                above.push_back(*each);
    }
    for (const std::wstring& each : above) {
        FileHandle ancestor = OpenToIdentify(each);
        if (ancestor.IsOpen())
            forbidden.identities.push_back(
                IdentityOf(ancestor.Get(), seams.fileInformation, seams.classicInformation));
    }
}

// The same for a folder not open yet; returns its final path.
FinalPath AddForbidden(ForbiddenFolders& forbidden, const std::wstring& path, const std::string& shown,
                       const DeletionSeams& seams) {
    const FileHandle folder = OpenToIdentify(path);
    const FinalPath final = folder.IsOpen() ? FinalPathOf(folder.Get(), seams) : FinalPath{};
    AddForbidden(forbidden, folder.Get(), final, path, shown, seams);
    return final;
}

// Refuses a folder that is a volume's root, a forbidden folder or above one: emptying it
// would delete the user's own files. A link or junction that leads elsewhere, such as a
// cache moved to another drive, is fine. held's identity and real place are already taken.
void Check(const HeldFolder& held, const FinalPath& final, const ForbiddenFolders& forbidden,
           const DeletionSeams& seams) {
    bool root = (!final.dos.empty() && IsDosRoot(final.dos)) || IsNtVolumeRoot(final.nt);
    bool refused = false;
    for (const FinalPath& other : forbidden.finals) {
        std::wstring folder, base;
        if (!InOneForm(final, other, folder, base))
            throw Exception(FormatText(kFolderNotResolved, {held.shown}) + kNothingDeleted);
        refused = refused || IsAtOrAbove(folder, base);
    }
    const FileIdentity& identity = held.identity;
    for (const FileIdentity& other : forbidden.identities) refused = refused || SameIdentity(identity, other);
    if (!final.dos.empty()) {
        FileHandle rootFolder = OpenToIdentify(FolderAndAncestors(final.dos).back());
        if (rootFolder.IsOpen())
            root = root || SameIdentity(identity, IdentityOf(rootFolder.Get(), seams.fileInformation,
                                                             seams.classicInformation));
    }
    if (!root && !refused) return;
    const char* const what = root ? kFolderIsRoot : kFolderIsSavePathOrAbove;
    throw Exception(FormatText(what, {held.shown, WideToAnsi(final.Shown())}) +
                    (held.realPlace.empty() ? kCheckTheSavePath : kChangeTheLink) + kNothingDeleted);
}

// Where a link or junction at the folder leads, when that is not its base's own final path
// followed by its name: both sides resolved alike, so a doubled separator, case, short
// names, SUBST and mapped drives add nothing.
std::wstring RealPlace(const FinalPath& final, const FinalPath& base, const wchar_t* leaf) {
    std::wstring folder, expected;
    if (!InOneForm(final, base, folder, expected)) return final.Shown();
    return SameWideNameIgnoringCase(Collapsed(folder), Collapsed(expected + L"\\" + leaf)) ? std::wstring()
                                                                                         : final.Shown();
}

}  // namespace

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

std::wstring VirtualStoreFolder(const std::wstring& localAppData, const std::wstring& folder) {
    if (localAppData.empty() || !StartsWithDrive(folder) || folder.size() < 3 || folder[2] != L'\\') return {};
    std::wstring store = localAppData;
    while (!store.empty() && store.back() == L'\\') store.pop_back();
    std::wstring rest = folder.substr(2);
    while (rest.size() > 1 && rest.back() == L'\\') rest.pop_back();
    return store + L"\\VirtualStore" + (rest == L"\\" ? std::wstring() : rest);
}

bool IsNetworkPath(const std::wstring& path, const DeletionSeams& seams) {
    if (path.compare(0, 2, L"\\\\") == 0) return true;
    return StartsWithDrive(path) && seams.driveType((path.substr(0, 2) + L"\\").c_str()) == DRIVE_REMOTE;
}

bool IsNtVolumeRoot(const std::wstring& path) {
    const std::wstring device = L"\\Device\\";
    if (path.size() <= device.size() || !SameWideNameIgnoringCase(path.substr(0, device.size()), device)) return false;
    std::vector<std::wstring> parts;
    std::wstring rest = path.substr(device.size());
    for (std::wstring::size_type start = 0; start < rest.size();) {
        auto end = rest.find(L'\\', start);
        if (end == std::wstring::npos) end = rest.size();
        if (end > start) parts.push_back(rest.substr(start, end - start));
        start = end + 1;
    }
    if (parts.size() == 1) return true;  // \Device\HarddiskVolume3
    return parts.size() <= 3 && SameWideNameIgnoringCase(parts[0], L"Mup");
}

CacheFolders::CacheFolders(const std::string& savePath, LinkCheck check, const DeletionSeams& seams) {
    const std::wstring wideSave = AnsiToWide(savePath);
    for (int i = 0; i < 2; ++i) {
        HeldFolder held;
        held.shown = savePath + "\\" + WideToAnsi(kLeaves[i]);
        held.countsWith = i;
        held.path = AnsiToWide(held.shown);
        folders_.push_back(std::move(held));
    }
    // Held open until the checks, which ask it for its identity.
    const FileHandle save = ReachSavePath(savePath, wideSave, seams);
    const FinalPath saveFinal = FinalPathOf(save.Get(), seams);
    const bool saveOnNetwork = IsNetworkPath(wideSave, seams) || IsOnTheNetwork(saveFinal);

    // Windows redirects a 32-bit program's writes below its protected folders on the system
    // drive to VirtualStore, and the program then reads its own copy there: JV-Link loaded in
    // such a program keeps its cache there too. The copy's path follows where the save path
    // really is, however it was typed (SUBST, short names).
    std::wstring store;
    if (!saveOnNetwork && StartsWithDrive(saveFinal.dos)) {
        const std::vector<std::wstring> virtualized = VirtualizedFolders(seams);
        if (std::any_of(virtualized.begin(), virtualized.end(),
                        [&saveFinal](const std::wstring& folder) { return IsAtOrAbove(folder, saveFinal.dos); }))
            store = VirtualStoreFolder(LocalAppData(seams), saveFinal.dos);
    }
    for (int i = 0; i < 2 && !store.empty(); ++i) {
        HeldFolder held;
        held.countsWith = i;
        held.virtualStore = true;
        held.path = store + L"\\" + kLeaves[i];
        DWORD error = 0;
        if (!OpenHeld(held, error, seams) && Absent(held.path, error, seams)) continue;
        held.shown = ExactlyShown(held.path, folders_[i].shown);
        if (!held.folder.IsOpen()) throw NotReached(held.shown, error);
        folders_.push_back(std::move(held));
    }

    bool anyOpen = folders_.size() > 2;
    for (int i = 0; i < 2; ++i) {
        HeldFolder& held = folders_[i];
        DWORD error = 0;
        if (OpenHeld(held, error, seams)) {
            anyOpen = true;
        } else if (Absent(held.path, error, seams)) {
            held.absent = true;
        } else {
            throw NotReached(held.shown, error);
        }
    }
    if (anyOpen) {
        ForbiddenFolders forbidden;
        AddForbidden(forbidden, save.Get(), saveFinal, wideSave, savePath, seams);
        FinalPath storeFinal;
        if (!store.empty() && IsFolder(store)) storeFinal = AddForbidden(forbidden, store, WideToAnsi(store), seams);
        RealPathQuery realPath;
        for (HeldFolder& held : folders_) {
            if (!held.folder.IsOpen()) continue;
            const FinalPath final = FinalPathOf(held.folder.Handle(), seams);
            if (!final.Known()) throw Exception(FormatText(kFolderNotResolved, {held.shown}) + kNothingDeleted);
            held.identity = IdentityOf(held.folder.Handle(), seams.fileInformation, seams.classicInformation);
            held.realPlace = RealPlace(final, held.virtualStore ? storeFinal : saveFinal, kLeaves[held.countsWith]);
            Check(held, final, forbidden, seams);
            if (!held.realPlace.empty()) ExactlyShown(held.realPlace, held.shown);
            // Where the folder really is decides: a local path may be a link to a share.
            held.network = IsNetworkPath(held.path, seams) || IsOnTheNetwork(final);
            // On the network the folder is confirmed by identity before each entry: without
            // one, nothing could be deleted safely, and the user is told before being asked.
            if (held.network && !held.identity.Known())
                throw Exception(FormatText(kNetworkFolderWithoutIds, {held.shown}) + kNothingDeleted);
            // Wine: where the folder was at the check, which its entries must still be in.
            DWORD attributes = 0;
            if (check == LinkCheck::FinalPathInside &&
                realPath.AttributesAndPath(held.folder.Handle(), attributes, held.realPath) &&
                (held.realPath.empty() || held.realPath.back() != L'\\'))
                held.realPath += L'\\';
        }
    }
    if (seams.onStage) seams.onStage(DeletionStage::FoldersChecked, 0);
}
