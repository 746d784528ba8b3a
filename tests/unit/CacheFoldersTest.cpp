#include <gtest/gtest.h>

#include <windows.h>
#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <vector>
#include "OpenedAsWindowsDoes.h"
#include "TestFiles.h"
#include "base/AnsiPath.h"
#include "base/Application.h"
#include "base/Exception.h"
#include "components/FileNames.h"
#include "components/FolderFileList.h"
#include "forms/CacheDeletion.h"

namespace {

const LinkCheck kBothModes[] = {LinkCheck::None, LinkCheck::FinalPathInside};

TEST(FileNames, DeviceNamesAreKnownWhateverFollowsThem) {
    const struct {
        const wchar_t* name;
        bool device;
    } cases[] = {
        {L"CON", true},        {L"con", true},          {L"nul.txt", true},      {L"Aux.tar.gz", true},
        {L"PRN .dat", true},   {L"COM1.dat", true},     {L"com0", true},         {L"LPT9", true},
        {L"lpt\u00B9", true},  {L"COM\u00B3.x", true},  {L"CONIN$", true},       {L"conout$.log", true},
        {L"CON  ", true},      {L"COM10", false},       {L"COM", false},         {L"LPT\u00B4", false},
        {L"CONSOLE", false},   {L"xCON", false},        {L" CON", false},        {L"NULL.dat", false},
        {L"AUX_1.dat", false}, {L".con", false},        {L"CONIN", false},       {L"\uFF23ON", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsDosDeviceName(c.name), c.device) << WideToAnsi(c.name);
}

TEST(CacheDeletion, FoldersAboveAPathReachItsRoot) {
    using List = std::vector<std::wstring>;
    const struct {
        std::wstring path;
        List folders;
    } cases[] = {
        {L"C:\\JV\\save", {L"C:\\JV\\save", L"C:\\JV", L"C:\\"}},
        {L"C:\\JV\\save\\\\", {L"C:\\JV\\save", L"C:\\JV", L"C:\\"}},
        {L"C:\\", {L"C:\\"}},
        {L"\\\\nas\\share\\JV\\save", {L"\\\\nas\\share\\JV\\save", L"\\\\nas\\share\\JV", L"\\\\nas\\share\\"}},
        {L"\\\\nas\\share", {L"\\\\nas\\share\\"}},
        {L"\\\\nas\\share\\", {L"\\\\nas\\share\\"}},
        {L"\\\\nas", {L"\\\\nas"}},
        {L"relative", {L"relative"}},
    };
    for (const auto& c : cases) EXPECT_EQ(FolderAndAncestors(c.path), c.folders) << WideToAnsi(c.path);
}

// A save path with Data and Cache, and files above and beside it that must never go.
class CacheFolders : public ::testing::Test {
protected:
    void SetUp() override {
        started_ = CurrentDirectory();
        save_ = root_.File("save");
        data_ = save_ + "\\Data";
        cache_ = save_ + "\\Cache";
        MakeFolder(save_);
        MakeFolder(root_.File("sentinel"));
        WriteTextFile(save_ + "\\own.dat", "the user's own");
        WriteTextFile(save_ + "\\x", "the user's own");
        for (const char* name : {"own.dat", "x", "d1.dat"}) WriteTextFile(root_.File("sentinel\\") + name, "sentinel");
    }
    void TearDown() override {
        EXPECT_EQ(CurrentDirectory(), started_) << "the run changed the current directory";
        SetCurrentDirectoryA(started_.c_str());
        EXPECT_EQ(ReadWholeFile(AnsiToWide(save_ + "\\own.dat")), "the user's own");
        EXPECT_EQ(Snapshot(root_.File("sentinel")).size(), 3u) << "a sentinel went";
    }
    void Fill(const std::string& folder, int count) {
        MakeFolder(folder);
        for (int i = 1; i <= count; ++i) WriteTextFile(folder + "\\d" + std::to_string(i) + ".dat", "cache");
    }
    CacheDeletionCounts Run(LinkCheck check, const DeletionSeams& seams = {}) {
        FolderFileList lister;
        return DeleteCacheFolders(lister, save_, check, {}, seams);
    }
    // The message of the error that ended the run; empty when it ended normally.
    std::string Failure(LinkCheck check, const DeletionSeams& seams = {}) {
        try {
            Run(check, seams);
        } catch (const Exception& error) {
            return error.what();
        }
        return {};
    }

    TempFolder root_;
    std::string started_, save_, data_, cache_;
};

// The file system under a test, as it differs from the one the test runs on in ways only
// Windows shows: FAT32 and exFAT refuse FileAttributeTagInfo and FileIdInfo; a file system
// without ids answers 0 for them; a share sits on a remote drive, and another program may
// make its path lead elsewhere midway.
struct FileSystem {
    DWORD tagRefusal = 0;        // the error FileAttributeTagInfo meets; 0: it is answered
    bool idInfoRefused = false;  // FileIdInfo refused as unknown
    BYTE unknownIds = 1;         // 0 or 0xFF: every id and file index answered as all such bytes
    bool remote = false;         // every drive is a remote one
    int movesAfter = -1;         // entries handled after which the path leads elsewhere
    int shareFinal = 0;          // 1, 2: Data's final path is on a share, in the DOS or the NT form
};
FileSystem fileSystem;
bool pathMoved = false;

BOOL WINAPI FileSystemInformation(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID buffer, DWORD size) {
    if (kind == FileAttributeTagInfo && fileSystem.tagRefusal) {
        SetLastError(fileSystem.tagRefusal);
        return FALSE;
    }
    if (kind == kFileIdInfoClass && fileSystem.idInfoRefused) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (kind == kFileIdInfoClass && fileSystem.unknownIds != 1) {
        std::memset(buffer, fileSystem.unknownIds, size);
        static_cast<ULONGLONG*>(buffer)[0] = 0x1234;  // the volume's serial number
        return TRUE;
    }
    return GetFileInformationByHandleEx(handle, kind, buffer, size);
}
BOOL WINAPI FileSystemClassicInformation(HANDLE handle, LPBY_HANDLE_FILE_INFORMATION information) {
    if (!GetFileInformationByHandle(handle, information)) return FALSE;
    if (fileSystem.unknownIds != 1)
        information->nFileIndexHigh = information->nFileIndexLow = fileSystem.unknownIds ? 0xFFFFFFFF : 0;
    if (pathMoved) information->nFileIndexLow ^= 0x5A5A;
    return TRUE;
}
UINT WINAPI FileSystemDriveType(LPCWSTR root) {
    return fileSystem.remote ? DRIVE_REMOTE : GetDriveTypeW(root);
}
// Data's final path where it is a link to a share; every other folder's as the system says.
std::wstring FileSystemFinalPath(HANDLE folder, bool nt) {
    wchar_t path[MAX_PATH * 2];
    const DWORD flags = FILE_NAME_NORMALIZED | (nt ? VOLUME_NAME_NT : VOLUME_NAME_DOS);
    const DWORD length = GetFinalPathNameByHandleW(folder, path, MAX_PATH * 2, flags);
    std::wstring final(path, length < MAX_PATH * 2 ? length : 0);
    if (final.compare(0, 4, L"\\\\?\\") == 0) final = final.substr(4);
    if (final.size() < 5 || final.compare(final.size() - 5, 5, L"\\Data") != 0) return final;
    if (fileSystem.shareFinal == 1) return nt ? L"" : L"\\\\nas\\share\\JV\\Data";
    return nt ? L"\\Device\\Mup\\nas\\share\\JV\\Data" : L"";
}
DeletionSeams SeamsOf(const FileSystem& system) {
    fileSystem = system;
    pathMoved = false;
    DeletionSeams seams;
    seams.fileInformation = FileSystemInformation;
    seams.classicInformation = FileSystemClassicInformation;
    seams.driveType = FileSystemDriveType;
    if (system.shareFinal) seams.finalPath = FileSystemFinalPath;
    return seams;
}

// On each file system Data holds three cache files and a look-alike pair: "fö.dat", listed
// as "fo.dat", and a hidden "fo.dat" that this name opens. The hidden twin never goes, also
// where the entry's attributes must be asked another way. Ids of all zeros or all ones are
// unknown, never the same. A folder on a share (by its path, or by where a link at it
// leads) must still lead to the held folder before each entry; once it does not, nothing
// more goes. One whose identity is unknown is refused before the question.
TEST_F(CacheFolders, EachFileSystemDeletesOnlyWhatItMayAndCountsWhatStayed) {
    const DWORD unknownClass = ERROR_INVALID_PARAMETER;
    const struct {
        const char* system;
        FileSystem fileSystem;
        int gone, stayed;
        const char* refusal;  // what the error before the question says, or null
    } cases[] = {
        {"NTFS", {}, 3, 1, nullptr},
        {"FAT32 or exFAT", {unknownClass, true}, 3, 1, nullptr},
        {"attributes refused", {ERROR_ACCESS_DENIED}, 0, 4, nullptr},
        {"ids of 0", {0, false, 0}, 3, 1, nullptr},
        {"ids of all ones", {0, false, 0xFF}, 3, 1, nullptr},
        {"share", {0, true, 1, true}, 3, 1, nullptr},
        {"share pointed elsewhere after two entries", {0, true, 1, true, 2}, 1, 3, nullptr},
        {"link to a share, DOS form", {0, true, 1, false, 2, 1}, 1, 3, nullptr},
        {"link to a share, NT form", {0, true, 1, false, 2, 2}, 1, 3, nullptr},
        {"share without file ids", {0, false, 0, true}, 0, 4, "すり替わっていないことを確かめられない"},
        {"share with ids of all ones", {0, false, 0xFF, true}, 0, 4, "すり替わっていないことを確かめられない"},
        {"link to a share without file ids", {0, false, 0, false, -1, 1}, 0, 4, "すり替わっていないことを確かめられない"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.system);
        Fill(data_, 3);
        WriteTextFileW(AnsiToWide(data_) + L"\\f\u00F6.dat", "look-alike");
        WriteTextFile(data_ + "\\fo.dat", "hidden twin", FILE_ATTRIBUTE_HIDDEN);
        const DeletionSeams seams = SeamsOf(c.fileSystem);
        const int movesAfter = c.fileSystem.movesAfter;
        FolderFileList lister;
        CacheDeletionCounts counts;
        std::string refusal;
        try {
            counts = DeleteCacheFolders(lister, save_, LinkCheck::None,
                                        [movesAfter](int, int, int done, int) {
                                            pathMoved = pathMoved || done == movesAfter;
                                        },
                                        seams);
        } catch (const std::exception& error) {
            refusal = error.what();
        }
        pathMoved = false;
        if (c.refusal) {
            EXPECT_NE(refusal.find(c.refusal), std::string::npos) << refusal;
            EXPECT_NE(refusal.find("1つも削除していません"), std::string::npos) << refusal;
        } else {
            EXPECT_EQ(refusal, "");
            EXPECT_EQ(counts.data, c.gone);
            EXPECT_EQ(counts.dataStayed, c.stayed);
        }
        EXPECT_EQ(Snapshot(data_).size(), static_cast<std::size_t>(c.stayed + 1));
        EXPECT_EQ(Snapshot(data_)["fo.dat"], "hidden twin");
        RemoveTree(data_);
    }
}

// Whether a path is on the network decides whether the folder is confirmed before each
// entry: a UNC path always, a drive letter when the system calls that drive remote.
std::wstring rootAsked;
UINT driveTypeAnswered = DRIVE_FIXED;
UINT WINAPI DriveTypeAnswered(LPCWSTR root) {
    rootAsked = root;
    return driveTypeAnswered;
}

TEST(NetworkPaths, UncPathsAndRemoteDrivesAreOnTheNetwork) {
    const struct {
        const wchar_t* path;
        UINT driveType;
        const wchar_t* root;  // the root asked about, or null when none is
        bool network;
    } cases[] = {
        {L"\\\\nas\\share\\JV\\Data", DRIVE_FIXED, nullptr, true},
        {L"\\\\nas\\share", DRIVE_FIXED, nullptr, true},
        {L"Z:\\JV\\Data", DRIVE_REMOTE, L"Z:\\", true},
        {L"z:\\JV", DRIVE_REMOTE, L"z:\\", true},
        {L"C:\\JV\\Data", DRIVE_FIXED, L"C:\\", false},
        {L"E:\\JV\\Data", DRIVE_REMOVABLE, L"E:\\", false},
        {L"Y:\\JV\\Data", DRIVE_NO_ROOT_DIR, L"Y:\\", false},
    };
    DeletionSeams seams;
    seams.driveType = DriveTypeAnswered;
    for (const auto& c : cases) {
        rootAsked.clear();
        driveTypeAnswered = c.driveType;
        EXPECT_EQ(IsNetworkPath(c.path, seams), c.network) << WideToAnsi(c.path);
        EXPECT_EQ(rootAsked, c.root ? c.root : L"") << WideToAnsi(c.path);
    }
}

// Over SMB the final path is the client's view: a link that the server follows is
// invisible in it. Each folder then seems to be somewhere of its own.
std::wstring ClientView(HANDLE, bool nt) {
    static int views = 0;
    return (nt ? L"\\Device\\Mup\\client\\view\\" : L"\\\\client\\view\\") + std::to_wstring(++views);
}

TEST_F(CacheFolders, ALinkToTheSavePathIsRefusedByIdentityWherePathsCannotTell) {
    ASSERT_TRUE(MakeUnixSymlink(save_, data_));
    Fill(cache_, 2);
    for (bool fat : {false, true}) {
        const FileInformationFunction information =
            fat ? SeamsOf({ERROR_INVALID_PARAMETER, true}).fileInformation : GetFileInformationByHandleEx;
        DeletionSeams smb;
        smb.finalPath = ClientView;
        smb.fileInformation = information;
        smb.classicInformation = GetFileInformationByHandle;
        for (LinkCheck check : kBothModes)
            EXPECT_NE(Failure(check, smb).find("保存パスそのもの"), std::string::npos);
    }
    EXPECT_EQ(Snapshot(cache_).size(), 2u);
    RemoveUnixLink(data_);
}

// Another program swaps Data for a link to a folder elsewhere once it has been checked:
// the run keeps to the folder it opened and checked.
TEST_F(CacheFolders, AFolderSwappedAfterItsCheckIsNotFollowed) {
    for (LinkCheck check : kBothModes) {
        SCOPED_TRACE(static_cast<int>(check));
        Fill(data_, 3);
        const std::string moved = save_ + "\\moved";
        DeletionSeams swap;
        swap.onStage = [&](DeletionStage stage, int folder) {
            if (stage != DeletionStage::FoldersChecked || folder != 0) return;
            ASSERT_TRUE(MoveFileA(data_.c_str(), moved.c_str()));
            ASSERT_TRUE(MakeUnixSymlink(root_.File("sentinel"), data_));
        };
        CacheDeletionCounts counts;
        try {
            counts = Run(check, swap);
        } catch (const std::exception& error) {
            ADD_FAILURE() << error.what();
        }
        RemoveUnixLink(data_);
        // Windows deletes through the handles, in the folder that was checked. Wine finds an
        // entry by its folder's path, which now leads elsewhere: nothing goes, on either path.
        const int gone = RunningUnderWine() ? 0 : 3;
        EXPECT_EQ(counts.data, gone);
        EXPECT_EQ(counts.dataStayed, 3 - gone);
        EXPECT_EQ(Snapshot(moved).size(), static_cast<std::size_t>(3 - gone));
        RemoveTree(moved);
    }
}

// A folder's final path as the system gives it, without "\\?\": what a handle is open on.
std::wstring FinalPathOfHandle(HANDLE handle) {
    wchar_t path[MAX_PATH * 2];
    const DWORD length = GetFinalPathNameByHandleW(handle, path, MAX_PATH * 2, FILE_NAME_NORMALIZED);
    std::wstring final(path, length < MAX_PATH * 2 ? length : 0);
    return final.compare(0, 4, L"\\\\?\\") == 0 ? final.substr(4) : final;
}
std::wstring FinalPathOfFolder(const std::string& folder) {
    HANDLE handle = CreateFileA(folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE |
                                FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const std::wstring final = FinalPathOfHandle(handle);
    CloseHandle(handle);
    return final;
}

// Each entry open as the file system was asked it: inside which folder, by which name, with
// which options.
struct EntryOpen {
    std::wstring folder;  // the final path of the handle it is relative to; empty: none
    std::wstring name;
    ULONG options;
};
std::vector<EntryOpen> entryOpens;
NTSTATUS NTAPI RecordedEntryOpen(PHANDLE handle, ACCESS_MASK access, POBJECT_ATTRIBUTES attributes, PIO_STATUS_BLOCK io,
                                 ULONG share, ULONG options) {
    entryOpens.push_back({attributes->RootDirectory ? FinalPathOfHandle(attributes->RootDirectory) : L"",
                          std::wstring(attributes->ObjectName->Buffer, attributes->ObjectName->Length / 2), options});
    return NtOpenFile(handle, access, attributes, io, share, options);
}

// On Windows a link in Data or Cache is deleted as itself, never its target: each entry is
// opened relative to its held folder, by its bare name, never through a reparse point and
// never as a directory. (Wine follows a Unix link all the same, so only the asking shows here.)
TEST_F(CacheFolders, EachEntryIsOpenedInsideItsFolderAsItselfNeverThroughALink) {
    Fill(data_, 3);
    Fill(cache_, 2);
    entryOpens.clear();
    DeletionSeams seams;
    seams.openEntry = RecordedEntryOpen;
    const CacheDeletionCounts counts = Run(LinkCheck::None, seams);
    EXPECT_EQ(counts.data + counts.cache, 5);
    const std::wstring folders[] = {FinalPathOfFolder(data_), FinalPathOfFolder(cache_)};
    std::set<std::wstring> opened;
    for (const EntryOpen& open : entryOpens) {
        SCOPED_TRACE(WideToAnsi(open.name));
        EXPECT_TRUE(SameWideNameIgnoringCase(open.folder, folders[0]) ||
                    SameWideNameIgnoringCase(open.folder, folders[1]))
            << "opened inside " << WideToAnsi(open.folder);
        EXPECT_EQ(open.name.find_first_of(L"\\/:"), std::wstring::npos);
        EXPECT_EQ(open.options & (FILE_OPEN_REPARSE_POINT | FILE_NON_DIRECTORY_FILE),
                  static_cast<ULONG>(FILE_OPEN_REPARSE_POINT | FILE_NON_DIRECTORY_FILE));
        EXPECT_EQ(open.options & (FILE_DIRECTORY_FILE | FILE_OPEN_BY_FILE_ID), 0u);
        opened.insert(open.folder + L"\\" + open.name);
    }
    EXPECT_EQ(opened.size(), 5u) << "every listed entry is opened";
}

// On Windows a name ending in a dot or a space, and a device's name, are ordinary names of
// the folder: they go. The hidden "x" that "x." would name under the path rules stays.
TEST_F(CacheFolders, OnWindowsNamesEndingInADotAndDeviceNamesAreOrdinary) {
    MakeFolder(data_);
    const std::wstring data = L"\\\\?\\" + AnsiToWide(data_);
    for (const wchar_t* name : {L"\\x.", L"\\nul.txt", L"\\com1.dat", L"\\y "}) WriteTextFileW(data + name, "cache");
    WriteTextFile(data_ + "\\x", "hidden", FILE_ATTRIBUTE_HIDDEN);
    DeletionSeams seams;
    seams.openEntry = OpenedAsWindowsDoes;
    const CacheDeletionCounts counts = Run(LinkCheck::None, seams);
    EXPECT_EQ(counts.data, 4);
    EXPECT_EQ(counts.dataStayed, 0);
    const std::map<std::string, std::string> left{{"x", "hidden"}};
    EXPECT_EQ(Snapshot(data_), left);
}

// Makes a folder and every folder above it.
void MakeFolders(const std::string& folder) {
    const std::vector<std::wstring> folders = FolderAndAncestors(AnsiToWide(folder));
    for (auto each = folders.rbegin(); each != folders.rend(); ++each) CreateDirectoryW(each->c_str(), nullptr);
}

std::wstring localAppDataHere;
std::wstring LocalAppDataHere() {
    return localAppDataHere;
}
// The folder that stands for Program Files, below which Windows keeps VirtualStore copies.
std::wstring programFilesHere;
std::vector<std::wstring> ProgramFilesHere() {
    return {programFilesHere};
}

// Where the file system reports no file ids (FAT, many servers), only final paths can tell
// that a folder leads to the save path or above it: Data linked to the save path, to the
// folder above it, and the VirtualStore copy's Data linked to the VirtualStore copy of the
// save path. Each is refused before anything is asked, and nothing goes.
TEST_F(CacheFolders, LinksToTheSavePathOrAboveAreRefusedByFinalPathWhereIdsAreUnknown) {
    localAppDataHere = AnsiToWide(root_.File("local"));
    programFilesHere = AnsiToWide(root_.Path());  // as if the save path were below Program Files
    const std::string store = WideToAnsi(VirtualStoreFolder(localAppDataHere, AnsiToWide(save_)));
    ASSERT_FALSE(store.empty());
    MakeFolders(store);
    WriteTextFile(store + "\\own.dat", "the user's own, in VirtualStore");
    const struct {
        std::string link, target, refused;
    } cases[] = {
        {data_, save_, data_},
        {data_, root_.Path(), data_},
        {store + "\\Data", store, store + "\\Data"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link + " -> " + c.target);
        Fill(cache_, 2);
        ASSERT_TRUE(MakeUnixSymlink(c.target, c.link));
        const auto before = Snapshot(root_.Path());
        for (LinkCheck check : kBothModes) {
            DeletionSeams seams = SeamsOf({0, false, 0});
            seams.localAppData = LocalAppDataHere;
            seams.virtualizedFolders = ProgramFilesHere;
            const std::string message = Failure(check, seams);
            EXPECT_NE(message.find("「" + c.refused + "」"), std::string::npos) << message;
            EXPECT_NE(message.find("保存パスそのもの"), std::string::npos) << message;
            EXPECT_NE(message.find("このリンクです"), std::string::npos) << "the link, not the setting: " << message;
            EXPECT_EQ(Snapshot(root_.Path()), before);
        }
        RemoveUnixLink(c.link);
    }
}

TEST_F(CacheFolders, AnErrorAfterDataWasEmptiedSaysWhatWentThere) {
    Fill(data_, 4);
    Fill(cache_, 2);
    DeletionSeams failing;
    failing.onStage = [](DeletionStage stage, int folder) {
        if (stage == DeletionStage::Listing && folder == 1) throw EOutOfResources("行を挿入できません");
    };
    const std::string message = Failure(LinkCheckForThisSystem(), failing);
    EXPECT_EQ(message, "行を挿入できません\r\n" + data_ + "内のキャッシュデータ4個は、すでに削除しました。");
    EXPECT_TRUE(Snapshot(data_).empty());
    EXPECT_EQ(Snapshot(cache_).size(), 2u);
}

// The folder whose final path ends in finalPathTail is answered finalPathDos and finalPathNt
// (null: as the system answers); every other folder as the system resolves it.
const wchar_t* finalPathTail = L"";
const wchar_t* finalPathDos = nullptr;
const wchar_t* finalPathNt = nullptr;
std::wstring FinalPathAnswered(HANDLE folder, bool nt) {
    wchar_t path[MAX_PATH * 2];
    const DWORD length = GetFinalPathNameByHandleW(folder, path, MAX_PATH * 2,
                                                   FILE_NAME_NORMALIZED | (nt ? VOLUME_NAME_NT : VOLUME_NAME_DOS));
    std::wstring final(path, length < MAX_PATH * 2 ? length : 0);
    if (final.compare(0, 4, L"\\\\?\\") == 0) final = final.substr(4);
    const std::wstring tail = finalPathTail;
    const wchar_t* answer = nt ? finalPathNt : finalPathDos;
    if (answer && final.size() >= tail.size() && final.compare(final.size() - tail.size(), tail.size(), tail) == 0)
        return answer;
    return final;
}

// A folder that cannot be resolved, or that is a volume's root not above the save path (a
// junction to D:\ at Data, a volume mounted in a folder there) stops the run before anything
// is deleted, and the message names it. A RAM disk or a volume without a drive letter has
// no DOS form, and is compared in the NT form.
TEST_F(CacheFolders, FinalPathsDecideWhatIsARootAndWhatCannotBeResolved) {
    const struct {
        const wchar_t* tail;
        const wchar_t* dos;
        const wchar_t* nt;
        std::string refused;  // the folder the message names, or empty
        std::string saying;
        std::string also;  // a root: the drive's files at stake, or what to change
    } cases[] = {
        {L"\\save", L"", L"", save_, "確認できなかった", ""},
        {L"\\Data", L"", L"", data_, "確認できなかった", ""},
        {L"\\Data", L"D:\\", nullptr, data_, "（D:\\）", "ほかの場所を指すリンク"},
        {L"\\Data", nullptr, L"\\Device\\HarddiskVolume9\\", data_, "ドライブのルート", "で保存パスを確認"},
        {L"\\Data", L"", nullptr, "", "", ""},
        {L"\\Data", L"D:\\Caf\u00E9", nullptr, data_, "日本語のWindowsで表せない文字", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.saying + " " + c.refused);
        Fill(data_, 2);
        finalPathTail = c.tail;
        finalPathDos = c.dos;
        finalPathNt = c.nt;
        DeletionSeams seams;
        seams.finalPath = FinalPathAnswered;
        const std::string message = Failure(LinkCheckForThisSystem(), seams);
        if (c.refused.empty()) {
            EXPECT_EQ(message, "");
            EXPECT_TRUE(Snapshot(data_).empty());
            continue;
        }
        EXPECT_NE(message.find("「" + c.refused + "」"), std::string::npos) << message;
        EXPECT_NE(message.find(c.saying), std::string::npos) << message;
        EXPECT_NE(message.find(c.also), std::string::npos) << message;
        EXPECT_EQ(message.find("保存パス内のほかのファイル"), std::string::npos) << message;
        EXPECT_NE(message.find("1つも削除していません"), std::string::npos) << message;
        EXPECT_EQ(Snapshot(data_).size(), 2u);
    }
}

// Over SMB the normalized final path fails where the user may not list a folder above the
// share's folder; the name as opened is asked then.
DWORD WINAPI NormalizedRefused(HANDLE handle, LPWSTR path, DWORD size, DWORD flags) {
    if (!(flags & FILE_NAME_OPENED)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    return GetFinalPathNameByHandleW(handle, path, size, flags);
}

TEST_F(CacheFolders, WhereTheNormalizedFinalPathIsRefusedTheOpenedOneIsAsked) {
    Fill(data_, 2);
    DeletionSeams seams;
    seams.finalPathByHandle = NormalizedRefused;
    EXPECT_EQ(Failure(LinkCheckForThisSystem(), seams), "");
    EXPECT_TRUE(Snapshot(data_).empty());
}

// The folder whose path ends in failingTail fails to open with failingError, as an
// unreachable place does; every other path opens as the system opens it.
const wchar_t* failingTail = L"";
DWORD failingError = 0;
HANDLE WINAPI FailingOpen(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD how,
                          DWORD flags, HANDLE model) {
    const std::wstring name = path, tail = failingTail;
    if (name.size() >= tail.size() && name.compare(name.size() - tail.size(), tail.size(), tail) == 0) {
        SetLastError(failingError);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileW(path, access, share, security, how, flags, model);
}

// A folder that is there but cannot be reached (a folder the user may not read, an
// unplugged drive, a sleeping NAS, a link class the system refuses, a link whose target is
// gone) is an error before the question, naming it and saying what to do for its cause.
TEST_F(CacheFolders, AFolderThatCannotBeReachedIsAnErrorThatSaysWhatToDo) {
    Fill(cache_, 1);
    const struct {
        const wchar_t* tail;
        DWORD error;
        std::string folder;
        const char* saying;
    } cases[] = {
        {L"\\Data", ERROR_ACCESS_DENIED, data_, "を開く権限がないため（エラー5）"},
        {L"\\Data", ERROR_NOT_READY, data_, "ドライブの準備ができていないため（エラー21）"},
        {L"\\Data", ERROR_BAD_NETPATH, data_, "に接続できなかったため（エラー53）"},
        {L"\\Data", ERROR_BAD_NET_NAME, data_, "に接続できなかったため（エラー67）"},
        {L"\\Data", ERROR_SYMLINK_CLASS_DISABLED, data_, "リンク先をたどれないため（エラー1463）"},
        {L"\\Data", ERROR_SHARING_VIOLATION, data_, "ほかのソフトが使っているため（エラー32）"},
        {L"\\Data", ERROR_FILE_NOT_FOUND, data_, "リンク先が見つからないため（エラー2）"},
        {L"\\Data", ERROR_IO_DEVICE, data_, "を開けなかったため（エラー1117）"},
        {L"\\Cache", ERROR_NOT_READY, cache_, "ドライブの準備ができていないため（エラー21）"},
        {L"\\save", ERROR_PATH_NOT_FOUND, save_, "リンク先が見つからないため（エラー3）"},
        {L"\\save", ERROR_BAD_NETPATH, save_, "に接続できなかったため（エラー53）"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.saying);
        Fill(data_, 2);
        failingTail = c.tail;
        failingError = c.error;
        DeletionSeams seams;
        seams.createFile = FailingOpen;
        const std::string message = Failure(LinkCheckForThisSystem(), seams);
        EXPECT_NE(message.find("「" + c.folder + "」"), std::string::npos) << message;
        EXPECT_NE(message.find(c.saying), std::string::npos) << message;
        EXPECT_NE(message.find("\r\nファイルは1つも削除していません。"), std::string::npos) << message;
        EXPECT_EQ(Snapshot(data_).size(), 2u);
        EXPECT_EQ(Snapshot(cache_).size(), 1u);
    }
}

// A folder of which nothing is there, below a save path that opens, is absent: it is
// skipped, and the report says so (with where to check the save path when neither folder
// was there). A save path that is not there, or on a drive this program cannot see, is an
// error before the question.
UINT WINAPI NoSuchDrive(LPCWSTR) {
    return DRIVE_NO_ROOT_DIR;
}

TEST_F(CacheFolders, AbsentFoldersAreSaidAndAMissingSavePathIsAnError) {
    const std::string absentLine = "\r\n\r\n次のフォルダは見つかりませんでした（削除するファイルはありません）：\r\n";
    const std::string check = "\r\n保存パスが正しいか、メニューの「ﾌｧｲﾙ」→「JV Link 設定」で確かめてください。";
    const struct {
        int dataFiles, cacheFiles;  // -1: the folder is not there
        std::string after;         // what the report says after the folder lines
    } cases[] = {
        {2, 1, ""},
        {-1, 1, absentLine + data_},
        {2, -1, absentLine + cache_},
        {-1, -1, absentLine + data_ + "\r\n" + cache_ + check},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.after);
        if (c.dataFiles >= 0) Fill(data_, c.dataFiles);
        if (c.cacheFiles >= 0) Fill(cache_, c.cacheFiles);
        ::CacheFolders folders(save_, LinkCheckForThisSystem());
        FolderFileList lister;
        const CacheDeletionCounts counts = EmptyCacheFolders(folders, lister, LinkCheckForThisSystem());
        const std::string lines = data_ + "内のキャッシュデータ" + std::to_string(std::max(c.dataFiles, 0)) + "個\r\n" +
                                  cache_ + "内のキャッシュデータ" + std::to_string(std::max(c.cacheFiles, 0)) +
                                  "個\r\nを削除しました。";
        EXPECT_EQ(CacheDeletionReport(folders, counts), lines + c.after);
        RemoveTree(data_);
        RemoveTree(cache_);
    }
    const std::string saved = save_;
    save_ = root_.File("no such folder");
    EXPECT_EQ(Failure(LinkCheckForThisSystem()), "JV-Linkの保存パス「" + save_ +
                                                     "」が見つからないため、キャッシュデータの削除を中止しました。"
                                                     "メニューの「ﾌｧｲﾙ」→「JV Link 設定」で保存パスを確かめてください。"
                                                     "\r\nファイルは1つも削除していません。");
    save_ = saved;
    DeletionSeams seams;
    seams.driveType = NoSuchDrive;
    EXPECT_NE(Failure(LinkCheckForThisSystem(), seams).find("このソフトからは使えない"), std::string::npos);
}

// Windows keeps a 32-bit program's writes in VirtualStore only below its protected folders
// on the system drive; the copy's path follows where the save path really is, however it
// was typed (here through a link, as through SUBST or short names).
TEST_F(CacheFolders, VirtualStoreCopiesOnlyBelowTheProtectedFoldersWhereTheSavePathReallyIs) {
    localAppDataHere = AnsiToWide(root_.File("local"));
    programFilesHere = AnsiToWide(root_.File("Program Files"));
    const std::string installed = root_.File("Program Files\\JV");
    MakeFolders(installed);
    ASSERT_TRUE(MakeUnixSymlink(installed, root_.File("typed")));
    const struct {
        std::string savePath;
        std::string copiedFrom;  // the save path whose copy is emptied, or empty
    } cases[] = {
        {installed, installed},
        {root_.File("typed"), installed},
        {save_, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.savePath);
        const std::string copyOfInstalled = WideToAnsi(VirtualStoreFolder(localAppDataHere, AnsiToWide(installed)));
        const std::string copyOfSave = WideToAnsi(VirtualStoreFolder(localAppDataHere, AnsiToWide(save_)));
        for (const std::string& copy : {copyOfInstalled, copyOfSave}) {
            MakeFolders(copy + "\\Data");
            WriteTextFile(copy + "\\Data\\copied.dat", "cache kept by VirtualStore");
        }
        DeletionSeams seams;
        seams.localAppData = LocalAppDataHere;
        seams.virtualizedFolders = ProgramFilesHere;
        FolderFileList lister;
        CacheDeletionCounts counts;
        EXPECT_NO_THROW(counts = DeleteCacheFolders(lister, c.savePath, LinkCheckForThisSystem(), {}, seams));
        EXPECT_EQ(counts.virtualStore, std::vector<int>(c.copiedFrom.empty() ? 0 : 1, 1));
        EXPECT_EQ(Snapshot(copyOfInstalled + "\\Data").size(), c.copiedFrom.empty() ? 1u : 0u);
        EXPECT_EQ(Snapshot(copyOfSave + "\\Data").size(), 1u) << "the copy of a folder Windows does not virtualize";
    }
    RemoveUnixLink(root_.File("typed"));
}

// Files that stay are told by the folder they stayed in, as the report names it: the
// VirtualStore copy's own, never added into Data's or Cache's.
TEST_F(CacheFolders, TheReportNamesEachFolderWhereFilesStayed) {
    localAppDataHere = AnsiToWide(root_.File("local"));
    programFilesHere = AnsiToWide(root_.File("Program Files"));
    const std::string installed = root_.File("Program Files\\JV");
    const std::string copy = WideToAnsi(VirtualStoreFolder(localAppDataHere, AnsiToWide(installed)));
    for (const std::string& folder : {installed + "\\Data", installed + "\\Cache", copy + "\\Data"}) {
        MakeFolders(folder);
        WriteTextFile(folder + "\\goes.dat", "");
    }
    WriteTextFile(installed + "\\Data\\stays.dat", "", FILE_ATTRIBUTE_READONLY);
    for (const char* name : {"\\stays1.dat", "\\stays2.dat"})
        WriteTextFile(copy + "\\Data" + name, "", FILE_ATTRIBUTE_READONLY);
    DeletionSeams seams;
    seams.localAppData = LocalAppDataHere;
    seams.virtualizedFolders = ProgramFilesHere;
    ::CacheFolders folders(installed, LinkCheckForThisSystem(), seams);
    FolderFileList lister;
    const CacheDeletionCounts counts = EmptyCacheFolders(folders, lister, LinkCheckForThisSystem(), {}, seams);
    const std::string report = CacheDeletionReport(folders, counts);
    const std::string stayed = "\r\n\r\n削除できなかったファイル：\r\n" + installed + "\\Data内1個\r\n" + copy +
                               "\\Data内2個\r\n使用中のファイル";
    EXPECT_NE(report.find(stayed), std::string::npos) << report;
    EXPECT_EQ(counts.dataStayed, 3);
    for (const std::string& folder : {installed + "\\Data", copy + "\\Data"})
        for (const auto& file : Snapshot(folder))
            SetFileAttributesA((folder + "\\" + file.first).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(CacheFolders, AFolderHeldWithoutSharingIsNotOpenedAndNothingGoes) {
    Fill(data_, 2);
    Fill(cache_, 2);
    HANDLE held = CreateFileA(cache_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                              nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const std::string message = Failure(LinkCheckForThisSystem());
    CloseHandle(held);
    EXPECT_NE(message.find("「" + cache_ + "」をほかのソフトが使っているため（エラー32）"), std::string::npos) << message;
    EXPECT_NE(message.find("1つも削除していません"), std::string::npos) << message;
    EXPECT_EQ(Snapshot(data_).size(), 2u) << "Data is emptied only once both folders are open";
}

// A read of the folder that fails midway, as one on a network file system may: a server
// that answers one entry per read and then drops the connection, after entries have come.
// The run stops when the listing fails; when the read for the count fails, the files the run
// deleted are still counted by name and the rest as stayed.
bool readsFail = false;
int entriesRead = 0;
NTSTATUS NTAPI OneEntryThenFailing(HANDLE handle, HANDLE event, PIO_APC_ROUTINE routine, PVOID context,
                                   PIO_STATUS_BLOCK io, PVOID buffer, ULONG length, FILE_INFORMATION_CLASS kind,
                                   BOOLEAN, PUNICODE_STRING mask, BOOLEAN restart) {
    if (restart) entriesRead = 0;
    if (readsFail && entriesRead >= 4) return static_cast<NTSTATUS>(0xC0000022);  // STATUS_ACCESS_DENIED
    const NTSTATUS status =
        NtQueryDirectoryFile(handle, event, routine, context, io, buffer, length, kind, TRUE, mask, restart);
    if (status >= 0) ++entriesRead;
    return status;
}

TEST_F(CacheFolders, AFolderReadThatFailsEndsTheRunOrLeavesTheCountToTheNames) {
    Fill(data_, 3);
    WriteTextFile(data_ + "\\readonly.dat", "stays", FILE_ATTRIBUTE_READONLY);
    WriteTextFile(data_ + "\\hidden.dat", "never listed", FILE_ATTRIBUTE_HIDDEN);
    DeletionSeams seams;
    seams.directoryQuery = OneEntryThenFailing;
    seams.onStage = [](DeletionStage stage, int) { readsFail = stage == DeletionStage::Listing; };
    const std::string message = Failure(LinkCheckForThisSystem(), seams);
    EXPECT_NE(message.find("「" + data_ + "」の中を読み取れなかった"), std::string::npos) << message;
    EXPECT_NE(message.find("1つも削除していません"), std::string::npos) << message;
    EXPECT_EQ(Snapshot(data_).size(), 5u);

    seams.onStage = [](DeletionStage stage, int) { readsFail = stage == DeletionStage::Walking; };
    CacheDeletionCounts counts;
    EXPECT_NO_THROW(counts = Run(LinkCheckForThisSystem(), seams));
    readsFail = false;
    EXPECT_EQ(counts.data, 3);
    EXPECT_EQ(counts.dataStayed, 1) << "the read-only file";
    EXPECT_EQ(Snapshot(data_).size(), 2u);
    SetFileAttributesA((data_ + "\\readonly.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// An error that ends the run after a folder was emptied carries how many files already went,
// which an unattended run turns into its exit code.
TEST_F(CacheFolders, AnErrorAfterAFolderWasEmptiedCarriesWhatWent) {
    Fill(data_, 3);
    Fill(cache_, 2);
    DeletionSeams seams;
    seams.directoryQuery = OneEntryThenFailing;
    for (const int failing : {0, 1}) {
        SCOPED_TRACE(failing);
        static int failingFolder;
        failingFolder = failing;
        seams.onStage = [](DeletionStage stage, int folder) {
            readsFail = stage == DeletionStage::Listing && folder == failingFolder;
        };
        try {
            Run(LinkCheckForThisSystem(), seams);
            ADD_FAILURE() << "the run went on";
        } catch (const EDeletionStopped& stopped) {
            EXPECT_EQ(stopped.Deleted(), failing == 0 ? 0 : 3);
        }
        readsFail = false;
    }
    EXPECT_TRUE(Snapshot(data_).empty());
    EXPECT_EQ(Snapshot(cache_).size(), 2u);
}

// Where a 32-bit program's writes below Program Files are kept, and what is a volume's root.
TEST(HeldFolderPaths, VirtualStoreFoldersAndVolumeRootsFollowThePathRules) {
    const std::wstring local = L"C:\\Users\\u\\AppData\\Local";
    const std::wstring longFolder = L"C:\\" + std::wstring(250, L'L') + L"\\Data";
    const struct {
        std::wstring localAppData, folder, store;
    } stores[] = {
        {local, L"C:\\Program Files\\JV\\Data", local + L"\\VirtualStore\\Program Files\\JV\\Data"},
        {local + L"\\", L"d:\\JV\\\\Cache", local + L"\\VirtualStore\\JV\\\\Cache"},
        {local, L"C:\\\\Data", local + L"\\VirtualStore\\\\Data"},
        {local, L"C:\\", local + L"\\VirtualStore"},
        {local, longFolder, local + L"\\VirtualStore" + longFolder.substr(2)},
        {local, L"\\\\server\\share\\JV\\Data", L""},
        {local, L"C:Data", L""},
        {L"", L"C:\\JV\\Data", L""},
    };
    for (const auto& c : stores) EXPECT_EQ(VirtualStoreFolder(c.localAppData, c.folder), c.store) << WideToAnsi(c.folder);
    const struct {
        const wchar_t* path;
        bool root;
    } roots[] = {
        {L"\\Device\\HarddiskVolume3\\", true},  {L"\\Device\\HarddiskVolume3", true},
        {L"\\Device\\ImDisk0\\", true},          {L"\\Device\\HarddiskVolume3\\JV", false},
        {L"\\Device\\Mup\\nas\\share\\", true}, {L"\\Device\\Mup\\nas\\share\\JV", false},
        {L"C:\\", false},                         {L"\\Device\\", false},
    };
    for (const auto& c : roots) EXPECT_EQ(IsNtVolumeRoot(c.path), c.root) << WideToAnsi(c.path);
}

// Each delete disposition set, as the file system saw it: its class, its size and its flags.
struct DispositionCall {
    int kind;
    DWORD size;
    ULONG flags;
};
std::vector<DispositionCall> dispositions;
DWORD posixRefusal = 0;  // the error the POSIX disposition meets; 0: it is accepted
BOOL WINAPI RecordedDisposition(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID buffer, DWORD size) {
    // FILE_DISPOSITION_INFO_EX holds a ULONG of flags; FILE_DISPOSITION_INFO one BOOLEAN.
    const ULONG flags = size >= sizeof(ULONG) ? *static_cast<ULONG*>(buffer) : *static_cast<BYTE*>(buffer);
    dispositions.push_back({static_cast<int>(kind), size, flags});
    if (kind == FileDispositionInfo) return SetFileInformationByHandle(file, kind, buffer, size);
    if (posixRefusal) {
        SetLastError(posixRefusal);
        return FALSE;
    }
    // Wine knows no POSIX disposition: the classic one deletes on its behalf.
    FILE_DISPOSITION_INFO classic{TRUE};
    return SetFileInformationByHandle(file, FileDispositionInfo, &classic, sizeof classic);
}

// The POSIX disposition (class 21, delete and POSIX semantics) frees a name at once. Where
// the system or the file system refuses it as unknown, the classic one (class 4) is used,
// for the rest of the folder; any other refusal leaves the file where it is.
TEST_F(CacheFolders, DeletionAsksForPosixSemanticsAndFallsBackWhereTheyAreUnknown) {
    const DispositionCall posix{21, 4, 0x3}, classic{4, sizeof(FILE_DISPOSITION_INFO), TRUE};
    const struct {
        DWORD refusal;
        std::vector<DispositionCall> calls;
        int gone;
    } cases[] = {
        {0, {posix, posix, posix}, 3},
        {ERROR_INVALID_PARAMETER, {posix, classic, classic, classic}, 3},
        {ERROR_NOT_SUPPORTED, {posix, classic, classic, classic}, 3},
        {ERROR_INVALID_FUNCTION, {posix, classic, classic, classic}, 3},
        {ERROR_ACCESS_DENIED, {posix, posix, posix}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.refusal);
        Fill(data_, 3);
        dispositions.clear();
        posixRefusal = c.refusal;
        DeletionSeams seams;
        seams.setInformation = RecordedDisposition;
        EXPECT_EQ(Run(LinkCheckForThisSystem(), seams).data, c.gone);
        ASSERT_EQ(dispositions.size(), c.calls.size());
        for (std::size_t i = 0; i < c.calls.size(); ++i) {
            EXPECT_EQ(dispositions[i].kind, c.calls[i].kind) << i;
            EXPECT_EQ(dispositions[i].size, c.calls[i].size) << i;
            EXPECT_EQ(dispositions[i].flags, c.calls[i].flags) << i;
        }
    }
}

// Some file systems list no "." and "..": an empty folder's first read answers "no such
// file". Some refuse the information class in use, on every read, and answer the plainest
// one (FileDirectoryInformation, 1).
NTSTATUS readAnswer = 0;
NTSTATUS NTAPI FirstReadAnswered(HANDLE handle, HANDLE event, PIO_APC_ROUTINE routine, PVOID context,
                                 PIO_STATUS_BLOCK io, PVOID buffer, ULONG length, FILE_INFORMATION_CLASS kind,
                                 BOOLEAN single, PUNICODE_STRING mask, BOOLEAN restart) {
    if (readAnswer == static_cast<NTSTATUS>(0xC000000F) ? restart : kind != 1) return readAnswer;
    return NtQueryDirectoryFile(handle, event, routine, context, io, buffer, length, kind, single, mask, restart);
}

TEST_F(CacheFolders, AnEmptyFolderWithoutDotsAndAnUnknownInformationClassAreRead) {
    const struct {
        NTSTATUS answer;
        int files;
    } cases[] = {
        {static_cast<NTSTATUS>(0xC000000F), 0},  // STATUS_NO_SUCH_FILE, on an empty folder
        {static_cast<NTSTATUS>(0xC0000003), 3},  // STATUS_INVALID_INFO_CLASS
        {static_cast<NTSTATUS>(0xC00000BB), 3},  // STATUS_NOT_SUPPORTED
        {static_cast<NTSTATUS>(0xC0000010), 3},  // STATUS_INVALID_DEVICE_REQUEST
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        Fill(data_, c.files);
        readAnswer = c.answer;
        DeletionSeams seams;
        seams.directoryQuery = FirstReadAnswered;
        CacheDeletionCounts counts;
        EXPECT_NO_THROW(counts = Run(LinkCheckForThisSystem(), seams));
        EXPECT_EQ(counts.data, c.files);
        EXPECT_EQ(counts.dataStayed, 0);
        EXPECT_TRUE(Snapshot(data_).empty());
    }
}

}  // namespace
