#include "AppDriver.h"

#include <winternl.h>
#include <oleacc.h>

#include <gtest/gtest.h>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include "base/AnsiPath.h"
#include "StandInProbe.h"

namespace {

bool TimedOut(DWORD start, DWORD timeoutMs) { return GetTickCount() - start > timeoutMs; }

HRESULT CallStandIn(const char* entry) {
    HMODULE module = LoadLibraryA((BinaryFolder() + "\\jvlink_standin.dll").c_str());
    if (!module) return HRESULT_FROM_WIN32(GetLastError());
    using Entry = HRESULT(WINAPI*)();
    auto function = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, entry)));
    HRESULT hr = function ? function() : E_NOTIMPL;
    FreeLibrary(module);
    return hr;
}

// The current environment, less the stand-in's variables, plus the given ones.
std::vector<wchar_t> EnvironmentBlock(const Environment& overrides) {
    Environment variables;
    bool uiGiven = false;
    for (const auto& variable : overrides) uiGiven |= variable.first == L"JVLINK_STANDIN_UI";
    if (!uiGiven) variables.emplace_back(L"JVLINK_STANDIN_UI", L"none");
    variables.insert(variables.end(), overrides.begin(), overrides.end());

    std::vector<wchar_t> block;
    wchar_t* current = GetEnvironmentStringsW();
    for (const wchar_t* entry = current; *entry; entry += wcslen(entry) + 1) {
        if (_wcsnicmp(entry, L"JVLINK_STANDIN_", 15) == 0) continue;
        block.insert(block.end(), entry, entry + wcslen(entry) + 1);
    }
    FreeEnvironmentStringsW(current);
    for (const auto& variable : variables) {
        std::wstring entry = variable.first + L"=" + variable.second;
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    return block;
}

struct WindowQuery {
    DWORD processId;
    std::string className;
    std::string caption;
    bool shownOnly;
    HWND found;
};

BOOL CALLBACK MatchProcessWindow(HWND window, LPARAM parameter) {
    auto* query = reinterpret_cast<WindowQuery*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != query->processId || (query->shownOnly && !IsWindowVisible(window))) return TRUE;
    if (ClassName(window) != query->className) return TRUE;
    if (!query->caption.empty() && WindowText(window) != query->caption) return TRUE;
    query->found = window;
    return FALSE;
}

struct TextQuery {
    const std::string* text;
    HWND found;
};

BOOL CALLBACK MatchChildText(HWND child, LPARAM parameter) {
    auto* query = reinterpret_cast<TextQuery*>(parameter);
    if (WindowText(child) != *query->text) return TRUE;
    query->found = child;
    return FALSE;
}

// Every test that closes the main window leaves its position in the INI file beside the
// program: each test starts without one and leaves none, whatever ran before it.
class FreshSettings : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { Remove(); }
    void OnTestEnd(const ::testing::TestInfo&) override { Remove(); }
    static void Remove() {
        const std::string ini = BinaryFolder() + "\\JVCacheClean.ini";
        SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(ini.c_str());
        RemoveDirectoryA(ini.c_str());  // a test puts a folder in its place
    }
};
const bool kFreshSettings = (::testing::UnitTest::GetInstance()->listeners().Append(new FreshSettings), true);

}  // namespace

std::string BinaryFolder() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full(path, length);
    return full.substr(0, full.find_last_of('\\'));
}

void RegisterStandIn() {
    HRESULT hr = CallStandIn("DllRegisterServer");
    if (FAILED(hr)) throw std::runtime_error("the stand-in cannot be registered");
}

void UnregisterStandIn() {
    CallStandIn("DllUnregisterServer");
}

AppProcess::AppProcess(const Environment& environment, const std::string& currentFolder,
                       const std::string& programPath) {
    Start(environment, AnsiToWide(currentFolder),
          AnsiToWide(programPath.empty() ? BinaryFolder() + "\\JVCacheClean.exe" : programPath));
}

