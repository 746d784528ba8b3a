#include "app/CommandLine.h"

#include <windows.h>
#include <shellapi.h>

namespace {

bool SameSwitch(const std::wstring& argument, const wchar_t* name) {
    if (argument.size() < 2 || (argument[0] != L'/' && argument[0] != L'-')) return false;
    return CompareStringOrdinal(argument.c_str() + 1, static_cast<int>(argument.size() - 1), name, -1, TRUE) ==
           CSTR_EQUAL;
}

}  // namespace

RunMode ModeOf(const std::vector<std::wstring>& arguments) {
    if (arguments.empty()) return RunMode::Window;
    bool usage = false;
    for (const std::wstring& argument : arguments) {
        if (SameSwitch(argument, L"?")) usage = true;
        else if (!SameSwitch(argument, L"delete")) return RunMode::BadArgument;
    }
    return usage ? RunMode::Usage : RunMode::Delete;
}

std::vector<std::wstring> ProgramArguments() {
    std::vector<std::wstring> arguments;
    int count = 0;
    LPWSTR* split = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!split) return arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(split[i]);
    LocalFree(split);
    return arguments;
}
