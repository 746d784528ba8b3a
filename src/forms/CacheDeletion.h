#pragma once
// The delete button's command, step by step, and its texts: checking JV-Link's save path,
// the question that names the held folders, emptying them, and the report. Which folders may
// be emptied is CacheFolders' part; emptying one of them is FolderEmptying's.
#include <windows.h>
#include <string>
#include <vector>
#include "base/Application.h"
#include "base/Exception.h"
#include "components/FolderFileList.h"
#include "forms/CacheFolders.h"
#include "forms/DeletionSeams.h"
#include "forms/FolderEmptying.h"

// Converts the control's save path to the ANSI code page; false when a character has no
// exact equivalent there (a best-fit mapping could turn "¥" into a separator).
bool SavePathToAnsi(const std::wstring& wide, std::string& ansi);

// Starts with a drive letter, ":" and "\" (C:\JV, also C:\), or is a UNC path
// \\server\share...: never relative to the current drive or directory.
bool IsAbsoluteSavePath(const std::string& path);

// Why a save path cannot be used, as the text to show; empty when it can.
std::string SavePathRefusal(const std::wstring& wide, std::string& ansi);

// Wine follows a symbolic link when deleting; Windows does not.
LinkCheck LinkCheckForThisSystem();

// What one run did: the files gone from Data, from Cache and from each VirtualStore copy
// (in the order the question names them), and the plain files (neither hidden, nor system,
// nor a folder) still there afterwards: in each folder (in the same order), and in all,
// a copy's counted with Data's or Cache's.
struct CacheDeletionCounts {
    int data = 0;
    int cache = 0;
    int dataStayed = 0;
    int cacheStayed = 0;
    std::vector<int> virtualStore;
    std::vector<int> stayed;
};

// The question asked before anything is deleted: Data and Cache (each followed by where a
// link at it leads, when elsewhere), then the VirtualStore copies that go too, then the
// other programs that have JV-Link loaded (their file names), when there are any.
std::string CacheDeletionQuestion(const CacheFolders& folders, const std::vector<std::wstring>& jvlinkUsers = {});

// An error that ended a run: its text says what was already deleted, Deleted how many.
class EDeletionStopped : public Exception {
public:
    EDeletionStopped(const std::string& message, int deleted) : Exception(message), deleted_(deleted) {}
    int Deleted() const { return deleted_; }

private:
    int deleted_;
};

// The delete button's work once the user has answered Yes: each held folder in turn is
// listed with the lister through its handle and emptied. An error that ends the run (an
// EDeletionStopped) says how many files already went in each folder emptied before it. The
// current directory is not changed.
CacheDeletionCounts EmptyCacheFolders(CacheFolders& folders, FolderFileList& lister, LinkCheck check,
                                      const DeletionProgress& progress = {}, const DeletionSeams& seams = {});

// Opens and checks the folders, then empties them without asking anything.
CacheDeletionCounts DeleteCacheFolders(FolderFileList& lister, const std::string& savePath, LinkCheck check,
                                       const DeletionProgress& progress = {}, const DeletionSeams& seams = {});

// The report shown after a run: each folder with its count; when files stayed, each folder
// where some did with how many, and why they may have; then the folders that were not
// there, and where to check the save path when none was.
std::string CacheDeletionReport(const CacheFolders& folders, const CacheDeletionCounts& counts);
