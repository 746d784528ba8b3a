#include <gtest/gtest.h>

#include <windows.h>
#include <cstring>
#include <map>
#include <vector>
#include "TestFiles.h"
#include "base/AnsiPath.h"
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

// FAT32 and exFAT refuse FileAttributeTagInfo (and FileIdInfo): the files must still go.
BOOL WINAPI LikeFat(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID buffer, DWORD size) {
    if (kind == FileAttributeTagInfo || kind == kFileIdInfoClass) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return GetFileInformationByHandleEx(handle, kind, buffer, size);
}
BOOL WINAPI Refusing(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID buffer, DWORD size) {
    if (kind == FileAttributeTagInfo) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return GetFileInformationByHandleEx(handle, kind, buffer, size);
}

TEST_F(CacheFolders, AttributesAreAskedAnotherWayWhereTheFileSystemRefusesTheFirst) {
    Fill(data_, 3);
    WriteTextFile(data_ + "\\hidden.dat", "h", FILE_ATTRIBUTE_HIDDEN);
    DeletionSeams fat;
    fat.fileInformation = LikeFat;
    CacheDeletionCounts counts = Run(LinkCheck::None, fat);
    EXPECT_EQ(counts.data, 3);
    EXPECT_EQ(counts.dataStayed, 0);
    EXPECT_EQ(Snapshot(data_).size(), 1u) << "the hidden file stays";

    // Any other refusal leaves the entry alone, and says so.
    Fill(data_, 2);
    DeletionSeams refusing;
    refusing.fileInformation = Refusing;
    counts = Run(LinkCheck::None, refusing);
    EXPECT_EQ(counts.data, 0);
    EXPECT_EQ(counts.dataStayed, 2);
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
    for (FileInformationFunction information : {FileInformationFunction(GetFileInformationByHandleEx),
                                                FileInformationFunction(LikeFat)}) {
        DeletionSeams smb;
        smb.finalPath = ClientView;
        smb.fileInformation = information;
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
        // What the run counted is what left the folder it checked. (Windows deletes there;
        // Wine removes an entry by its path when the handle closes, so there nothing goes.)
        const int left = static_cast<int>(Snapshot(moved).size());
        EXPECT_EQ(counts.data, 3 - left);
        EXPECT_EQ(counts.dataStayed, left);
        RemoveTree(moved);
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
    } cases[] = {
        {L"\\save", L"", L"", save_, "確認できなかった"},
        {L"\\Data", L"", L"", data_, "確認できなかった"},
        {L"\\Data", L"D:\\", nullptr, data_, "（D:\\）"},
        {L"\\Data", nullptr, L"\\Device\\HarddiskVolume9\\", data_, "ドライブのルート"},
        {L"\\Data", L"", nullptr, "", ""},
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
        EXPECT_NE(message.find("1つも削除していません"), std::string::npos) << message;
        EXPECT_EQ(Snapshot(data_).size(), 2u);
    }
}

