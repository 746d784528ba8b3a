#pragma once
// The cache deletion's steps that need no window: checking JV-Link's save path, and
// deleting the listed files of one folder.
#include <functional>
#include <string>
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
bool RunningUnderWine();
LinkCheck LinkCheckForThisSystem();

// Lists folder with the lister (re-reading it when it already was the lister's folder),
// confirms that the lister entered exactly that folder and that it is neither a drive root
// nor savePath nor above it (raising an error otherwise), and deletes its listed files from
// last to first. Returns how many are gone afterwards; an entry that cannot be deleted is
// skipped. Errors of the lister and of the folder checks end the run.
// Told of the walk once per entry (and once before it): the folder's number (0 for Data, 1
// for Cache), the entries handled and the entries listed. It must be cheap.
using DeletionProgress = std::function<void(int folder, int done, int total)>;

int DeleteListedFiles(FolderFileList& lister, const std::string& savePath, const std::string& folder,
                      LinkCheck check, const DeletionProgress& progress = {}, int folderNumber = 0);

// What one run deleted in each folder.
struct CacheDeletionCounts {
    int data = 0;
    int cache = 0;
};

// The delete button's work once the user has answered Yes: <savePath>\Data, then
// <savePath>\Cache, each emptied of its listed files when it exists. An error ends the run.
CacheDeletionCounts DeleteCacheFolders(FolderFileList& lister, const std::string& savePath, LinkCheck check,
                                       const DeletionProgress& progress = {});
