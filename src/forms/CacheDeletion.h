#pragma once
// The cache deletion's steps that need no window: checking JV-Link's save path, emptying
// Data and Cache, and the report.
#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "base/Application.h"
#include "base/OpenedFolder.h"
#include "components/FolderFileList.h"

// Converts the control's save path to the ANSI code page; false when a character has no
// exact equivalent there (a best-fit mapping could turn "¥" into a separator).
bool SavePathToAnsi(const std::wstring& wide, std::string& ansi);

// Starts with a drive letter, ":" and "\" (C:\JV, also C:\), or is a UNC path
// \\server\share...: never relative to the current drive or directory.
bool IsAbsoluteSavePath(const std::string& path);

// Why a save path cannot be used, as the text to show; empty when it can.
std::string SavePathRefusal(const std::wstring& wide, std::string& ansi);

// How each listed entry is checked before it is deleted through its own handle. Both ask
// the opened entry (never followed through a reparse point) for its attributes and skip
// hidden, system and directory entries.
enum class LinkCheck {
    None,             // as on Windows, where the handle is the link itself, never its target
    FinalPathInside,  // also confirm that the opened entry really is <folder>\<name>: Wine
                      // follows a Unix symbolic link when opening, and would delete its target
};

// Wine follows a symbolic link when deleting; Windows does not.
LinkCheck LinkCheckForThisSystem();

// A full path and each folder above it up to its root ("C:\" or "\\server\share\"), each
// without a trailing separator but the root's; a path of neither form gives itself alone.
std::vector<std::wstring> FolderAndAncestors(const std::wstring& path);

// Told of the run once per entry listed, deleted and read again: the folder's number (0
// for Data, 1 for Cache), the entries handled and the entries listed (both 0 while a
// folder is being read). It must be cheap.
using DeletionProgress = std::function<void(int folder, int done, int total)>;

// What one run did in each folder: the files gone, and the plain files (neither hidden, nor
// system, nor a folder) still there afterwards.
struct CacheDeletionCounts {
    int data = 0;
    int cache = 0;
    int dataStayed = 0;
    int cacheStayed = 0;
};

// Points of a run where tests step in to play another program (a folder swapped for a
// link, a read that fails).
enum class DeletionStage { FoldersChecked, Listing, Walking };

// What only Windows can show, made reachable from tests; the defaults are the system's.
struct DeletionSeams {
    // Asked for entries' attributes and folders' identities: FAT32 and exFAT refuse
    // FileAttributeTagInfo, and some file systems FileIdInfo.
    FileInformationFunction fileInformation = GetFileInformationByHandleEx;
    // A folder's final path; null for the system's. Over SMB it is only the client's view,
    // blind to a junction or link that the server follows.
    std::wstring (*finalPath)(HANDLE folder) = nullptr;
    // Reads Data's and Cache's entries; null for the system's. A network file system may
    // fail a read midway.
    DirectoryQueryFunction directoryQuery = nullptr;
    // Called at each stage, with the folder's number (0 for Data, 1 for Cache).
    std::function<void(DeletionStage stage, int folder)> onStage;
};

// The delete button's work once the user has answered Yes. Data and Cache (where they
// exist) are opened at once, links and junctions at them followed, and both are checked
// before anything is deleted: neither may be a drive root, the save path or a folder above
// it, by identity and by path. Then each is listed with the lister through its handle and
// its listed files are deleted from last to first, each opened inside that folder and
// checked on its own handle; the folder is read again through the same handle to count what
// is gone and what stayed. A failed check raises an error and nothing is deleted; an error
// after Data was emptied says how many files went there. The current directory is not
// changed.
CacheDeletionCounts DeleteCacheFolders(FolderFileList& lister, const std::string& savePath, LinkCheck check,
                                       const DeletionProgress& progress = {}, const DeletionSeams& seams = {});

// The report shown after a run: both folders with their counts and, when files stayed,
// how many stayed in each and why they may have.
std::string CacheDeletionReport(const std::string& dataFolder, const std::string& cacheFolder,
                                const CacheDeletionCounts& counts);
