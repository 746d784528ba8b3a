// Times the delete button's own code path on N files in each of Data and Cache, against a
// plain FindFirstFileA/DeleteFileA loop over an identical set measured in the same run.
// Prints figures only; it asserts nothing.
#include <windows.h>
#include <psapi.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <algorithm>
#include <thread>
#include <vector>
#include "Clock.h"
#include "TestFiles.h"
#include "components/FileNames.h"
#include "components/FolderFileList.h"
#include "forms/CacheDeletion.h"
#include "forms/DeletionWorker.h"

namespace {

// Under Wine every new name costs a scan of the folder (names are matched without regard
// to case), so large sets are made from the Unix side; on Windows one by one.
bool FillFromUnix(const std::string& folder, int count) {
    std::string unixFolder = UnixPath(folder);
    if (unixFolder.empty()) return false;
    if (!RunUnixProgram("/bin/sh", "-c \"cd '" + unixFolder + "' && seq -f '%08g_JVDATA.jvd' 0 " +
                                       std::to_string(count - 1) + " | xargs touch && touch ../filled.marker\""))
        return false;
    // The shell leaves a marker when it is done.
    std::string marker = folder.substr(0, folder.find_last_of('\\')) + "\\filled.marker";
    while (GetFileAttributesA(marker.c_str()) == INVALID_FILE_ATTRIBUTES) Sleep(20);
    DeleteFileA(marker.c_str());
    return true;
}

void Fill(const std::string& folder, int count) {
    CreateDirectoryA(folder.c_str(), nullptr);
    if (RunningUnderWine() && FillFromUnix(folder, count)) return;
    for (int i = 0; i < count; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "\\%08d_JVDATA.jvd", i);
        HANDLE file = CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            std::fprintf(stderr, "cannot create files in %s\n", folder.c_str());
            std::exit(1);
        }
        CloseHandle(file);
    }
}

std::string MakeSavePath(const std::string& root, const char* name, int count) {
    std::string save = root + "\\" + name;
    CreateDirectoryA(save.c_str(), nullptr);
    Fill(save + "\\Data", count);
    Fill(save + "\\Cache", count);
    return save;
}

