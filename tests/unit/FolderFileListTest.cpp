#include <gtest/gtest.h>

#include <windows.h>
#include <algorithm>
#include <vector>
#include "TestFiles.h"
#include "base/AnsiPath.h"
#include "base/Exception.h"
#include "components/FileNames.h"
#include "components/FolderFileList.h"
#include "forms/CacheDeletion.h"

namespace {

const std::string kHyou = "\x95\x5C";  // 表: its trail byte is 0x5C
const std::string kSo = "\x83\x5C";    // ソ
const std::string kNou = "\x94\x5C";   // 能

// Each test works in its own temporary folder and gets the current directory back.
class FolderFileListTest : public ::testing::Test {
protected:
    void SetUp() override { started_ = CurrentDirectory(); }
    void TearDown() override { SetCurrentDirectoryA(started_.c_str()); }

    std::string Folder(const std::string& name) {
        std::string path = temp_.File(name);
        MakeFolder(path);
        return path;
    }
    static std::vector<std::string> NamesOf(FolderFileList& lister) {
        std::vector<std::string> names;
        for (int i = 0; i < lister.Count(); ++i) names.push_back(lister.Name(i));
        return names;
    }
    // Lists and deletes as the delete button does; folder is <save path>\Data or \Cache.
    static int DeleteIn(FolderFileList& lister, const std::string& folder) {
        const bool cache = folder.size() > 6 && folder.compare(folder.size() - 6, 6, "\\Cache") == 0;
        const std::string save = folder.substr(0, folder.size() - (cache ? 6 : 5));
        CacheDeletionCounts counts = DeleteCacheFolders(lister, save, LinkCheckForThisSystem());
        return cache ? counts.cache : counts.data;
    }

