#pragma once
// The other programs that have JV-Link loaded. Such a program (the user's data software,
// still open after it reported -402 or -403) may hold cache files open, or write to the
// cache while it is being emptied: the question names it, so that the user can close it.
#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "base/OpenedFolder.h"

// JV-Link's in-process server as the registry names it: its full path when it can be had,
// and its file name, by which loaded modules are matched.
struct JVLinkFile {
    std::wstring path;  // empty: a bare name not found in the system folder
    std::wstring name;  // "JVDTLab.dll"
};

// The machine a process runs as, from IsWow64Process2's two answers: the guest's machine
// for a process under WOW64 (an x86 program on x64 or ARM64), else the native machine.
// JV-Link loads only into processes of this program's own machine.
USHORT ProcessMachine(USHORT processMachine, USHORT nativeMachine);

// The file an InprocServer32 value names: environment strings expanded (for REG_EXPAND_SZ),
// surrounding spaces and quotes removed. A bare file name is looked for in systemFolder,
// where it is when exists says so; else only the name is known.
JVLinkFile InprocServerFile(const std::wstring& value, bool expand, const std::wstring& systemFolder,
                            const std::function<bool(const std::wstring& path)>& exists);

// JV-Link's file, from its ProgID's class id in the registry view of this build's bitness;
// an empty name when JV-Link is not registered.
JVLinkFile FindJVLinkFile();

// A running process as the system lists it.
struct RunningProcess {
    DWORD id = 0;
    std::wstring exeName;  // "Foo.exe"
};

// What the system tells about processes, replaceable in tests.
struct ProcessSeams {
    std::function<std::vector<RunningProcess>()> processes;
    // The full paths of the modules loaded in a process of this build's bitness; false when
    // it cannot be looked at (another user's or an elevated process, a process of the other
    // bitness, one that is starting or ending).
    std::function<bool(DWORD id, std::vector<std::wstring>& modules)> modules;
    // A file's identity by its path, unknown when it cannot be opened.
    std::function<FileIdentity(const std::wstring& path)> identity;
};

// Which processes are looked at: this session's (the user at the desktop can close them), or
// every session's that run as this process's user (a task run whether the user is logged on
// or not runs in a session of its own, apart from the user's programs).
enum class ProcessScope { ThisSession, ThisUser };

// The system's answers.
ProcessSeams SystemProcessSeams(ProcessScope scope = ProcessScope::ThisSession);

// The file names of the processes other than self that have file loaded, each once (without
// regard to case), in the order the system lists them. A module matches by its file name,
// without regard to case, and then, where the file's full path is known, by identity.
std::vector<std::wstring> ProgramsUsing(const JVLinkFile& file, DWORD self, const ProcessSeams& seams);

// The programs other than this one that have JV-Link loaded now.
std::vector<std::wstring> ProgramsUsingJVLink();
