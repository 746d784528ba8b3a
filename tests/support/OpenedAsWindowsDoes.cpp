#include "OpenedAsWindowsDoes.h"

#include <string>

NTSTATUS NTAPI OpenedAsWindowsDoes(PHANDLE handle, ACCESS_MASK access, POBJECT_ATTRIBUTES attributes,
                                   PIO_STATUS_BLOCK io, ULONG share, ULONG options) {
    wchar_t folder[32768];
    const DWORD length = GetFinalPathNameByHandleW(attributes->RootDirectory, folder, 32768, FILE_NAME_NORMALIZED);
    if (length == 0 || length >= 32768) return static_cast<NTSTATUS>(0xC0000034);  // STATUS_OBJECT_NAME_NOT_FOUND
    std::wstring path(folder, length);
    if (path.compare(0, 4, L"\\\\?\\") == 0) path = path.substr(4);
    path = L"\\??\\" + path + L"\\" +
           std::wstring(attributes->ObjectName->Buffer, attributes->ObjectName->Length / sizeof(wchar_t));
    UNICODE_STRING name;
    name.Buffer = &path[0];
    name.Length = name.MaximumLength = static_cast<USHORT>(path.size() * sizeof(wchar_t));
    OBJECT_ATTRIBUTES absolute = *attributes;
    absolute.RootDirectory = nullptr;
    absolute.ObjectName = &name;
    return NtOpenFile(handle, access, &absolute, io, share, options);
}
