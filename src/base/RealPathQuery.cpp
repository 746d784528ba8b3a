#include "base/RealPathQuery.h"

#include <winternl.h>

RealPathQuery::RealPathQuery() : buffer_(64 * 1024) {}

bool RealPathQuery::AttributesAndPath(HANDLE handle, DWORD& attributes, std::wstring& path) {
    IO_STATUS_BLOCK io{};
    if (NtQueryInformationFile(handle, &io, buffer_.data(), static_cast<ULONG>(buffer_.size()),
                               FileAllInformation) != 0)
        return false;
    // The name is the path from the volume's root, without the drive.
    const auto* all = reinterpret_cast<const FILE_ALL_INFORMATION*>(buffer_.data());
    attributes = all->BasicInformation.FileAttributes;
    path.assign(all->NameInformation.FileName, all->NameInformation.FileNameLength / sizeof(WCHAR));
    return true;
}
