#include "base/RealPathQuery.h"

namespace {

// ntdll's layout of FileAllInformation.
struct FileAllInformation {
    FILE_BASIC_INFO basic;
    FILE_STANDARD_INFO standard;
    LARGE_INTEGER index;
    ULONG eaSize, access;
    LARGE_INTEGER position;
    ULONG mode, alignment;
    ULONG nameLength;  // bytes
    WCHAR name[1];     // the path from the volume's root, without the drive
};
struct IoStatusBlock {
    union {
        LONG status;
        void* pointer;
    };
    ULONG_PTR information;
};
using NtQueryInformationFileFunction = LONG(NTAPI*)(HANDLE, IoStatusBlock*, void*, ULONG, int);
const int kFileAllInformation = 18;

}  // namespace

RealPathQuery::RealPathQuery()
    : query_(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationFile"))),
      buffer_(64 * 1024) {}

bool RealPathQuery::AttributesAndPath(HANDLE handle, DWORD& attributes, std::wstring& path) {
    if (!query_) return false;
    IoStatusBlock io{};
    if (reinterpret_cast<NtQueryInformationFileFunction>(query_)(handle, &io, buffer_.data(),
                                                                 static_cast<ULONG>(buffer_.size()),
                                                                 kFileAllInformation) != 0)
        return false;
    const auto* all = reinterpret_cast<const FileAllInformation*>(buffer_.data());
    attributes = all->basic.FileAttributes;
    path.assign(all->name, all->nameLength / sizeof(WCHAR));
    return true;
}