AppProcess::AppProcess(const Environment& environment, const std::wstring& programPath) {
    Start(environment, L"", programPath);
}

AppProcess::AppProcess(const Environment& environment, const std::wstring& arguments, HANDLE output) {
    Start(environment, L"", AnsiToWide(BinaryFolder() + "\\JVCacheClean.exe"), arguments, output);
}

void AppProcess::Start(const Environment& environment, const std::wstring& folder, const std::wstring& program,
                       const std::wstring& arguments, HANDLE output) {
    std::wstring commandLine = L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    std::vector<wchar_t> block = EnvironmentBlock(environment);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    const bool given = output && output != INVALID_HANDLE_VALUE;
    if (output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = given ? output : nullptr;
    }
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, given,
                        CREATE_UNICODE_ENVIRONMENT, block.data(),
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process_))
        throw std::runtime_error("JVCacheClean.exe cannot be started");
    if (!output) WaitForInputIdle(process_.hProcess, 10000);
}

HWND AppProcess::AnyVisibleWindow() const {
    struct Query {
        DWORD processId;
        HWND found;
    } query{process_.dwProcessId, nullptr};
    EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* query = reinterpret_cast<Query*>(parameter);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != query->processId || !IsWindowVisible(window)) return TRUE;
            query->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&query));
    return query.found;
}

