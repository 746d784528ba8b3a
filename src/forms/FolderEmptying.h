#pragma once
// Empties one held folder: lists it through its handle, opens each listed name inside it,
// checks the entry on its own handle and deletes it through that handle, then reads the
// folder again, through the same handle, to count what is gone and what stayed.
#include <functional>
#include "components/FolderFileList.h"
#include "forms/CacheFolders.h"
#include "forms/DeletionSeams.h"

// Told of the run once per entry listed, deleted and read again: the folder's number in the
// run and how many folders the run has, the entries handled and the entries listed (both 0
// while a folder is being read). It must be cheap.
using DeletionProgress = std::function<void(int folder, int folders, int done, int total)>;

// What one folder's emptying did: the files gone, and the plain files (neither hidden, nor
// system, nor a folder) still there afterwards.
struct FolderOutcome {
    int gone = 0;
    int stayed = 0;
};

// Empties held (number of folders in the run) with its listed files deleted from last to
// first. Raises an Exception when the folder cannot be listed; nothing of it is deleted then.
FolderOutcome EmptyHeldFolder(FolderFileList& lister, const HeldFolder& held, int number, int folders,
                              LinkCheck check, const DeletionProgress& progress, const DeletionSeams& seams);
