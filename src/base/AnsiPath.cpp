#include "base/AnsiPath.h"

#include <windows.h>
#include <cstring>
#include <vector>

std::string WideToAnsi(const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                   nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &result[0], size,
                        nullptr, nullptr);
    return result;
}

bool WideToExactAnsi(const std::wstring& wide, std::string& ansi) {
    ansi.clear();
    if (wide.empty()) return true;
    BOOL usedDefault = FALSE;
    int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                   nullptr, 0, nullptr, &usedDefault);
    if (size <= 0 || usedDefault) return false;
    ansi.resize(static_cast<std::size_t>(size));
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), &ansi[0],
                        size, nullptr, &usedDefault);
    // Only an exact round trip proves that every character has its own equivalent.
    if (usedDefault || AnsiToWide(ansi) != wide) {
        ansi.clear();
        return false;
    }
    return true;
}

std::wstring AnsiToWide(const std::string& text) {
    if (text.empty()) return {};
    int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &result[0], size);
    return result;
}

std::string::size_type LastDelimiter(const std::string& text, const char* delimiters) {
    std::string::size_type found = std::string::npos;
    for (std::string::size_type i = 0; i < text.size(); ++i) {
        unsigned char byte = static_cast<unsigned char>(text[i]);
        if (IsDBCSLeadByte(byte) && i + 1 < text.size()) {
            ++i;  // the trail byte belongs to this character
            continue;
        }
        if (byte != 0 && std::strchr(delimiters, byte)) found = i;
    }
    return found;
}

std::string::size_type FindDelimiter(const std::string& text, char delimiter, std::string::size_type from) {
    for (std::string::size_type i = from; i < text.size(); ++i) {
        unsigned char byte = static_cast<unsigned char>(text[i]);
        if (IsDBCSLeadByte(byte) && i + 1 < text.size()) {
            ++i;
            continue;
        }
        if (text[i] == delimiter) return i;
    }
    return std::string::npos;
}

std::string ExtractFileDir(const std::string& path) {
    auto last = LastDelimiter(path, "\\:");
    if (last == std::string::npos) return {};
    std::string::size_type length = last;
    // Keep the separator after a drive ("C:\") or when the path is just "\".
    if (path[last] == ':' || last == 0 || path[last - 1] == ':') length = last + 1;
    return path.substr(0, length);
}

std::string ExtractFileName(const std::string& path) {
    auto last = LastDelimiter(path, "\\:");
    return last == std::string::npos ? path : path.substr(last + 1);
}

std::string ChangeFileExt(const std::string& path, const std::string& extension) {
    auto dot = LastDelimiter(path, ".\\:");
    if (dot == std::string::npos || path[dot] != '.') return path + extension;
    return path.substr(0, dot) + extension;
}

std::string ExecutablePath() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size()) return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

std::string ApplicationTitle() {
    return ChangeFileExt(ExtractFileName(ExecutablePath()), "");
}

std::string FormatText(const char* pattern, std::initializer_list<std::string> values) {
    std::string text;
    auto value = values.begin();
    for (const char* at = pattern; *at; ++at) {
        if (at[0] == '%' && (at[1] == 's' || at[1] == 'd') && value != values.end()) {
            text += *value++;
            ++at;
        } else {
            text += *at;
        }
    }
    return text;
}
