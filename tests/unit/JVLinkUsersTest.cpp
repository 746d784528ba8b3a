#include <gtest/gtest.h>

#include <windows.h>
#include <map>
#include "base/AnsiPath.h"
#include "jvlink/JVLinkUsers.h"

namespace {

TEST(JVLinkUsers, TheRegisteredValueNamesAFile) {
    SetEnvironmentVariableW(L"JVCC_TEST_JVLINK", L"D:\\JRA-VAN");
    const std::wstring system = L"C:\\Windows\\SysWOW64";
    auto inSystemFolder = [&system](const std::wstring& path) { return path == system + L"\\JVDTLab.dll"; };
    const struct {
        std::wstring value;
        bool expand;
        std::wstring path, name;
    } cases[] = {
        {L"C:\\JV\\JVDTLab.dll", false, L"C:\\JV\\JVDTLab.dll", L"JVDTLab.dll"},
        {L"  \"C:\\Program Files\\JV Link\\JVDTLab.dll\" ", false, L"C:\\Program Files\\JV Link\\JVDTLab.dll",
         L"JVDTLab.dll"},
        {L"%JVCC_TEST_JVLINK%\\JVDTLab.dll", true, L"D:\\JRA-VAN\\JVDTLab.dll", L"JVDTLab.dll"},
        {L"\"%JVCC_TEST_JVLINK%\\JVDTLab.dll\"", true, L"D:\\JRA-VAN\\JVDTLab.dll", L"JVDTLab.dll"},
        {L"%JVCC_TEST_JVLINK%\\JVDTLab.dll", false, L"%JVCC_TEST_JVLINK%\\JVDTLab.dll", L"JVDTLab.dll"},
        {L"JVDTLab.dll", false, system + L"\\JVDTLab.dll", L"JVDTLab.dll"},
        {L"Other.dll", false, L"", L"Other.dll"},
        {L"", false, L"", L""},
    };
    for (const auto& c : cases) {
        const JVLinkFile file = InprocServerFile(c.value, c.expand, system, inSystemFolder);
        EXPECT_EQ(file.path, c.path) << WideToAnsi(c.value);
        EXPECT_EQ(file.name, c.name) << WideToAnsi(c.value);
    }
    SetEnvironmentVariableW(L"JVCC_TEST_JVLINK", nullptr);
}

// Processes as the system would list them, with the files they have loaded; a file's
// identity by its path.
FileIdentity IdentityNumbered(ULONGLONG index) {
    FileIdentity identity;
    identity.hasIndex = true;
    identity.volume = 7;
    identity.index = index;
    return identity;
}

TEST(JVLinkUsers, EachProgramThatHasTheFileIsNamedOnceAndThisOneNever) {
    const std::wstring jvlink = L"C:\\Windows\\SysWOW64\\JVDTLab.dll";
    const std::map<DWORD, std::vector<std::wstring>> loaded = {
        {1, {L"C:\\Tool\\JVCacheClean.exe", jvlink}},              // this program
        {2, {L"C:\\A\\A.exe", L"C:\\WINDOWS\\SYSWOW64\\jvdtlab.DLL"}},  // another spelling
        {3, {L"C:\\B\\B.exe"}},
        {4, {L"C:\\A2\\a.EXE", jvlink}},                           // the same name again
        {6, {L"C:\\O\\Other.exe", L"C:\\O\\JVDTLab.dll"}},          // another file of that name
        {7, {L"C:\\C\\C.exe", L"C:\\Windows\\System32\\JVDTLab.dll"}},  // redirected to SysWOW64
        {8, {L"C:\\D\\D.exe", jvlink}},
    };
    const std::map<std::wstring, ULONGLONG> files = {
        {jvlink, 100}, {L"C:\\WINDOWS\\SYSWOW64\\jvdtlab.DLL", 100}, {L"C:\\O\\JVDTLab.dll", 200},
        {L"C:\\Windows\\System32\\JVDTLab.dll", 100}};
    ProcessSeams seams;
    seams.processes = [] {
        return std::vector<RunningProcess>{{1, L"JVCacheClean.exe"}, {2, L"A.exe"}, {3, L"B.exe"}, {4, L"a.EXE"},
                                           {5, L"Elevated.exe"},     {6, L"Other.exe"}, {7, L"C.exe"},
                                           {8, L"D.exe"}};
    };
    seams.modules = [&loaded](DWORD id, std::vector<std::wstring>& modules) {
        auto found = loaded.find(id);
        if (found == loaded.end()) return false;  // cannot be opened
        modules = found->second;
        return true;
    };
    seams.identity = [&files](const std::wstring& path) {
        auto found = files.find(path);
        return found == files.end() ? FileIdentity() : IdentityNumbered(found->second);
    };
    using Names = std::vector<std::wstring>;
    EXPECT_EQ(ProgramsUsing(JVLinkFile{jvlink, L"JVDTLab.dll"}, 1, seams), (Names{L"A.exe", L"C.exe", L"D.exe"}));
    // Where only the name is known, the name alone decides.
    EXPECT_EQ(ProgramsUsing(JVLinkFile{L"", L"JVDTLab.dll"}, 1, seams),
              (Names{L"A.exe", L"Other.exe", L"C.exe", L"D.exe"}));
    EXPECT_TRUE(ProgramsUsing(JVLinkFile{}, 1, seams).empty()) << "JV-Link is not registered";
}

// JV-Link loads only into processes of this program's machine: an x86 process is a guest
// on x64 and on ARM64 alike, and a native process runs as the machine itself (where the
// older question "under WOW64?" answers no for an x86 process on ARM64).
TEST(JVLinkUsers, AProcessRunsAsItsGuestMachineOrElseTheNativeOne) {
    const USHORT unknown = IMAGE_FILE_MACHINE_UNKNOWN, x86 = IMAGE_FILE_MACHINE_I386, x64 = IMAGE_FILE_MACHINE_AMD64,
                 arm64 = 0xAA64;
    const struct {
        USHORT processMachine, nativeMachine, runsAs;
    } cases[] = {
        {x86, x64, x86}, {unknown, x64, x64}, {x86, arm64, x86}, {unknown, arm64, arm64}, {unknown, x86, x86},
    };
    for (const auto& c : cases) EXPECT_EQ(ProcessMachine(c.processMachine, c.nativeMachine), c.runsAs);
    EXPECT_NE(ProcessMachine(x86, arm64), ProcessMachine(unknown, arm64)) << "a native ARM64 process taken for x86";
}

}  // namespace
