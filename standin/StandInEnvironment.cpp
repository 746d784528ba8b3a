#include "StandInEnvironment.h"

#include <windows.h>
#include <cerrno>
#include <cwchar>
#include <vector>

bool StandInEnvironment::read(const wchar_t* name, std::wstring& value) {
    value.clear();
    std::vector<wchar_t> buffer(256);
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        DWORD length = GetEnvironmentVariableW(name, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            // Zero means either "not set" or "set to the empty string".
            return GetLastError() != ERROR_ENVVAR_NOT_FOUND;
        }
        if (length < buffer.size()) {
            value.assign(buffer.data(), length);
            return true;
        }
        // Too small: length is the size needed, terminator included. The
        // value may change between calls, hence the loop.
        buffer.resize(length + 1);
    }
}

long StandInEnvironment::readNumber(const wchar_t* name, long fallback) {
    std::wstring text;
    if (!read(name, text) || text.empty()) return fallback;
    wchar_t* end = nullptr;
    errno = 0;
    long number = std::wcstol(text.c_str(), &end, 10);
    while (end && (*end == L' ' || *end == L'\t')) ++end;
    if (errno != 0 || end == text.c_str() || (end && *end != L'\0')) return fallback;
    return number;
}
