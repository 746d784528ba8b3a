#pragma once
// A folder held open by its handle. Its entries are listed, opened and read again through
// that handle and never by the folder's path, so a link or junction that another program
// puts at the path afterwards redirects nothing.
#include <windows.h>
#include <winternl.h>
#include <functional>
#include <string>
#include "base/FileHandle.h"

// Who a file or folder is, whatever the path it was reached by: its volume and its file id.
struct FileIdentity {
    bool hasId128 = false;  // FileIdInfo: 64-bit volume serial, 128-bit file id
    ULONGLONG volume128 = 0;
    BYTE id128[16] = {};
    bool hasIndex = false;  // GetFileInformationByHandle: 32-bit volume serial, 64-bit index
    DWORD volume = 0;
    ULONGLONG index = 0;

    bool Known() const { return hasId128 || hasIndex; }
};

// True only when both identities are known in a common form and name the same object.
bool SameIdentity(const FileIdentity& a, const FileIdentity& b);

// FileIdInfo (Windows 8 and later), which the Windows 7 headers do not name.
const auto kFileIdInfoClass = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);

// The system's GetFileInformationByHandleEx, or a stand-in that refuses some classes as
// FAT32 and exFAT do.
using FileInformationFunction = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
// The system's GetFileInformationByHandle, or a stand-in that answers as another file
// system would.
using ClassicInformationFunction = BOOL(WINAPI*)(HANDLE, LPBY_HANDLE_FILE_INFORMATION);

// The identity of an open handle: FileIdInfo where the file system answers it, else the
// classic GetFileInformationByHandle (FAT32, exFAT and older systems). A file system
// without file ids reports 0, and one that cannot give a unique id all ones: such an id is
// unknown, or every file would be the same.
// With classicToo false, the classic identity is asked only where FileIdInfo has none
// (under Wine the classic query also asks the volume, and costs several times as much).
FileIdentity IdentityOf(HANDLE handle, FileInformationFunction information = GetFileInformationByHandleEx,
                        ClassicInformationFunction classic = GetFileInformationByHandle, bool classicToo = true);

// The system's CreateFileW, or a stand-in that fails as an unreachable place does.
using CreateFileFunction = HANDLE(WINAPI*)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);

// Opens a file or folder where links and junctions lead, only to learn who and where it is.
FileHandle OpenToIdentify(const std::wstring& path, CreateFileFunction open = CreateFileW);

extern "C" NTSTATUS NTAPI NtQueryDirectoryFile(HANDLE handle, HANDLE event, PIO_APC_ROUTINE routine, PVOID context,
                                               PIO_STATUS_BLOCK io, PVOID buffer, ULONG length,
                                               FILE_INFORMATION_CLASS informationClass, BOOLEAN single,
                                               PUNICODE_STRING mask, BOOLEAN restart);

// The system's NtQueryDirectoryFile, or a stand-in that fails as a file system may.
using DirectoryQueryFunction = decltype(&NtQueryDirectoryFile);
// The system's NtOpenFile, or a stand-in that opens an entry as Windows would where Wine
// cannot, or records how it was asked.
using EntryOpenFunction = decltype(&NtOpenFile);

class OpenedFolder {
public:
    // Opens path for listing; a link or junction at it is followed. False (with the
    // system's error code in error) when it cannot be opened, or ERROR_DIRECTORY when what
    // it names is not a folder.
    bool Open(const std::wstring& path, DWORD& error, CreateFileFunction open = CreateFileW);
    bool IsOpen() const { return handle_.IsOpen(); }
    HANDLE Handle() const { return handle_.Get(); }

    // Reads the folder from its start, calling found for each entry but "." and "..";
    // false when the read stopped before the end. A file system that lists no "." and ".."
    // answers an empty folder's first read with "no such file": that is an empty folder.
    bool ForEachEntry(const std::function<void(const std::wstring& name, DWORD attributes)>& found) const;
    // Reads it with query rather than the system's (null: the system's).
    void SetDirectoryQuery(DirectoryQueryFunction query) { query_ = query ? query : NtQueryDirectoryFile; }
    // Opens entries with open rather than the system's (null: the system's).
    void SetEntryOpen(EntryOpenFunction open) { open_ = open ? open : NtOpenFile; }

    // Opens the entry name inside this folder (the name is never resolved as a path), as
    // itself and never as a directory. status is the system's NTSTATUS.
    FileHandle OpenEntry(const std::wstring& name, ACCESS_MASK access, LONG& status) const;

private:
    FileHandle Reopened() const;
    bool ReadEntries(HANDLE folder, const std::function<void(const std::wstring& name, DWORD attributes)>& found) const;

    FileHandle handle_;
    DirectoryQueryFunction query_ = NtQueryDirectoryFile;
    EntryOpenFunction open_ = NtOpenFile;
};

// NTSTATUS values the deletion tells apart.
const LONG kStatusDeletePending = static_cast<LONG>(0xC0000056);
const LONG kStatusObjectNameNotFound = static_cast<LONG>(0xC0000034);