TEST_F(CacheFolders, AFolderHeldWithoutSharingIsNotOpenedAndNothingGoes) {
    Fill(data_, 2);
    Fill(cache_, 2);
    HANDLE held = CreateFileA(cache_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                              nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const std::string message = Failure(LinkCheckForThisSystem());
    CloseHandle(held);
    EXPECT_NE(message.find("「" + cache_ + "」を開けなかったため（エラー32）"), std::string::npos) << message;
    EXPECT_NE(message.find("1つも削除していません"), std::string::npos) << message;
    EXPECT_EQ(Snapshot(data_).size(), 2u) << "Data is emptied only once both folders are open";
}

// A read of the folder that fails, as one on a network file system may midway: the run
// stops when the listing fails; when the read for the count fails, the files the run
// deleted are still counted by name and the rest as stayed.
bool readsFail = false;
NTSTATUS NTAPI FailingWhenTold(HANDLE handle, HANDLE event, PIO_APC_ROUTINE routine, PVOID context,
                               PIO_STATUS_BLOCK io, PVOID buffer, ULONG length, FILE_INFORMATION_CLASS kind,
                               BOOLEAN single, PUNICODE_STRING mask, BOOLEAN restart) {
    if (readsFail) return static_cast<NTSTATUS>(0xC0000022);  // STATUS_ACCESS_DENIED
    return NtQueryDirectoryFile(handle, event, routine, context, io, buffer, length, kind, single, mask, restart);
}

TEST_F(CacheFolders, AFolderReadThatFailsEndsTheRunOrLeavesTheCountToTheNames) {
    Fill(data_, 3);
    WriteTextFile(data_ + "\\readonly.dat", "stays", FILE_ATTRIBUTE_READONLY);
    WriteTextFile(data_ + "\\hidden.dat", "never listed", FILE_ATTRIBUTE_HIDDEN);
    DeletionSeams seams;
    seams.directoryQuery = FailingWhenTold;
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

// A file system without 64-bit file ids reports 0 for every file: such ids tell nothing,
// and must not make Data look like the save path.
BOOL WINAPI NoFileIds(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID buffer, DWORD size) {
    if (kind != kFileIdInfoClass) return GetFileInformationByHandleEx(handle, kind, buffer, size);
    std::memset(buffer, 0, size);
    static_cast<ULONGLONG*>(buffer)[0] = 0x1234;  // the volume's serial number
    return TRUE;
}
BOOL WINAPI NoFileIndexes(HANDLE handle, LPBY_HANDLE_FILE_INFORMATION information) {
    if (!GetFileInformationByHandle(handle, information)) return FALSE;
    information->nFileIndexHigh = information->nFileIndexLow = 0;
    return TRUE;
}

TEST_F(CacheFolders, FileIdsOfZeroAreUnknownNotTheSame) {
    Fill(data_, 2);
    DeletionSeams seams;
    seams.fileInformation = NoFileIds;
    seams.classicInformation = NoFileIndexes;
    EXPECT_EQ(Failure(LinkCheckForThisSystem(), seams), "");
    EXPECT_TRUE(Snapshot(data_).empty());
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
// file". Some refuse the information class in use, and answer the plainest one.
NTSTATUS readAnswer = 0;
NTSTATUS NTAPI FirstReadAnswered(HANDLE handle, HANDLE event, PIO_APC_ROUTINE routine, PVOID context,
                                 PIO_STATUS_BLOCK io, PVOID buffer, ULONG length, FILE_INFORMATION_CLASS kind,
                                 BOOLEAN single, PUNICODE_STRING mask, BOOLEAN restart) {
    if (restart && (readAnswer == static_cast<NTSTATUS>(0xC000000F) || kind != 1)) return readAnswer;
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

// On a share the server finds each entry by its path: before each entry the folder's path
// must still lead to the held folder. Here the path leads elsewhere after the second file,
// and nothing more goes.
bool pathMoved = false;
BOOL WINAPI MovedAfterwards(HANDLE handle, LPBY_HANDLE_FILE_INFORMATION information) {
    if (!GetFileInformationByHandle(handle, information)) return FALSE;
    if (pathMoved) information->nFileIndexLow ^= 0x5A5A;
    return TRUE;
}
BOOL WINAPI NoIdInfo(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID buffer, DWORD size) {
    if (kind == kFileIdInfoClass) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return GetFileInformationByHandleEx(handle, kind, buffer, size);
}

TEST_F(CacheFolders, OnTheNetworkTheFolderIsConfirmedBeforeEachEntry) {
    Fill(data_, 5);
    pathMoved = false;
    DeletionSeams seams;
    seams.isNetworkPath = [](const std::wstring&) { return true; };
    seams.fileInformation = NoIdInfo;
    seams.classicInformation = MovedAfterwards;
    FolderFileList lister;
    const CacheDeletionCounts counts = DeleteCacheFolders(
        lister, save_, LinkCheckForThisSystem(),
        [](int, int, int done, int) { pathMoved = pathMoved || done == 2; }, seams);
    pathMoved = false;
    EXPECT_EQ(counts.data, 2);
    EXPECT_EQ(counts.dataStayed, 3);
    EXPECT_EQ(Snapshot(data_).size(), 3u);
}

}  // namespace
