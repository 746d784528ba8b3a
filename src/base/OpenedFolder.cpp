#include "base/OpenedFolder.h"

#include <cstring>
#include <vector>

namespace {

const NTSTATUS kStatusNoMoreFiles = static_cast<NTSTATUS>(0x80000006);

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

FileIdentity IdentityOf(HANDLE handle, FileInformationFunction information) {
    FileIdentity identity;
    FileIdInformation id{};
    if (information(handle, kFileIdInfoClass, &id, sizeof id)) {
        identity.hasId128 = true;
        identity.volume128 = id.VolumeSerialNumber;
        std::memcpy(identity.id128, &id.FileId, sizeof identity.id128);
    }
    BY_HANDLE_FILE_INFORMATION classic;
    if (GetFileInformationByHandle(handle, &classic)) {
        identity.hasIndex = true;
        identity.volume = classic.dwVolumeSerialNumber;
        identity.index = (static_cast<ULONGLONG>(classic.nFileIndexHigh) << 32) | classic.nFileIndexLow;
    }
    return identity;
}

bool OpenedFolder::Open(const std::wstring& path, DWORD& error) {
    handle_ = FileHandle(CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    error = handle_.IsOpen() ? ERROR_SUCCESS : GetLastError();
    return handle_.IsOpen();
}

bool OpenedFolder::ForEachEntry(const std::function<void(const std::wstring&, DWORD)>& found) const {
    // The mask on the restarting call makes Wine read the folder afresh rather than from
    // what it kept of an earlier read of this handle; Windows always reads afresh.
    std::wstring everything = L"*";
    UNICODE_STRING mask = Counted(everything);
    std::vector<ULONGLONG> buffer(64 * 1024 / sizeof(ULONGLONG));
    for (bool first = true;; first = false) {
        IO_STATUS_BLOCK io{};
        NTSTATUS status = query_(handle_.Get(), nullptr, nullptr, nullptr, &io, buffer.data(),
                                               static_cast<ULONG>(buffer.size() * sizeof(ULONGLONG)),
                                               FileFullDirectoryInformation, FALSE, first ? &mask : nullptr,
                                               first ? TRUE : FALSE);
        if (status == kStatusNoMoreFiles) return true;
        if (status < 0) return false;
        const BYTE* entry = reinterpret_cast<const BYTE*>(buffer.data());
        for (;;) {
            const auto* info = reinterpret_cast<const FILE_FULL_DIR_INFO*>(entry);
            std::wstring name(info->FileName, info->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..") found(name, info->FileAttributes);
            if (info->NextEntryOffset == 0) break;
            entry += info->NextEntryOffset;
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
    // Unix symbolic link all the same, so no test under Wine shows that this flag is
    // honoured; the deletion checks the entry's real path there instead.
    status = NtOpenFile(&entry, access | SYNCHRONIZE, &attributes, &io,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        FILE_OPEN_REPARSE_POINT | FILE_NON_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT);
    return FileHandle(status >= 0 ? entry : INVALID_HANDLE_VALUE);
}
