#include "app/UnattendedOutput.h"

#include <vector>

namespace {

// The program's texts are written in this code page, whatever the system's.
const UINT kTextCodePage = 932;

}  // namespace

std::string AsOutputLines(const std::string& text) {
    std::string lines;
    lines.reserve(text.size() + 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines += "\r\n";
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            lines += c;
        }
    }
    if (!text.empty() && (lines.size() < 2 || lines.compare(lines.size() - 2, 2, "\r\n") != 0)) lines += "\r\n";
    return lines;
}

UnattendedOutput::UnattendedOutput() {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (output && output != INVALID_HANDLE_VALUE && GetFileType(output) != FILE_TYPE_UNKNOWN &&
        !GetConsoleMode(output, &mode)) {
        redirected_ = output;
        return;
    }
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    console_ = FileHandle(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
}

void UnattendedOutput::Write(const std::string& text) {
    const std::string lines = AsOutputLines(text);
    if (lines.empty()) return;
    if (redirected_) {
        for (std::size_t written = 0; written < lines.size();) {
            DWORD now = 0;
            if (!WriteFile(redirected_, lines.data() + written, static_cast<DWORD>(lines.size() - written), &now,
                           nullptr) ||
                now == 0)
                return;  // a closed pipe: nobody reads any more
            written += now;
        }
        return;
    }
    if (!console_.IsOpen()) return;
    const int size = MultiByteToWideChar(kTextCodePage, 0, lines.data(), static_cast<int>(lines.size()), nullptr, 0);
    if (size <= 0) return;
    std::vector<wchar_t> wide(static_cast<std::size_t>(size));
    MultiByteToWideChar(kTextCodePage, 0, lines.data(), static_cast<int>(lines.size()), wide.data(), size);
    DWORD written = 0;
    WriteConsoleW(console_.Get(), wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}
