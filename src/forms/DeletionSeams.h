#pragma once
// What only Windows can show (a file system that refuses a query, a server's view of a
// path, an old system that refuses POSIX deletion), made reachable from tests. Every
// default is the system's own.
#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "base/OpenedFolder.h"

// How each listed entry is checked before it is deleted through its own handle. Both ask
// the opened entry (never followed through a reparse point) for its attributes and skip
// hidden, system and directory entries.
enum class LinkCheck {
    None,             // as on Windows, where the handle is the link itself, never its target
    FinalPathInside,  // also confirm that the opened entry really is <folder>\<name>: Wine
                      // follows a Unix symbolic link when opening, and would delete its target.
                      // Wine also resolves device names and trailing dots or spaces through
                      // the path rules, so it never opens those
};

// Points of a run where tests step in to play another program (a folder swapped for a
// link, a read that fails).
enum class DeletionStage { FoldersChecked, Listing, Walking };

struct DeletionSeams {
    // Asked for entries' attributes and folders' identities: FAT32 and exFAT refuse
    // FileAttributeTagInfo, and some file systems FileIdInfo.
    FileInformationFunction fileInformation = GetFileInformationByHandleEx;
    // The classic identity (volume serial number and file index).
    ClassicInformationFunction classicInformation = GetFileInformationByHandle;
    // Sets an entry's delete disposition: Windows before 10 1607, FAT, exFAT and many
    // SMB servers refuse the POSIX one.
    BOOL(WINAPI* setInformation)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD) = SetFileInformationByHandle;
    // A folder's final path, in the DOS form ("C:\...", "\\server\share\...") or, with nt,
    // in the NT form ("\Device\HarddiskVolume2\..."); empty when the system has none. null
    // for the system's. A RAM disk or a volume mounted only in a folder has no DOS form; over
    // SMB either is only the client's view, blind to a junction that the server follows.
    std::wstring (*finalPath)(HANDLE folder, bool nt) = nullptr;
    // Reads the folders' entries; null for the system's. A network file system may fail
    // a read midway.
    DirectoryQueryFunction directoryQuery = nullptr;
    // Opens each listed entry inside its held folder; null for the system's. Wine resolves
    // some names through the path rules where Windows hands them to the file system as
    // they are, and cannot show how an entry is opened.
    EntryOpenFunction openEntry = nullptr;
    // What kind of drive a root ("Z:\") is: a remote one is on the network, and one that
    // does not exist for this program (DRIVE_NO_ROOT_DIR) cannot be reached.
    UINT(WINAPI* driveType)(LPCWSTR root) = GetDriveTypeW;
    // Opens the save path and the folders: a sleeping NAS, an unplugged drive, a folder the
    // user may not read or a disabled link class fail here with their own errors.
    HANDLE(WINAPI* createFile)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) = CreateFileW;
    // The system's final path call: over SMB the normalized name fails where the user may
    // not list a folder above.
    DWORD(WINAPI* finalPathByHandle)(HANDLE, LPWSTR, DWORD, DWORD) = GetFinalPathNameByHandleW;
    // The folders below which Windows keeps a 32-bit program's writes in VirtualStore (the
    // Windows folder, Program Files, Program Files (x86), ProgramData); null for the system's.
    std::vector<std::wstring> (*virtualizedFolders)() = nullptr;
    // The user's local application data folder, below which Windows keeps VirtualStore;
    // null for the system's.
    std::wstring (*localAppData)() = nullptr;
    // Called at each stage, with the folder's number in the run (0 Data, 1 Cache, then
    // their VirtualStore copies).
    std::function<void(DeletionStage stage, int folder)> onStage;
};
