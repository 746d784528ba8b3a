#pragma once
// Which folders a run may empty. When the delete button is pressed, before anything is
// asked, Data and Cache below the save path, and the copies of them that Windows keeps in
// VirtualStore, are opened and held. Each is checked by identity and by final path: none may
// be a drive root, the save path or a folder above it. From then on the run reaches them
// through these handles only, so a link that another program puts at a path while the
// question is on the screen redirects nothing.
#include <string>
#include <vector>
#include "base/OpenedFolder.h"
#include "forms/DeletionSeams.h"

// Said after every error that ends a run before any file went.
extern const char kNothingDeleted[];

// A full path and each folder above it up to its root ("C:\" or "\\server\share\"), each
// without a trailing separator but the root's; a path of neither form gives itself alone.
std::vector<std::wstring> FolderAndAncestors(const std::wstring& path);

// Where Windows keeps what a 32-bit program without a manifest writes below a folder it may
// not write (Program Files, Windows): <local app data>\VirtualStore\<the folder without its
// drive>. Empty for a folder that does not start with a drive letter.
std::wstring VirtualStoreFolder(const std::wstring& localAppData, const std::wstring& folder);

// A volume's own root in the NT form: "\Device\HarddiskVolume3\" with nothing after it, or
// a share's root "\Device\Mup\server\share". A volume mounted in a folder shows this form
// too, where its DOS form is the mount folder.
bool IsNtVolumeRoot(const std::wstring& path);

// On the network: a UNC path, or one on a drive the system calls remote. There the server
// finds each entry by its path, and the folder is confirmed before each one.
bool IsNetworkPath(const std::wstring& path, const DeletionSeams& seams);

// One folder the run may empty, held open from its check to the end of the run.
struct HeldFolder {
    std::string shown;       // as the question and the report name it
    int countsWith = 0;      // 0: what stays here counts with Data, 1: with Cache
    bool virtualStore = false;
    OpenedFolder folder;     // not open when the folder is absent
    bool absent = false;     // nothing of its name is there: nothing to delete, and the report says so
    std::wstring path;       // the path it was opened by
    std::wstring realPlace;  // where a link or junction at it leads, when elsewhere; else empty
    FileIdentity identity;
    bool network = false;    // on the network: its path is confirmed before each entry
    std::wstring realPath;   // Wine: where it really was when opened, with a trailing separator
};

class CacheFolders {
public:
    // Opens and checks Data and Cache below savePath and, for a save path below the
    // system's protected folders, their VirtualStore copies where they exist. Raises an
    // Exception with the text to show, nothing having been deleted, when the save path is
    // missing or cannot be reached; when a folder is there but cannot be reached (only a
    // folder of which nothing is there, below a folder that opens, is absent), resolved or
    // shown exactly; when it is a drive root, the save path, its VirtualStore copy or a
    // folder above either; or when it is on the network without an identity to confirm it.
    CacheFolders(const std::string& savePath, LinkCheck check, const DeletionSeams& seams = {});

    // Data, Cache, then the VirtualStore copies that exist.
    std::vector<HeldFolder>& Folders() { return folders_; }
    const std::vector<HeldFolder>& Folders() const { return folders_; }

private:
    std::vector<HeldFolder> folders_;
};
