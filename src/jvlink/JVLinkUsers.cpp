#include "jvlink/JVLinkUsers.h"

#include <tlhelp32.h>
#include <algorithm>
#include "base/FileHandle.h"
#include "components/FileNames.h"
#include "jvlink/JVDTLabLib_TLB.h"

namespace {

// The registry view of this build's bitness: a 32-bit program (as JV-Link is a 32-bit
// control) reads the 32-bit classes, also on 64-bit Windows.
const REGSAM kThisView = sizeof(void*) == 8 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;

std::wstring Trimmed(const std::wstring& text) {
    const auto first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return {};
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

std::wstring FileNameOf(const std::wstring& path) {
    const auto separator = path.find_last_of(L"\\/:");
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

std::wstring Expanded(const std::wstring& text) {
    std::vector<wchar_t> buffer(text.size() + 1);
    for (;;) {
        const DWORD length = ExpandEnvironmentStringsW(text.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return text;
        if (length <= buffer.size()) return std::wstring(buffer.data());
        buffer.resize(length);
    }
}

// The default value of a key, as REG_SZ or REG_EXPAND_SZ.
bool DefaultString(const std::wstring& key, std::wstring& value, bool& expand) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE | kThisView, &handle) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = 0;
    bool read = RegQueryValueExW(handle, nullptr, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
                (type == REG_SZ || type == REG_EXPAND_SZ);
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    read = read && RegQueryValueExW(handle, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                                    &bytes) == ERROR_SUCCESS;
    RegCloseKey(handle);
    if (!read) return false;
    buffer.back() = L'\0';
    value = buffer.data();
    expand = type == REG_EXPAND_SZ;
    return true;
}

std::vector<RunningProcess> SystemProcesses() {
    std::vector<RunningProcess> processes;
    FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.IsOpen()) return processes;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry))
        processes.push_back(RunningProcess{entry.th32ProcessID, entry.szExeFile});
    return processes;
}

// What a process runs as: its machine where the system tells it (IsWow64Process2, Windows
// 10 1511 and later, which also tells an x86 process on ARM64 from a native one), else
// whether it runs under WOW64.
USHORT MachineOf(HANDLE process) {
    using Wow64Process2 = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
    static const auto wow64Process2 = reinterpret_cast<Wow64Process2>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process2")));
    USHORT processMachine = 0, nativeMachine = 0;
    if (wow64Process2 && wow64Process2(process, &processMachine, &nativeMachine))
        return ProcessMachine(processMachine, nativeMachine);
    BOOL wow64 = FALSE;
    return IsWow64Process(process, &wow64) && wow64 ? IMAGE_FILE_MACHINE_I386 : IMAGE_FILE_MACHINE_UNKNOWN;
}

// The user a process runs as, as its token says; empty when it cannot be read.
std::vector<BYTE> UserOf(HANDLE process) {
    HANDLE opened = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &opened)) return {};
    FileHandle token(opened);
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    if (size == 0 || !GetTokenInformation(token.Get(), TokenUser, user.data(), size, &size)) return {};
    const PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
    const BYTE* bytes = static_cast<const BYTE*>(sid);
    return std::vector<BYTE>(bytes, bytes + GetLengthSid(sid));
}

bool SystemModules(DWORD id, std::vector<std::wstring>& modules, ProcessScope scope) {
    // Services and other users' desktops are in other sessions: nothing this user could
    // close from here, and most of a desktop's processes are left without being opened.
    static DWORD ownSession = 0;
    static const bool known = ProcessIdToSessionId(GetCurrentProcessId(), &ownSession) != FALSE;
    DWORD session = 0;
    if (scope == ProcessScope::ThisSession && known && ProcessIdToSessionId(id, &session) && session != ownSession)
        return false;
    // Another user's process, or an elevated one, cannot be opened: it is not looked at.
    HANDLE opened = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (!opened) return false;
    FileHandle process(opened);
    // Run as an administrator, this program may open other users' processes: only its own
    // user's count.
    static const std::vector<BYTE> ownUser = UserOf(GetCurrentProcess());
    if (scope == ProcessScope::ThisUser && (ownUser.empty() || UserOf(process.Get()) != ownUser)) return false;
    // JV-Link loads only into processes of its own bitness, which is this build's; most
    // processes of a 64-bit desktop are left here, before any module is read.
    static const USHORT ownMachine = MachineOf(GetCurrentProcess());
    if (MachineOf(process.Get()) != ownMachine) return false;
    // A process that is starting or loading modules refuses the snapshot for a moment
    // (ERROR_BAD_LENGTH, ERROR_PARTIAL_COPY), and the system says to try again: for up to
    // 100 ms, which a loader's moment fits in and the user does not notice; then it is left out.
    FileHandle snapshot(INVALID_HANDLE_VALUE);
    for (const DWORD start = GetTickCount();;) {
        snapshot = FileHandle(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, id));
        if (snapshot.IsOpen()) break;
        const DWORD error = GetLastError();
        if ((error != ERROR_BAD_LENGTH && error != ERROR_PARTIAL_COPY) || GetTickCount() - start >= 100) return false;
    }
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32FirstW(snapshot.Get(), &entry); more; more = Module32NextW(snapshot.Get(), &entry))
        modules.push_back(entry.szExePath);
    return true;
}

}  // namespace

