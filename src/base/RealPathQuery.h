#pragma once
// Where an open file or folder really is, asked of its handle in one query together with
// its attributes (ntdll's FileAllInformation). Under Wine, which follows a Unix symbolic
// link when opening, this tells the entry that was opened from the one that was named.
#include <windows.h>
#include <string>
#include <vector>

class RealPathQuery {
public:
    RealPathQuery();
    // The attributes and the path from the volume's root (without the drive) of an open
    // handle; false when either cannot be had whole.
    bool AttributesAndPath(HANDLE handle, DWORD& attributes, std::wstring& path);

private:
    std::vector<BYTE> buffer_;
};
