#include "base/OpenedFolder.h"

#include <cstring>
#include <vector>

namespace {

const NTSTATUS kStatusNoMoreFiles = static_cast<NTSTATUS>(0x80000006);
const NTSTATUS kStatusNoSuchFile = static_cast<NTSTATUS>(0xC000000F);

// What a file system answers for an information class it does not know.
bool ClassRefused(NTSTATUS status) {
    return status == static_cast<NTSTATUS>(0xC0000003) ||  // STATUS_INVALID_INFO_CLASS
           status == static_cast<NTSTATUS>(0xC0000002) ||  // STATUS_NOT_IMPLEMENTED
           status == static_cast<NTSTATUS>(0xC000000D) ||  // STATUS_INVALID_PARAMETER
           status == static_cast<NTSTATUS>(0xC00000BB) ||  // STATUS_NOT_SUPPORTED
           status == static_cast<NTSTATUS>(0xC0000010);    // STATUS_INVALID_DEVICE_REQUEST
}

// One entry of a buffer of either class: its name, its attributes and the next entry's offset.
template <class Information>
ULONG ReadEntry(const BYTE* entry, std::wstring& name, DWORD& attributes) {
    const auto* info = reinterpret_cast<const Information*>(entry);
    name.assign(info->FileName, info->FileNameLength / sizeof(wchar_t));
    attributes = info->FileAttributes;
    return info->NextEntryOffset;
}

bool AllBytesAre(const BYTE* bytes, std::size_t size, BYTE value) {
    for (std::size_t i = 0; i < size; ++i)
        if (bytes[i] != value) return false;
    return true;
}

// A file system without ids reports 0; one that cannot give a unique id reports all ones,
// which must be ignored too. Either would make every such file the same.
bool UnknownId(const BYTE* bytes, std::size_t size) {
    return AllBytesAre(bytes, size, 0) || AllBytesAre(bytes, size, 0xFF);
}

// FILE_ID_INFO; older systems refuse the class, and the classic identity is used.
struct FileIdInformation {
    ULONGLONG VolumeSerialNumber;
    BYTE FileId[16];
};

UNICODE_STRING Counted(const std::wstring& text) {
    UNICODE_STRING counted;
    counted.Buffer = const_cast<PWSTR>(text.c_str());
    counted.Length = static_cast<USHORT>(text.size() * sizeof(wchar_t));
    counted.MaximumLength = counted.Length;
    return counted;
}

}  // namespace

bool SameIdentity(const FileIdentity& a, const FileIdentity& b) {
    if (a.hasId128 && b.hasId128)
        return a.volume128 == b.volume128 && std::memcmp(a.id128, b.id128, sizeof a.id128) == 0;
    if (a.hasIndex && b.hasIndex) return a.volume == b.volume && a.index == b.index;
    return false;
}

FileIdentity IdentityOf(HANDLE handle, FileInformationFunction information, ClassicInformationFunction classic,
                        bool classicToo) {
    FileIdentity identity;
    FileIdInformation id{};
    if (information(handle, kFileIdInfoClass, &id, sizeof id) && !UnknownId(id.FileId, sizeof id.FileId)) {
        identity.hasId128 = true;
        identity.volume128 = id.VolumeSerialNumber;
        std::memcpy(identity.id128, &id.FileId, sizeof identity.id128);
    }
    BY_HANDLE_FILE_INFORMATION file;
    if ((classicToo || !identity.hasId128) && classic(handle, &file)) {
        const ULONGLONG index = (static_cast<ULONGLONG>(file.nFileIndexHigh) << 32) | file.nFileIndexLow;
        if (!UnknownId(reinterpret_cast<const BYTE*>(&index), sizeof index)) {
            identity.hasIndex = true;
            identity.volume = file.dwVolumeSerialNumber;
            identity.index = index;
        }
    }
    return identity;
}

