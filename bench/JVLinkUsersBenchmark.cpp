// Times the look for programs that have JV-Link loaded, as the delete button makes it before
// its question: with the processes running now, and with N more (50 by default) that keep
// JV-Link loaded. Under Wine every process is of this build's bitness, so every one has its
// modules read: the worst case. Prints figures only; it asserts nothing.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include "Clock.h"
#include "jvlink/JVLinkUsers.h"

namespace {

void Measure(const char* what) {
    const std::size_t processes = SystemProcessSeams().processes().size();
    const int looks = 20;
    std::size_t found = 0;
    double best = 1e300;
    for (int i = 0; i < looks; ++i) {
        const double start = Seconds();
        found = ProgramsUsingJVLink().size();
        best = std::min(best, (Seconds() - start) * 1000.0);
    }
    std::printf("%-40s %4u processes, %3u named: %7.2f ms a look, %6.1f us a process\n", what,
                static_cast<unsigned>(processes), static_cast<unsigned>(found), best,
                best * 1000.0 / static_cast<double>(processes ? processes : 1));
}

}  // namespace

int main(int argc, char** argv) {
    const int extra = argc > 1 ? std::atoi(argv[1]) : 50;
    CoInitialize(nullptr);
    Measure("the processes running now");

    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string user(self);
    user = user.substr(0, user.find_last_of('\\')) + "\\jvlink_user.exe";
    std::vector<PROCESS_INFORMATION> started;
    for (int i = 0; i < extra; ++i) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        std::string commandLine = "\"" + user + "\"";
        if (!CreateProcessA(user.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process)) {
            std::fprintf(stderr, "cannot start %s\n", user.c_str());
            break;
        }
        WaitForInputIdle(process.hProcess, 20000);
        started.push_back(process);
    }
    Measure(("with " + std::to_string(started.size()) + " more that keep JV-Link").c_str());
    for (const PROCESS_INFORMATION& process : started) {
        TerminateProcess(process.hProcess, 0);
        WaitForSingleObject(process.hProcess, 5000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    return 0;
}
