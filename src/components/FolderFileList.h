#pragma once
// The folder lister the cache deletion rests on. Given a folder, it makes that folder the
// process current directory and holds the folder's admitted entries as bare names, so
// that each name, taken as a relative path, denotes the entry in that folder.
//
// The names live in plain memory, each held once, sorted without regard to case as a sorted
// list box would sort them; a read collects them first and sorts once, so large folders
// stay fast.
#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "base/TextArena.h"

class OpenedFolder;

enum TFileAttr { ftReadOnly, ftHidden, ftSystem, ftVolumeID, ftDirectory, ftArchive, ftNormal };

// A set of TFileAttr, one bit per member.
using TFileType = unsigned;
constexpr TFileType FileTypeOf(TFileAttr attr) { return 1u << attr; }

class FolderFileList {
public:
    // Folder starts as the process current directory of this moment.
    FolderFileList();

    const std::string& Folder() const { return folder_; }
    const std::string& Mask() const { return mask_; }
    void SetMask(const std::string& mask);
    TFileType FileType() const { return fileType_; }
    void SetFileType(TFileType fileType);

    // Reading any of these first makes the list exist (and read Folder).
    int Count();
    std::string Name(int index);
    int SelectedIndex();
    std::string SelectedName();
    std::string SelectedPath();

    // Moves the lister to the folder a path names (and selects or masks its file part).
    void ApplyPath(const std::string& path);
    // Re-reads the names from Folder, entering it.
    void ReadNames();
    // Lists a folder that is already open through its handle, never by its path; path
    // becomes Folder and the current directory stays as it is. Names are admitted, formed and
    // sorted as ReadNames does; a name whose code page form is longer than a search reports
    // is left out. tick is called once per entry read and per name sorted, so that a caller
    // can report progress; it may run on any thread, and sets no cursor. False when the
    // folder could not be read to its end.
    bool ReadOpenedFolder(const std::string& path, const OpenedFolder& folder,
                          const std::function<void()>& tick = {});
    void SelectName(const std::string& name);
    // Forgets the names and gives back their memory; the list is empty until read again.
    void Clear();

    struct SplitResult {
        char drive;  // 0: none
        std::string folder;
        std::string file;
    };
    // Splits a path into drive, folder and file part, entering folders on the way to tell
    // folders from files; the current directory is restored when it still exists.
    SplitResult SplitPath(const std::string& path);

    static bool FolderExists(const std::string& path);
    static bool PlainFileExists(const std::string& name);
    static std::string JoinPath(const std::string& folder, const std::string& name);

private:
    void EnsureList();
    // Keeps a name read; false when there is no memory left for it.
    bool Add(const std::string& name);
    // Lists the count names kept, once the read is over: a list that grew while the system's
    // own read of the folder still held its memory would have cost twice its size at once.
    // False (and no names) when there is no memory for the list.
    bool IndexNames(std::size_t count);
    void ChangeFolder(const std::string& newFolder);

    std::string folder_;
    std::string mask_ = "*.*";
    TFileType fileType_ = FileTypeOf(ftNormal);
    TextArena text_;                  // the names' bytes
    std::vector<const char*> names_;  // in the list's order
    int selected_ = -1;
    bool listExists_ = false;
};