    TempFolder temp_;
    std::string started_;
};

struct Entry {
    std::string name;
    DWORD attributes;  // FILE_ATTRIBUTE_DIRECTORY: a sub-folder
    bool listed;
    bool deleted;
};

TEST_F(FolderFileListTest, ListsAndDeletesPlainFilesOnly) {
    const Entry entries[] = {
        {"plain.dat", 0, true, true},
        {"archive.dat", FILE_ATTRIBUTE_ARCHIVE, true, true},
        {"readonly.dat", FILE_ATTRIBUTE_READONLY, true, false},
        {"hidden.dat", FILE_ATTRIBUTE_HIDDEN, false, false},
        {"system.dat", FILE_ATTRIBUTE_SYSTEM, false, false},
        {"hiddenreadonly.dat", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY, false, false},
        {"sub", FILE_ATTRIBUTE_DIRECTORY, false, false},
        {kHyou + ".dat", 0, true, true},
        {kSo + kNou, 0, true, true},
        {"dir" + kHyou, FILE_ATTRIBUTE_DIRECTORY, false, false},
    };
    std::string data = Folder("Data");
    for (const auto& entry : entries) {
        std::string path = data + "\\" + entry.name;
        if (entry.attributes == FILE_ATTRIBUTE_DIRECTORY) {
            MakeFolder(path);
            WriteTextFile(path + "\\inside.dat", "kept");
        } else {
            WriteTextFile(path, entry.name, entry.attributes);
        }
    }
    FolderFileList lister;
    lister.ApplyPath(data);
    EXPECT_EQ(lister.Folder(), data);
    EXPECT_EQ(CurrentDirectory(), data);
    std::vector<std::string> listed = NamesOf(lister);
    for (const auto& entry : entries) {
        bool isListed = std::find(listed.begin(), listed.end(), entry.name) != listed.end();
        EXPECT_EQ(isListed, entry.listed) << entry.name;
    }

    int expectedDeleted = 0;
    for (const auto& entry : entries) expectedDeleted += entry.deleted;
    EXPECT_EQ(DeleteIn(lister, data), expectedDeleted);
    for (const auto& entry : entries)
        EXPECT_EQ(Exists(data + "\\" + entry.name), !entry.deleted) << entry.name;
    EXPECT_TRUE(Exists(data + "\\sub\\inside.dat"));
    EXPECT_TRUE(Exists(data + "\\dir" + kHyou + "\\inside.dat"));
}

TEST_F(FolderFileListTest, SortsWithoutRegardToCaseAsTheLocaleDoes) {
    std::string data = Folder("Data");
    const std::vector<std::string> names = {"b.txt", "A.txt", "c.txt", "B2.txt", "_x", "a1.TXT",
                                            kHyou + ".txt", "\x83\x41.txt" /* ア */, "10.txt", "9.txt"};
    for (const auto& name : names) WriteTextFile(data + "\\" + name, "");
    FolderFileList lister;
    lister.ApplyPath(data);
    std::vector<std::string> expected = names;
    std::stable_sort(expected.begin(), expected.end(), [](const std::string& a, const std::string& b) {
        return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_LESS_THAN;
    });
    EXPECT_EQ(NamesOf(lister), expected);
    EXPECT_EQ(NamesOf(lister)[0], "_x");
}

TEST_F(FolderFileListTest, LeavesFilesInUseAndLinkTargetsAlone) {
    std::string data = Folder("Data");
    std::string outside = Folder("outside");
    WriteTextFile(data + "\\locked.dat", "in use");
    WriteTextFile(data + "\\free.dat", "free");
    WriteTextFile(outside + "\\target.dat", "must survive");
    WriteTextFile(data + "\\sibling.dat", "a link's target inside the folder");
    ASSERT_TRUE(MakeUnixSymlink(outside + "\\target.dat", data + "\\link.dat"));
    ASSERT_TRUE(MakeUnixSymlink(data + "\\sibling.dat", data + "\\link2.dat"));
    HANDLE lock = CreateFileA((data + "\\locked.dat").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);

    FolderFileList lister;
    int deleted = DeleteIn(lister, data);
    CloseHandle(lock);

    EXPECT_TRUE(Exists(data + "\\locked.dat"));
    EXPECT_FALSE(Exists(data + "\\free.dat"));
    EXPECT_FALSE(Exists(data + "\\sibling.dat"));
    EXPECT_EQ(deleted, 2) << "links are never counted as deleted files";
    EXPECT_EQ(Snapshot(outside).at("target.dat"), "must survive");
    RemoveUnixLink(data + "\\link.dat");
    RemoveUnixLink(data + "\\link2.dat");
}

TEST_F(FolderFileListTest, NeverDeletesThroughANameThatLeavesTheFolder) {
    // "¥" comes back from the ANSI functions as a backslash: a¥..¥..¥x read in Data
    // is the save path's own x. Both ways of deleting must refuse it.
    for (LinkCheck check : {LinkCheck::None, LinkCheck::FinalPathInside}) {
        SCOPED_TRACE(static_cast<int>(check));
        std::string save = temp_.File("save");
        RemoveTree(save);
        MakeFolder(save);
        std::string data = save + "\\Data";
        MakeFolder(data);
        WriteTextFile(save + "\\x", "sentinel in the save path");
        WriteTextFileW(AnsiToWide(data) + L"\\a\u00A5..\u00A5..\u00A5x", "odd name");
        WriteTextFile(data + "\\normal.dat", "");

        FolderFileList lister;
        lister.ApplyPath(data);
        std::vector<std::string> listed = NamesOf(lister);
        ASSERT_NE(std::find(listed.begin(), listed.end(), "a\\..\\..\\x"), listed.end())
            << "the name reads back with backslashes";
        EXPECT_EQ(DeleteCacheFolders(lister, save, check).data, 1);
        EXPECT_TRUE(Exists(save + "\\x"));
        EXPECT_EQ(Snapshot(data).size(), 1u) << "the odd file itself stays";
        SetCurrentDirectoryA(temp_.Path().c_str());
    }
}

TEST_F(FolderFileListTest, FolderPathsEndingInASeparatorStillList) {
    std::string save = Folder("save");
    MakeFolder(save + "\\Data");
    WriteTextFile(save + "\\Data\\one.dat", "");
    FolderFileList lister;
    std::string doubled = save + "\\" + "\\Data";  // a save path ending in "\" joined with "\Data"
    const std::string before = CurrentDirectory();
    EXPECT_EQ(DeleteIn(lister, doubled), 1);
    EXPECT_EQ(lister.Folder(), save + "\\Data");
    EXPECT_EQ(CurrentDirectory(), before) << "the deletion never enters the folder";

    FolderFileList second;
    WriteTextFile(save + "\\Data\\two.dat", "");
    second.ApplyPath(save + "\\Data\\");
    EXPECT_EQ(NamesOf(second), std::vector<std::string>{"two.dat"});
}

TEST_F(FolderFileListTest, SecondRunInTheSameFolderReadsItAfresh) {
    std::string cache = Folder("Cache");
    WriteTextFile(cache + "\\first.dat", "");
    FolderFileList lister;
    EXPECT_EQ(DeleteIn(lister, cache), 1);
    WriteTextFile(cache + "\\second.dat", "");
    WriteTextFile(cache + "\\third.dat", "");
    EXPECT_EQ(DeleteIn(lister, cache), 2);
    EXPECT_TRUE(Snapshot(cache).empty());
}

TEST_F(FolderFileListTest, ApplyingTheSameFolderRereadsNothingByItself) {
    std::string data = Folder("Data");
    WriteTextFile(data + "\\old.dat", "");
    FolderFileList lister;
    lister.ApplyPath(data);
    WriteTextFile(data + "\\new.dat", "");
    SetCurrentDirectoryA(temp_.Path().c_str());
    lister.ApplyPath(data);
    EXPECT_EQ(NamesOf(lister), std::vector<std::string>{"old.dat"});
    EXPECT_EQ(CurrentDirectory(), temp_.Path()) << "left where it was at the call";
    lister.ReadNames();
    EXPECT_EQ(NamesOf(lister), (std::vector<std::string>{"new.dat", "old.dat"}));
    EXPECT_EQ(CurrentDirectory(), data);
}

TEST_F(FolderFileListTest, AMissingLastComponentFailsAndChangesNothing) {
    std::string data = Folder("Data");
    WriteTextFile(data + "\\kept.dat", "");
    FolderFileList lister;
    lister.ApplyPath(data);
    SetCurrentDirectoryA(temp_.Path().c_str());
    try {
        lister.ApplyPath(temp_.File("NoSuchFolder"));
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.ErrorCode(), 2u);
        EXPECT_STREQ(error.what(), "File not found");
    }
    EXPECT_EQ(CurrentDirectory(), temp_.Path());
    EXPECT_EQ(lister.Folder(), data);
    EXPECT_EQ(NamesOf(lister), std::vector<std::string>{"kept.dat"});
    EXPECT_FALSE(FolderFileList::FolderExists(temp_.File("NoSuchFolder")));
}