AppProcess::~AppProcess() {
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

HWND AppProcess::FindWindowOfClass(const std::string& className, const std::string& caption,
                                   bool shownOnly) const {
    WindowQuery query{process_.dwProcessId, className, caption, shownOnly, nullptr};
    EnumWindows(MatchProcessWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

HWND AppProcess::WaitForWindow(const std::string& className, const std::string& caption,
                               DWORD timeoutMs) const {
    DWORD start = GetTickCount();
    for (;;) {
        if (HWND window = FindWindowOfClass(className, caption)) return window;
        if (TimedOut(start, timeoutMs) || WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0)
            return nullptr;
        Sleep(20);
    }
}

bool AppProcess::WaitUntilHandled(DWORD timeoutMs) const {
    // Twice: what the first round's messages posted in turn is handled before the second.
    return WaitForProbe(kProbeMark, 2, timeoutMs);
}

bool AppProcess::WaitUntilInputHandled(DWORD timeoutMs) const {
    return WaitForProbe(kProbeMarkAfterInput, 1, timeoutMs);
}

bool AppProcess::WaitForProbe(UINT markMessage, int rounds, DWORD timeoutMs) const {
    HWND probe = nullptr;
    do {
        probe = FindWindowExA(HWND_MESSAGE, probe, kProbeClass, nullptr);
        DWORD owner = 0;
        GetWindowThreadProcessId(probe, &owner);
        if (owner == process_.dwProcessId) break;
    } while (probe);
    if (!probe) return false;
    static LPARAM cookie = 0;
    for (int round = 0; round < rounds; ++round) {
        const LPARAM mark = ++cookie;
        if (!PostMessageA(probe, markMessage, 0, mark)) return false;
        if (!Eventually(
                [&] {
                    DWORD_PTR kept = 0;
                    return SendMessageTimeoutA(probe, kProbeRead, 0, 0, SMTO_NORMAL, 5000, &kept) &&
                           static_cast<LPARAM>(kept) == mark;
                },
                timeoutMs))
            return false;
    }
    return true;
}

std::string AppProcess::DialogAfterInput() const {
    if (!WaitUntilHandled()) return "<busy>";
    HWND dialog = FindWindowOfClass("#32770", "", false);
    return dialog ? "<" + WindowText(dialog) + ">" : std::string();
}

void AppProcess::ChooseMenu(HWND mainWindow, char menuLetter, char itemLetter) const {
    PostMessageA(mainWindow, WM_SYSCOMMAND, SC_KEYMENU, menuLetter);
    HWND popup = WaitForWindow("#32768", "", 10000);
    ASSERT_NE(popup, nullptr) << "the menu did not open";
    PostMessageA(mainWindow, WM_CHAR, static_cast<WPARAM>(itemLetter), 1);
}

std::wstring AppProcess::CurrentFolder() const {
    PROCESS_BASIC_INFORMATION basic{};
    if (NtQueryInformationProcess(process_.hProcess, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0)
        return {};
    // The test programs and the program share one architecture: the process parameters'
    // offset in the PEB, and the current directory's in them, are this build's.
    const bool wide = sizeof(void*) == 8;
    BYTE* parameters = nullptr;
    UNICODE_STRING dosPath{};
    if (!ReadProcessMemory(process_.hProcess, reinterpret_cast<BYTE*>(basic.PebBaseAddress) + (wide ? 0x20 : 0x10),
                           &parameters, sizeof parameters, nullptr) ||
        !ReadProcessMemory(process_.hProcess, parameters + (wide ? 0x38 : 0x24), &dosPath, sizeof dosPath, nullptr))
        return {};
    std::wstring path(dosPath.Length / sizeof(wchar_t), L'\0');
    if (!path.empty() && !ReadProcessMemory(process_.hProcess, dosPath.Buffer, &path[0], dosPath.Length, nullptr))
        return {};
    return path;
}

DWORD AppProcess::WaitForExit(DWORD timeoutMs) const {
    if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

std::string WindowText(HWND window) {
    std::vector<char> text(static_cast<size_t>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0)) * 2 + 2);
    int length = static_cast<int>(
        SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    return std::string(text.data(), length > 0 ? static_cast<size_t>(length) : 0);
}

std::string ClassName(HWND window) {
    char name[128] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string DialogMessage(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        // A text too long for the screen is shown in a scrolling edit control.
        if (_stricmp(ClassName(child).c_str(), "Edit") == 0) return WindowText(child);
        if (_stricmp(ClassName(child).c_str(), "Static") != 0) continue;
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) continue;
        return WindowText(child);
    }
    return {};
}

bool HasIcon(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (_stricmp(ClassName(child).c_str(), "Static") == 0 &&
            (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            return true;
    return false;
}

HWND FindChildWithText(HWND parent, const std::string& text) {
    TextQuery query{&text, nullptr};
    EnumChildWindows(parent, MatchChildText, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

void ClickButton(HWND dialog, const std::string& caption) {
    HWND button = FindChildWithText(dialog, caption);
    ASSERT_NE(button, nullptr) << "no button " << caption;
    PostMessageA(button, BM_CLICK, 0, 0);
}

void ClickWithRealInput(HWND window) {
    RECT bounds;
    GetWindowRect(window, &bounds);
    SetCursorPos((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2);
    INPUT click[2] = {};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, click, sizeof(INPUT));
}

void PressKeysWithRealInput(std::initializer_list<WORD> keys) {
    std::vector<INPUT> strokes;
    for (WORD key : keys) {
        INPUT down{};
        down.type = INPUT_KEYBOARD;
        down.ki.wVk = key;
        strokes.push_back(down);
    }
    for (auto key = keys.end(); key != keys.begin();) {
        INPUT up{};
        up.type = INPUT_KEYBOARD;
        up.ki.wVk = *--key;
        up.ki.dwFlags = KEYEVENTF_KEYUP;
        strokes.push_back(up);
    }
    SendInput(static_cast<UINT>(strokes.size()), strokes.data(), sizeof(INPUT));
}

bool WaitUntilGone(HWND window, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (TimedOut(start, timeoutMs)) return false;
        Sleep(20);
    }
    return true;
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::wstring AccessibleName(HWND window, IAccessible** accessible) {
    IAccessible* object = nullptr;
    if (AccessibleObjectFromWindow(window, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&object)) != S_OK)
        return L"<no accessible object>";
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::wstring text = object->get_accName(self, &name) == S_OK && name ? std::wstring(name) : std::wstring();
    SysFreeString(name);
    if (accessible) *accessible = object;
    else object->Release();
    return text;
}