FileHandle OpenToIdentify(const std::wstring& path, CreateFileFunction open) {
    return FileHandle(open(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

bool OpenedFolder::Open(const std::wstring& path, DWORD& error, CreateFileFunction open) {
    handle_ = FileHandle(open(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    error = handle_.IsOpen() ? ERROR_SUCCESS : GetLastError();
    // The open takes a file too: a file of the folder's name is no folder to empty.
    FILE_BASIC_INFO basic;
    if (handle_.IsOpen() && GetFileInformationByHandleEx(handle_.Get(), FileBasicInfo, &basic, sizeof basic) &&
        !(basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        handle_ = FileHandle();
        error = ERROR_DIRECTORY;
    }
    return handle_.IsOpen();
}

bool OpenedFolder::ForEachEntry(const std::function<void(const std::wstring&, DWORD)>& found) const {
    // Wine keeps the names read through a handle in the process, about a hundred bytes each,
    // until that handle closes, and this one stays open for the whole run: each read goes
    // through a handle of its own to this very folder, opened through this one (no path is
    // resolved) and closed when the read ends. Where that open is refused, this one reads.
    bool complete;
    {
        FileHandle reading = Reopened();
        complete = ReadEntries(reading.IsOpen() ? reading.Get() : handle_.Get(), found);
    }
    // Wine gives back what it kept of a closed handle at the next read in the process: a read
    // of the folder's own "." alone brings that forward to now. On Windows a read of one entry.
    std::wstring itself = L".";
    UNICODE_STRING mask = Counted(itself);
    ULONGLONG entry[(sizeof(FILE_DIRECTORY_INFORMATION) + MAX_PATH * sizeof(wchar_t)) / sizeof(ULONGLONG) + 1];
    IO_STATUS_BLOCK io{};
    NtQueryDirectoryFile(handle_.Get(), nullptr, nullptr, nullptr, &io, entry, sizeof entry, FileDirectoryInformation,
                         TRUE, &mask, TRUE);
    return complete;
}

FileHandle OpenedFolder::Reopened() const {
    UNICODE_STRING none{0, 0, nullptr};
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &none, 0, handle_.Get(), nullptr);
    IO_STATUS_BLOCK io{};
    HANDLE reopened = nullptr;
    const NTSTATUS status = NtOpenFile(&reopened, FILE_LIST_DIRECTORY | SYNCHRONIZE, &attributes, &io,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT);
    return FileHandle(status >= 0 && reopened ? reopened : INVALID_HANDLE_VALUE);
}

bool OpenedFolder::ReadEntries(HANDLE folder, const std::function<void(const std::wstring&, DWORD)>& found) const {
    // The mask on the restarting call makes Wine read the folder afresh rather than from
    // what it kept of an earlier read of this handle; Windows always reads afresh.
    std::wstring everything = L"*";
    UNICODE_STRING mask = Counted(everything);
    std::vector<ULONGLONG> buffer(64 * 1024 / sizeof(ULONGLONG));
    FILE_INFORMATION_CLASS kind = FileFullDirectoryInformation;
    std::wstring name;
    for (bool first = true;;) {
        IO_STATUS_BLOCK io{};
        NTSTATUS status = query_(folder, nullptr, nullptr, nullptr, &io, buffer.data(),
                                 static_cast<ULONG>(buffer.size() * sizeof(ULONGLONG)), kind, FALSE,
                                 first ? &mask : nullptr, first ? TRUE : FALSE);
        if (first && ClassRefused(status) && kind != FileDirectoryInformation) {
            kind = FileDirectoryInformation;  // the plainest class, which every file system answers
            continue;
        }
        if (status == kStatusNoMoreFiles || (first && status == kStatusNoSuchFile)) return true;
        if (status < 0) return false;
        first = false;
        const BYTE* entry = reinterpret_cast<const BYTE*>(buffer.data());
        for (;;) {
            DWORD attributes = 0;
            const ULONG next = kind == FileDirectoryInformation
                                   ? ReadEntry<FILE_DIRECTORY_INFORMATION>(entry, name, attributes)
                                   : ReadEntry<FILE_FULL_DIR_INFO>(entry, name, attributes);
            if (name != L"." && name != L"..") found(name, attributes);
            if (next == 0) break;
            entry += next;
        }
    }
}

FileHandle OpenedFolder::OpenEntry(const std::wstring& name, ACCESS_MASK access, LONG& status) const {
    if (name.empty() || name.size() > 32767 / sizeof(wchar_t)) {
        status = kStatusObjectNameNotFound;
        return FileHandle();
    }
    UNICODE_STRING objectName = Counted(name);
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &objectName, OBJ_CASE_INSENSITIVE, handle_.Get(), nullptr);
    IO_STATUS_BLOCK io{};
    HANDLE entry = nullptr;
    // FILE_OPEN_REPARSE_POINT opens a link or junction as itself on Windows. Wine follows a
    // Unix symbolic link all the same, so under Wine the tests can only see that the flag is
    // asked for; the deletion checks the entry's real path there instead.
    status = open_(&entry, access | SYNCHRONIZE, &attributes, &io,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        FILE_OPEN_REPARSE_POINT | FILE_NON_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT);
    return FileHandle(status >= 0 ? entry : INVALID_HANDLE_VALUE);
}
