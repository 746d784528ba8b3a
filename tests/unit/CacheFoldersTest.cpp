#include <gtest/gtest.h>

#include <windows.h>
#include <map>
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
std::wstring ClientView(HANDLE) {
    static int views = 0;
    return L"\\\\client\\view\\" + std::to_wstring(++views);
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
    EXPECT_EQ(message, "行を挿入できません" + data_ + "内のキャッシュデータ4個は、すでに削除しました。");
    EXPECT_TRUE(Snapshot(data_).empty());
    EXPECT_EQ(Snapshot(cache_).size(), 2u);
}

// Where a folder cannot be resolved, or turns out to be a drive root that is not above the
// save path (a junction to D:\ at Data): the run stops before anything is deleted, and the
// message names the folder. The folder whose final path ends in finalPathTail is answered
// finalPathAnswer; the others as the system resolves them.
const wchar_t* finalPathTail = L"";
const wchar_t* finalPathAnswer = L"";
std::wstring FinalPathAnswered(HANDLE folder) {
    wchar_t path[MAX_PATH * 2];
    const DWORD length = GetFinalPathNameByHandleW(folder, path, MAX_PATH * 2, FILE_NAME_NORMALIZED);
    const std::wstring final(path, length < MAX_PATH * 2 ? length : 0);
    const std::wstring tail = finalPathTail;
    if (final.size() >= tail.size() && final.compare(final.size() - tail.size(), tail.size(), tail) == 0)
        return finalPathAnswer;
    return final.compare(0, 4, L"\\\\?\\") == 0 ? final.substr(4) : final;
}

TEST_F(CacheFolders, AFolderThatCannotBeResolvedOrIsADriveRootStopsTheRunFirst) {
    Fill(data_, 2);
    const struct {
        const wchar_t* tail;
        const wchar_t* answer;
        std::string folder;
        std::string saying;
    } cases[] = {
        {L"\\save", L"", save_, "確認できなかった"},
        {L"\\Data", L"", data_, "確認できなかった"},
        {L"\\Data", L"D:\\", data_, "（D:\\）"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.saying + " " + c.folder);
        finalPathTail = c.tail;
        finalPathAnswer = c.answer;
        DeletionSeams seams;
        seams.finalPath = FinalPathAnswered;
        const std::string message = Failure(LinkCheckForThisSystem(), seams);
        EXPECT_NE(message.find("「" + c.folder + "」"), std::string::npos) << message;
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
    EXPECT_NE(message.find("「" + cache_ + "」を開けなかったため（エラー 32）"), std::string::npos) << message;
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

}  // namespace