TEST_F(FolderFileListTest, AStartingFolderRemovedBeforeFirstUseFails) {
    std::string start = Folder("start");
    std::string data = Folder("Data");
    WriteTextFile(data + "\\kept.dat", "");
    SetCurrentDirectoryA(start.c_str());
    FolderFileList lister, deleting;
    SetCurrentDirectoryA(temp_.Path().c_str());
    RemoveDirectoryA(start.c_str());
    EXPECT_THROW(lister.ApplyPath(data), EInOutError);
    EXPECT_TRUE(Exists(data + "\\kept.dat"));
    // The delete button reads its folders through their own handles: where the program
    // started no longer matters.
    EXPECT_EQ(DeleteIn(deleting, data), 1);
}

TEST_F(FolderFileListTest, MasksOfTwoPatternsListBothAndRepeatShared) {
    std::string data = Folder("Data");
    for (const char* name : {"a.txt", "b.txt", "a.log", "c.log"}) WriteTextFile(data + "\\" + name, "");
    FolderFileList lister;
    lister.ApplyPath(data);
    lister.SetMask("*.txt;a*;");
    EXPECT_EQ(NamesOf(lister), (std::vector<std::string>{"a.log", "a.txt", "a.txt", "b.txt"}));
    // A path ending in a pattern sets the mask, which stays for later reads.
    FolderFileList other;
    other.ApplyPath(data + "\\*.log");
    EXPECT_EQ(other.Mask(), "*.log");
    EXPECT_EQ(NamesOf(other), (std::vector<std::string>{"a.log", "c.log"}));
}

TEST_F(FolderFileListTest, AFilePathSelectsItsEntry) {
    std::string data = Folder("Data" + kHyou);
    for (const char* name : {"a.txt", "b.txt"}) WriteTextFile(data + "\\" + name, "");
    WriteTextFile(data + "\\h.txt", "", FILE_ATTRIBUTE_HIDDEN);
    FolderFileList lister;
    lister.ApplyPath(data + "\\B.TXT");
    EXPECT_EQ(lister.Folder(), data) << "a 0x5C trail byte is no separator";
    EXPECT_EQ(lister.SelectedName(), "b.txt");
    EXPECT_EQ(lister.SelectedPath(), data + "\\b.txt");
    // A hidden file is not listed: the mask becomes its name and it is listed alone.
    lister.ApplyPath(data + "\\h.txt");
    EXPECT_EQ(lister.Mask(), "h.txt");
    EXPECT_EQ(lister.SelectedName(), "");
    EXPECT_EQ(lister.Count(), 0);
}

TEST_F(FolderFileListTest, JoinsAndTestsPaths) {
    EXPECT_EQ(FolderFileList::JoinPath("C:\\", "a"), "C:\\a");
    EXPECT_EQ(FolderFileList::JoinPath("C:\\JV", "a"), "C:\\JV\\a");
    EXPECT_EQ(FolderFileList::JoinPath("C:\\" + kHyou, "a"), "C:\\" + kHyou + "\\a");
    std::string data = Folder("Data");
    WriteTextFile(data + "\\f.dat", "");
    EXPECT_TRUE(FolderFileList::FolderExists(data));
    EXPECT_FALSE(FolderFileList::FolderExists(data + "\\f.dat"));
    EXPECT_TRUE(FolderFileList::PlainFileExists(data + "\\f.dat"));
    EXPECT_FALSE(FolderFileList::PlainFileExists(data));
    EXPECT_FALSE(FolderFileList::PlainFileExists(data + "\\none.dat"));
}

}  // namespace
