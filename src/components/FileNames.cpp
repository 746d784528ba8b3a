#include "components/FileNames.h"

#include <windows.h>
#include <vector>
#include "base/AnsiPath.h"

namespace {

std::string LowerFileName(const std::string& text) {
    std::string lowered = text;
    for (std::string::size_type i = 0; i < lowered.size(); ++i) {
        unsigned char byte = static_cast<unsigned char>(lowered[i]);
        if (IsDBCSLeadByte(byte)) {
            ++i;
        } else if (byte >= 'A' && byte <= 'Z') {
            lowered[i] = static_cast<char>(byte - 'A' + 'a');
        }
    }
    return lowered;
}

bool CompareEqual(DWORD flags, const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_USER_DEFAULT, flags, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

}  // namespace

bool SameWideNameIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

bool SameFileName(const std::string& a, const std::string& b) {
    return CompareEqual(0, LowerFileName(a), LowerFileName(b));
}

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
    return CompareEqual(NORM_IGNORECASE, a, b);
}

bool HasPathCharacter(const std::string& name) {
    return LastDelimiter(name, "\\/:") != std::string::npos;
}

bool EndsWithCharacter(const std::string& text, char ch) {
    const char delimiter[] = {ch, '\0'};
    return !text.empty() && LastDelimiter(text, delimiter) == text.size() - 1;
}

std::string CurrentDirectory() {
    std::vector<char> buffer(261);
    for (;;) {
        DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length < buffer.size()) return std::string(buffer.data(), length);
        buffer.resize(length + 1);  // longer than MAX_PATH, as Wine allows
    }
}

std::string DrivePrefix(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    if (path.compare(0, 2, "\\\\") != 0) return {};
    auto serverEnd = FindDelimiter(path, '\\', 2);
    if (serverEnd == std::string::npos) return path;
    auto shareEnd = FindDelimiter(path, '\\', serverEnd + 1);
    return shareEnd == std::string::npos ? path : path.substr(0, shareEnd);
}

bool IsDosDeviceName(const std::wstring& name) {
    std::wstring base = name.substr(0, name.find(L'.'));
    while (!base.empty() && base.back() == L' ') base.pop_back();
    for (wchar_t& ch : base)
        if (ch >= L'a' && ch <= L'z') ch = static_cast<wchar_t>(ch - L'a' + L'A');
    if (base == L"CON" || base == L"PRN" || base == L"AUX" || base == L"NUL" || base == L"CONIN$" ||
        base == L"CONOUT$")
        return true;
    if (base.size() != 4 || (base.compare(0, 3, L"COM") != 0 && base.compare(0, 3, L"LPT") != 0)) return false;
    const wchar_t digit = base[3];
    return (digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
}
