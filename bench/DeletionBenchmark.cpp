// Times the delete button's own code path on N files in each of Data and Cache, against a
// plain FindFirstFileA/DeleteFileA loop over an identical set measured in the same run.
// Prints figures only; it asserts nothing.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>
#include "components/FileNames.h"
#include "components/FolderFileList.h"
#include "forms/CacheDeletion.h"

namespace {

double Seconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Fill(const std::string& folder, int count) {
    CreateDirectoryA(folder.c_str(), nullptr);
    for (int i = 0; i < count; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "\\%08d_JVDATA.jvd", (i * 7919) % count);
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

struct Figures {
    double baseline, command, checked;
};

Figures Run(const std::string& root, int count) {
    Figures figures{};
    std::string baseline = MakeSavePath(root, "baseline", count);
    std::string command = MakeSavePath(root, "command", count);
    std::string checked = MakeSavePath(root, "checked", count);
    SetCurrentDirectoryA(root.c_str());

    double start = Seconds();
    int deleted = BaselineDelete(baseline + "\\Data") + BaselineDelete(baseline + "\\Cache");
    figures.baseline = Seconds() - start;
    if (deleted != 2 * count) std::fprintf(stderr, "baseline deleted %d\n", deleted);

    for (auto [save, check, seconds] :
         {std::make_tuple(command, LinkCheck::None, &figures.command),
          std::make_tuple(checked, LinkCheck::FinalPathInside, &figures.checked)}) {
        SetCurrentDirectoryA(root.c_str());
        FolderFileList lister;
        start = Seconds();
        deleted = 0;
        for (const char* folder : {"\\Data", "\\Cache"})
            if (FolderFileList::FolderExists(save + folder)) deleted += DeleteListedFiles(lister, save + folder, check);
        *seconds = Seconds() - start;
        if (deleted != 2 * count) std::fprintf(stderr, "command deleted %d\n", deleted);
    }
    SetCurrentDirectoryA(root.c_str());
    for (const std::string& save : {baseline, command, checked}) {
        RemoveDirectoryA((save + "\\Data").c_str());
        RemoveDirectoryA((save + "\\Cache").c_str());
        RemoveDirectoryA(save.c_str());
    }
    return figures;
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

    std::printf("files per folder | baseline s | command s (ratio) | with link check s (ratio)\n");
    std::vector<Figures> all;
    for (int size : sizes) {
        Figures f = Run(root, size);
        all.push_back(f);
        std::printf("%16d | %10.3f | %9.3f (%.2f) | %17.3f (%.2f)\n", size, f.baseline, f.command,
                    f.command / f.baseline, f.checked, f.checked / f.baseline);
        std::fflush(stdout);
    }
    if (all.size() >= 2) {
        const Figures& small = all.front();
        const Figures& large = all.back();
        std::printf("growth %d -> %d files: baseline %.1fx, command %.1fx, with link check %.1fx\n",
                    sizes.front(), sizes.back(), large.baseline / small.baseline,
                    large.command / small.command, large.checked / small.checked);
    }
    std::printf("running under Wine: %s\n", RunningUnderWine() ? "yes" : "no");
    SetCurrentDirectoryA(temp);
    RemoveDirectoryA(root.c_str());
    return 0;
}