// The plain loop: delete each entry as the search reports it.
int BaselineDelete(const std::string& folder) {
    SetCurrentDirectoryA(folder.c_str());
    int deleted = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("*.*", &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (DeleteFileA(found.cFileName)) ++deleted;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return deleted;
}

// The same loop, deleting in the order the command walks: names sorted, last first. On a
// file system whose folders are not kept in name order (Linux's ext4 under Wine) the
// order alone costs time; on NTFS the search already reports names in order.
int SameOrderDelete(const std::string& folder) {
    SetCurrentDirectoryA(folder.c_str());
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("*.*", &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    int deleted = 0;
    for (auto name = names.rbegin(); name != names.rend(); ++name) deleted += DeleteFileA(name->c_str()) != FALSE;
    return deleted;
}

// "network": the command as it runs on a network path, where the folder's path is
// confirmed before each entry (here on a local disk, so only the check's own cost shows).
enum Variant { kBaseline, kSameOrder, kCommand, kChecked, kNetwork, kVariants };
const char* const kVariantNames[] = {"baseline", "same-order", "command", "checked", "network"};

// The longest the command's window left another program's "are you there" (WM_NULL, sent
// every 20 ms from another thread, as the system's hung-window check does) without an
// answer, from the button's work to its end.
double longestSilence = 0;
// The working set when the command started, and the largest seen while it ran (sampled with
// each question): apart from what the comparison loops used before it.
double commandStart = 0, commandPeak = 0;

double WorkingSetMegabytes(bool peak) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return (peak ? counters.PeakWorkingSetSize : counters.WorkingSetSize) / (1024.0 * 1024.0);
}

// Where the worker reads: with blockFirstRead set, the first read of the listing blocks
// for 3 s, as a share that does not answer may.
std::atomic<bool> blockNextRead{false};
bool blockFirstRead = false;
NTSTATUS NTAPI MaybeBlockingRead(HANDLE handle, HANDLE event, PIO_APC_ROUTINE routine, PVOID context,
                                 PIO_STATUS_BLOCK io, PVOID buffer, ULONG length, FILE_INFORMATION_CLASS kind,
                                 BOOLEAN single, PUNICODE_STRING mask, BOOLEAN restart) {
    if (blockNextRead.exchange(false)) Sleep(3000);
    return NtQueryDirectoryFile(handle, event, routine, context, io, buffer, length, kind, single, mask, restart);
}

// Runs work as the delete button does, on the worker while this thread's window answers,
// and measures the window's longest silence meanwhile.
template <class Work>
void AsTheButtonRunsIt(Work work) {
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    std::atomic<bool> running{true}, asked{false};
    commandStart = WorkingSetMegabytes(false);
    std::thread asking([&] {
        while (running) {
            const double sent = Seconds();
            DWORD_PTR result = 0;
            SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
            longestSilence = std::max(longestSilence, Seconds() - sent);
            commandPeak = std::max(commandPeak, WorkingSetMegabytes(false));
            Sleep(20);
        }
        asked = true;
    });
    DeletionWorker worker(window);
    worker.Run([&](const DeletionProgress& progress) { work(progress); });
    running = false;
    // The last question may wait for this thread's answer.
    for (MSG message; !asked; Sleep(1))
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    asking.join();
    DestroyWindow(window);
}

// Which delete disposition the command's runs set: the POSIX one (Windows 10 1607 and later
// on NTFS) or the classic one, which the first refuses elsewhere.
long posixDispositions = 0, classicDispositions = 0;
BOOL WINAPI CountingSetInformation(HANDLE file, FILE_INFO_BY_HANDLE_CLASS type, LPVOID data, DWORD size) {
    const BOOL set = SetFileInformationByHandle(file, type, data, size);
    if (set && type == FileDispositionInfo) ++classicDispositions;
    if (set && type != FileDispositionInfo) ++posixDispositions;
    return set;
}

// Every drive, as if each were a mapped network drive.
UINT WINAPI RemoteDrive(LPCWSTR) {
    return DRIVE_REMOTE;
}

double TimeVariant(Variant variant, const std::string& root, int count) {
    std::string save = MakeSavePath(root, kVariantNames[variant], count);
    SetCurrentDirectoryA(root.c_str());
    FolderFileList lister;
    double start = Seconds();
    int deleted = 0;
    if (variant == kCommand || variant == kChecked || variant == kNetwork) {
        DeletionSeams seams;
        if (variant == kNetwork) seams.driveType = RemoteDrive;
        seams.setInformation = CountingSetInformation;
        seams.directoryQuery = MaybeBlockingRead;
        seams.onStage = [](DeletionStage stage, int folder) {
            if (blockFirstRead && stage == DeletionStage::Listing && folder == 0) blockNextRead = true;
        };
        CacheDeletionCounts counts;
        AsTheButtonRunsIt([&](const DeletionProgress& progress) {
            counts = DeleteCacheFolders(lister, save,
                                        variant == kChecked ? LinkCheck::FinalPathInside : LinkCheck::None, progress,
                                        seams);
        });
        deleted = counts.data + counts.cache;
    } else {
        for (const char* folder : {"\\Data", "\\Cache"}) {
            std::string path = save + folder;
            deleted += variant == kBaseline ? BaselineDelete(path) : SameOrderDelete(path);
        }
    }
    double seconds = Seconds() - start;
    if (deleted != 2 * count) std::fprintf(stderr, "%s deleted %d of %d\n", kVariantNames[variant], deleted, 2 * count);
    SetCurrentDirectoryA(root.c_str());
    RemoveDirectoryA((save + "\\Data").c_str());
    RemoveDirectoryA((save + "\\Cache").c_str());
    RemoveDirectoryA(save.c_str());
    return seconds;
}

// The best of a few rounds per variant, the order of the variants turning each round, so
// that neither noise nor the file system's state after the previous set favours one. Above
// 200,000 files a folder only the command and then the baseline run, once each: the
// baseline's own search keeps much memory, which would count in the command's peak after it.
const int kLargeSet = 200000;
std::vector<double> Run(const std::string& root, int count) {
    std::vector<double> best(kVariants, std::numeric_limits<double>::quiet_NaN());
    if (count > kLargeSet) {
        for (Variant variant : {kCommand, kBaseline}) best[variant] = TimeVariant(variant, root, count);
        return best;
    }
    const int rounds = count <= 20000 ? 3 : 1;
    for (int round = 0; round < rounds; ++round)
        for (int i = 0; i < kVariants; ++i) {
            Variant variant = static_cast<Variant>((i + round) % kVariants);
            const double seconds = TimeVariant(variant, root, count);
            best[variant] = round == 0 ? seconds : std::min(best[variant], seconds);
        }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes = {10000, 100000};
    if (argc > 1) {
        sizes.clear();
        for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    }
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string root = std::string(temp) + "jvcc_benchmark_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(root.c_str(), nullptr);

    std::printf("seconds to empty Data and Cache of N files each (best of rounds); ratios to the baseline\n");
    std::printf("%8s | %8s | %10s | %15s | %15s | %s\n", "N", "baseline", "same-order", "command", "link check",
                "link check / same-order");
    std::vector<std::vector<double>> all;
    for (int size : sizes) {
        longestSilence = 0;
        commandPeak = 0;
        std::vector<double> f = Run(root, size);
        all.push_back(f);
        std::printf("%8d | %8.3f | %10.3f | %7.3f (%5.2f) | %7.3f (%5.2f) | %5.2f\n", size, f[kBaseline],
                    f[kSameOrder], f[kCommand], f[kCommand] / f[kBaseline], f[kChecked],
                    f[kChecked] / f[kBaseline], f[kChecked] / f[kSameOrder]);
        std::printf("%8s   longest silence of the command's window: %.0f ms\n", "", longestSilence * 1000);
        // One folder's names are held at a time.
        std::printf("%8s   working set while the command ran: at most %.1f MB, %.1f MB above its start "
                    "(%.0f bytes a name of one folder); process peak %.1f MB\n",
                    "", commandPeak, commandPeak - commandStart, (commandPeak - commandStart) * 1048576.0 / size,
                    WorkingSetMegabytes(true));
        std::printf("%8s   the network path's check before each entry: %.0f us a file\n", "",
                    (f[kNetwork] - f[kCommand]) * 1e6 / (2.0 * size));
        std::fflush(stdout);
    }
    if (all.size() >= 2) {
        const auto& small = all.front();
        const auto& large = all.back();
        std::printf("growth %d -> %d: baseline %.1fx, command %.1fx, link check %.1fx\n", sizes.front(),
                    sizes.back(), large[kBaseline] / small[kBaseline], large[kCommand] / small[kCommand],
                    large[kChecked] / small[kChecked]);
    }
    // A read that blocks for 3 s, as a share that does not answer may.
    longestSilence = 0;
    blockFirstRead = true;
    TimeVariant(kCommand, root, 1000);
    blockFirstRead = false;
    std::printf("with a read that blocks for 3 s, longest silence of the command's window: %.0f ms\n",
                longestSilence * 1000);
    std::printf("delete dispositions set by the command: %ld POSIX, %ld classic\n", posixDispositions,
                classicDispositions);
    std::printf("running under Wine: %s\n", RunningUnderWine() ? "yes" : "no");
    SetCurrentDirectoryA(temp);
    RemoveDirectoryA(root.c_str());
    return 0;
}
