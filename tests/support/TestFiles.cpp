#include "TestFiles.h"

#include <windows.h>
#include <stdexcept>
#include "base/AnsiPath.h"

TempFolder::TempFolder() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static int counter = 0;
    for (;;) {
        path_ = std::string(base) + "jvcc_test_" + std::to_string(GetCurrentProcessId()) + "_" +
                std::to_string(++counter);
        if (CreateDirectoryA(path_.c_str(), nullptr)) break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("no temporary folder");
    }
}

TempFolder::~TempFolder() { RemoveTree(path_); }

namespace {

// Wide names, so that files whose names have no ANSI form go too.
void RemoveTreeW(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = folder + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTreeW(path);
            else DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

// Under "\\?\" names ending in a dot or space, and device names, are reached as they are.
void RemoveTree(const std::string& folder) {
    const bool drivePath = folder.size() >= 3 && folder[1] == ':' && folder[2] == '\\';
    RemoveTreeW((drivePath ? L"\\\\?\\" : L"") + AnsiToWide(folder));
}

// Runs a program of the Unix side (Wine starts those too) and waits for it.
bool RunUnixProgram(const std::string& program, const std::string& arguments) {
    std::string commandLine = program + " " + arguments;
    std::string windowsPath = "Z:" + program;
    for (char& ch : windowsPath)
        if (ch == '/') ch = '\\';
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(windowsPath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    // Wine runs a Unix program outside its own processes and hands back process information
    // that names none: its fields may hold anything, even the number of a handle this process
    // uses (closing it closed the standard output). Only handles that name the process and
    // the thread just started are waited on and closed.
    if (process.dwProcessId != 0 && GetProcessId(process.hProcess) == process.dwProcessId) {
        WaitForSingleObject(process.hProcess, 10000);
        CloseHandle(process.hProcess);
    }
    if (process.dwThreadId != 0 && GetThreadId(process.hThread) == process.dwThreadId) CloseHandle(process.hThread);
    return true;
}

std::string UnixPath(const std::string& path) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return {};
    char* converted = toUnix(AnsiToWide(path).c_str());
    std::string result = converted ? converted : "";
    if (converted) HeapFree(GetProcessHeap(), 0, converted);
    return result;
}

void MakeFolder(const std::string& path) {
    if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        throw std::runtime_error("cannot make folder " + path);
}

void WriteTextFile(const std::string& path, const std::string& content, unsigned long attributes) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + path);
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    if (attributes) SetFileAttributesA(path.c_str(), attributes);
}

void WriteTextFileW(const std::wstring& path, const std::string& content) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write a file");
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadWholeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<unreadable>";
    std::string content;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) content.append(buffer, read);
    CloseHandle(file);
    return content;
}

namespace {

void AddToSnapshot(const std::string& root, const std::string& relative,
                   std::map<std::string, std::string>& files) {
    WIN32_FIND_DATAW found;
    std::wstring pattern;
    std::string folder = relative.empty() ? root : root + "\\" + relative;
    pattern = AnsiToWide(folder);
    std::wstring widePrefix = pattern + L"\\";
    HANDLE search = FindFirstFileW((pattern + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        // Names are kept in UTF-8 so that ones with no ANSI form are compared too.
        char utf8[1024];
        int length = WideCharToMultiByte(CP_UTF8, 0, name.c_str(), -1, utf8, sizeof utf8, nullptr, nullptr);
        std::string key = (relative.empty() ? "" : relative + "\\") + std::string(utf8, length > 0 ? length - 1 : 0);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            files[key + "\\"] = "";
            // Recursing needs an ANSI path; names without one are checked only by presence.
            char ansi[1024];
            BOOL lossy = FALSE;
            WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.c_str(), -1, ansi, sizeof ansi, nullptr, &lossy);
            if (!lossy) AddToSnapshot(root, (relative.empty() ? "" : relative + "\\") + ansi, files);
            continue;
        }
        files[key] = ReadWholeFile(widePrefix + name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace

std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    AddToSnapshot(folder, "", files);
    return files;
}

bool RunUnixShell(const std::string& commandLine, unsigned long timeoutMs) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static int counter = 0;
    std::string marker = std::string(temp) + "jvcc_shell_" + std::to_string(GetCurrentProcessId()) + "_" +
                         std::to_string(++counter) + ".done";
    std::string unixMarker = UnixPath(marker);
    if (unixMarker.empty()) return false;
    // Single quotes reach /bin/sh through the Windows command line unchanged.
    if (!RunUnixProgram("/bin/sh", "-c \"" + commandLine + " && touch '" + unixMarker + "'\""))
        return false;
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(10))
        if (Exists(marker)) {
            DeleteFileA(marker.c_str());
            return true;
        }
    return false;
}

bool MakeUnixSymlink(const std::string& target, const std::string& link) {
    std::string from = UnixPath(target), to = UnixPath(link);
    return !from.empty() && !to.empty() && RunUnixShell("ln -s '" + from + "' '" + to + "'");
}

void RemoveUnixLink(const std::string& link) {
    std::string path = UnixPath(link);
    // Waited for: a Unix program's end is not seen from Wine, and the name may be reused.
    if (!path.empty()) RunUnixShell("rm -f '" + path + "'");
}
