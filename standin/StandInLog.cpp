#include "StandInLog.h"

#include "StandInEnvironment.h"

void StandInLog::write(const std::string& line) {
    std::wstring path;
    if (!StandInEnvironment::read(L"JVLINK_STANDIN_LOG", path) || path.empty()) return;
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

void StandInLog::writeNumbered(const char* event, long number) {
    write(std::string(event) + " " + std::to_string(number));
}

void StandInLog::writeBytes(const char* event, const BYTE* data, size_t size) {
    static const char digits[] = "0123456789ABCDEF";
    std::string line(event);
    for (size_t i = 0; i < size; ++i) {
        line += ' ';
        line += digits[data[i] >> 4];
        line += digits[data[i] & 0x0F];
    }
    write(line);
}

std::string StandInLog::toAnsi(const wchar_t* text, size_t length) {
    if (!text || length == 0) return std::string();
    int wideLength = static_cast<int>(length);
    int size = WideCharToMultiByte(CP_ACP, 0, text, wideLength, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string buffer(size, '\0');
    WideCharToMultiByte(CP_ACP, 0, text, wideLength, &buffer[0], size, nullptr, nullptr);
    return buffer;
}