USHORT ProcessMachine(USHORT processMachine, USHORT nativeMachine) {
    return processMachine != IMAGE_FILE_MACHINE_UNKNOWN ? processMachine : nativeMachine;
}

JVLinkFile InprocServerFile(const std::wstring& value, bool expand, const std::wstring& systemFolder,
                            const std::function<bool(const std::wstring& path)>& exists) {
    std::wstring path = Trimmed(expand ? Expanded(value) : value);
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') path = Trimmed(path.substr(1, path.size() - 2));
    JVLinkFile file;
    file.name = FileNameOf(path);
    if (path.empty()) return file;
    if (path.find_first_of(L"\\/:") != std::wstring::npos) {
        file.path = path;
        return file;
    }
    // A bare name: where the loader looks for it first.
    const std::wstring candidate =
        systemFolder + (systemFolder.empty() || systemFolder.back() == L'\\' ? L"" : L"\\") + path;
    if (exists(candidate)) file.path = candidate;
    return file;
}

JVLinkFile FindJVLinkFile() {
    CLSID classId;
    if (FAILED(CLSIDFromProgID(kJVLinkProgId, &classId))) return {};
    wchar_t text[40];
    if (!StringFromGUID2(classId, text, 40)) return {};
    std::wstring value;
    bool expand = false;
    if (!DefaultString(std::wstring(L"CLSID\\") + text + L"\\InprocServer32", value, expand)) return {};
    // The system folder of this build's bitness: for a 32-bit program on 64-bit Windows the
    // system redirects it to SysWOW64.
    wchar_t system[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    return InprocServerFile(value, expand, length && length < MAX_PATH ? system : L"", [](const std::wstring& path) {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    });
}

ProcessSeams SystemProcessSeams(ProcessScope scope) {
    ProcessSeams seams;
    seams.processes = SystemProcesses;
    seams.modules = [scope](DWORD id, std::vector<std::wstring>& modules) { return SystemModules(id, modules, scope); };
    seams.identity = [](const std::wstring& path) {
        FileHandle file = OpenToIdentify(path);
        return file.IsOpen() ? IdentityOf(file.Get(), GetFileInformationByHandleEx, GetFileInformationByHandle, false)
                             : FileIdentity();
    };
    return seams;
}

std::vector<std::wstring> ProgramsUsing(const JVLinkFile& file, DWORD self, const ProcessSeams& seams) {
    std::vector<std::wstring> names;
    if (file.name.empty()) return names;
    // Where the file itself is known, a module of the same name must be that very file
    // (which sees through folder redirection); else the name alone decides.
    const FileIdentity identity = file.path.empty() ? FileIdentity() : seams.identity(file.path);
    for (const RunningProcess& process : seams.processes()) {
        if (process.id == self) continue;  // this program hosts JV-Link too
        std::vector<std::wstring> modules;
        if (!seams.modules(process.id, modules)) continue;
        const bool uses = std::any_of(modules.begin(), modules.end(), [&](const std::wstring& module) {
            return SameWideNameIgnoringCase(FileNameOf(module), file.name) &&
                   (!identity.Known() || SameIdentity(seams.identity(module), identity));
        });
        if (uses && std::none_of(names.begin(), names.end(), [&process](const std::wstring& name) {
                return SameWideNameIgnoringCase(name, process.exeName);
            }))
            names.push_back(process.exeName);
    }
    return names;
}

std::vector<std::wstring> ProgramsUsingJVLink() {
    return ProgramsUsing(FindJVLinkFile(), GetCurrentProcessId(), SystemProcessSeams());
}
