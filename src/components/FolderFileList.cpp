#include "components/FolderFileList.h"

#include <windows.h>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <shlwapi.h>
#include "base/AnsiPath.h"
#include "base/OpenedFolder.h"
#include "base/Exception.h"
#include "components/FileNames.h"

namespace {

const DWORD kExcludedAlways = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 0x08 /* volume label */ |
                              FILE_ATTRIBUTE_DIRECTORY;
const DWORD kAttributeBits[] = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20};  // ftReadOnly .. ftArchive
// Once a read has this many names, the busy cursor shows until it ends.
const std::size_t kBusyCursorAfter = 100;

void Enter(const std::string& directory) {
    if (!SetCurrentDirectoryA(directory.c_str())) throw EInOutError(GetLastError());
}

// The mask's patterns, left to right; an empty one (as after a trailing ";") finds nothing.
std::vector<std::string> PatternsOf(const std::string& mask) {
    std::vector<std::string> patterns;
    for (std::string::size_type start = 0; start <= mask.size();) {
        auto end = mask.find(';', start);
        if (end == std::string::npos) end = mask.size();
        if (end > start) patterns.push_back(mask.substr(start, end - start));
        start = end + 1;
    }
    return patterns;
}

bool HasWildcard(const std::string& text) {
    return text.find_first_of("*?") != std::string::npos;
}

// Shows the busy cursor from the moment a long read passes kBusyCursorAfter names, and
// puts the previous cursor back when the read ends, however it ends.
class BusyCursorWhileLong {
public:
    void Passed(std::size_t count) {
        if (shown_ || count <= kBusyCursorAfter) return;
        previous_ = SetCursor(LoadCursor(nullptr, IDC_WAIT));
        shown_ = true;
    }
    ~BusyCursorWhileLong() {
        if (shown_) SetCursor(previous_);
    }
private:
    bool shown_ = false;
    HCURSOR previous_ = nullptr;
};

// Sorts without regard to case in the user's locale, as a sorted list box places its
// strings. One sort key per name keeps a sort of many names fast; the keys go once the
// order is known.
void SortNames(std::vector<const char*>& names, const std::function<void()>& tick = {}) {
    TextArena keyText;
    std::vector<const char*> keys(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (tick) tick();
        const int length = static_cast<int>(std::strlen(names[i]));
        const int size = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, names[i], length,
                                      nullptr, 0);
        char* key = keyText.Allocate(size > 0 ? static_cast<std::size_t>(size) : 1);
        if (size <= 0 || !LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, names[i], length,
                                       key, size))
            key[0] = '\0';
        keys[i] = key;
    }
    std::vector<std::uint32_t> order(names.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::uint32_t>(i);
    std::stable_sort(order.begin(), order.end(),
                     [&keys](std::uint32_t a, std::uint32_t b) { return std::strcmp(keys[a], keys[b]) < 0; });
    std::vector<const char*> sorted(names.size());
    for (std::size_t i = 0; i < order.size(); ++i) sorted[i] = names[order[i]];
    names.swap(sorted);
}

// Which entries a list of a file type shows, by their attributes: any not always excluded
// (unless asked for) when it takes normal files, else only those with an attribute it asks.
class Admission {
public:
    explicit Admission(TFileType fileType) : all_((fileType & FileTypeOf(ftNormal)) != 0) {
        for (int attr = ftReadOnly; attr <= ftArchive; ++attr)
            if (fileType & FileTypeOf(static_cast<TFileAttr>(attr))) asked_ |= kAttributeBits[attr];
        excluded_ = kExcludedAlways & ~asked_;
    }
    bool operator()(DWORD attributes) const { return !(attributes & excluded_) && (all_ || (attributes & asked_)); }

private:
    bool all_;
    DWORD asked_ = 0;
    DWORD excluded_ = 0;
};

// A name as the list holds it: a folder's in brackets.
std::string Listed(const std::string& name, DWORD attributes) {
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? "[" + name + "]" : name;
}

}  // namespace

FolderFileList::FolderFileList() : folder_(CurrentDirectory()) {}

bool FolderFileList::FolderExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderFileList::PlainFileExists(const std::string& name) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(name.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    FILETIME local;
    WORD date, time;
    return FileTimeToLocalFileTime(&found.ftLastWriteTime, &local) &&
           FileTimeToDosDateTime(&local, &date, &time);
}

std::string FolderFileList::JoinPath(const std::string& folder, const std::string& name) {
    return EndsWithCharacter(folder, '\\') ? folder + name : folder + "\\" + name;
}

void FolderFileList::EnsureList() {
    if (listExists_) return;
    listExists_ = true;
    ReadNames();
}

int FolderFileList::Count() {
    EnsureList();
    return static_cast<int>(names_.size());
}

std::string FolderFileList::Name(int index) {
    EnsureList();
    return names_.at(static_cast<std::size_t>(index));
}

int FolderFileList::SelectedIndex() {
    EnsureList();
    return selected_;
}

std::string FolderFileList::SelectedName() {
    EnsureList();
    return selected_ < 0 ? std::string() : std::string(names_[static_cast<std::size_t>(selected_)]);
}

std::string FolderFileList::SelectedPath() {
    std::string name = SelectedName();
    return name.empty() ? std::string() : JoinPath(folder_, name);
}

void FolderFileList::SetMask(const std::string& mask) {
    if (mask == mask_) return;
    mask_ = mask;
    ReadNames();
}

void FolderFileList::SetFileType(TFileType fileType) {
    if (fileType == fileType_) return;
    fileType_ = fileType;
    ReadNames();
}

void FolderFileList::ReadNames() {
    if (!listExists_) return;
    const Admission admits(fileType_);

    Enter(folder_);
    Clear();

    BusyCursorWhileLong busy;
    std::size_t read = 0;
    bool full = false;
    for (const std::string& pattern : PatternsOf(mask_)) {
        if (full) break;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(pattern.c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) continue;
        do {
            if (!admits(found.dwFileAttributes)) continue;
            if (!Add(Listed(found.cFileName, found.dwFileAttributes))) {
                full = true;
                break;
            }
            busy.Passed(++read);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    if (!IndexNames(read)) full = true;
    SortNames(names_);
    if (full) throw EOutOfResources("行を挿入できません");
}

bool FolderFileList::ReadOpenedFolder(const std::string& path, const OpenedFolder& folder,
                                      const std::function<void()>& tick) {
    const Admission admits(fileType_);
    listExists_ = true;
    // As entering it would have recorded it: full, with doubled separators made one.
    char fullPath[MAX_PATH * 2];
    DWORD length = GetFullPathNameA(path.c_str(), sizeof fullPath, fullPath, nullptr);
    folder_ = length > 0 && length < sizeof fullPath ? std::string(fullPath, length) : path;
    Clear();

    std::vector<std::wstring> patterns;
    for (const std::string& pattern : PatternsOf(mask_)) patterns.push_back(AnsiToWide(pattern));
    // No busy cursor here: this read runs on a worker thread, and only the window's thread
    // sets the cursor.
    std::size_t read = 0;
    bool full = false;
    const bool complete = folder.ForEachEntry([&](const std::wstring& name, DWORD attributes) {
        if (tick) tick();
        if (full || !admits(attributes)) return;
        // As a search in the code page reports it: best fit, at most MAX_PATH - 1 bytes.
        const std::string text = WideToAnsi(name);
        if (text.empty() || text.size() >= MAX_PATH) return;
        for (const std::wstring& pattern : patterns) {
            if (pattern != L"*" && pattern != L"*.*" && !PathMatchSpecW(name.c_str(), pattern.c_str())) continue;
            if (!Add(Listed(text, attributes))) {
                full = true;
                return;
            }
            ++read;
        }
    });
    if (!IndexNames(read)) full = true;
    SortNames(names_, tick);
    if (full) throw EOutOfResources("行を挿入できません");
    return complete;
}

bool FolderFileList::Add(const std::string& name) {
    try {
        text_.Keep(name.data(), name.size());
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool FolderFileList::IndexNames(std::size_t count) {
    try {
        names_.reserve(count);
    } catch (const std::bad_alloc&) {
        text_.Clear();
        return false;
    }
    text_.ForEachKept([this](const char* name) { names_.push_back(name); });
    return true;
}

void FolderFileList::Clear() {
    std::vector<const char*>().swap(names_);
    text_.Clear();
    selected_ = -1;
}

void FolderFileList::SelectName(const std::string& name) {
    if (SameFileName(name, SelectedName())) return;
    // As a list box's exact search started after the first entry: the second entry to
    // the last, then the first.
    const int count = static_cast<int>(names_.size());
    selected_ = -1;
    for (int step = 1; step <= count; ++step) {
        int index = step % count;
        if (SameTextIgnoringCase(names_[static_cast<std::size_t>(index)], name)) {
            selected_ = index;
            return;
        }
    }
}

FolderFileList::SplitResult FolderFileList::SplitPath(const std::string& path) {
    const std::string saved = CurrentDirectory();
    SplitResult result{saved.empty() ? '\0' : saved[0], path, {}};
    std::string root;
    if (!path.empty() && path[0] == '[' && EndsWithCharacter(path, ']')) {
        result.folder = path.substr(1, path.size() >= 2 ? path.size() - 2 : 0);
    } else {
        root = DrivePrefix(result.folder);
        if (root.empty()) root = DrivePrefix(saved);
        else result.folder.erase(0, root.size());
        result.drive = root.size() >= 2 && root[1] == ':' ? root[0] : '\0';
    }

    try {
        if (FolderExists(root)) Enter(root);
        std::string& folder = result.folder;
        std::string& file = result.file;
        auto last = LastDelimiter(folder, "\\:");
        file = last == std::string::npos ? folder : folder.substr(last + 1);
        if (folder.size() == file.size() + 1) {
            folder = "\\";
        } else if (folder.size() > file.size()) {
            folder.erase(folder.size() - file.size() - 1);
        } else {
            std::string current = CurrentDirectory();
            current.erase(0, DrivePrefix(current).size());
            folder = current.empty() ? "\\" : current;
        }
        if (!folder.empty()) Enter(folder);
        if (!file.empty() && !HasWildcard(file) && !PlainFileExists(file)) {
            Enter(file);
            folder = folder.size() == 1 ? "\\" + file : folder + "\\" + file;
            file.clear();
        }
        if (result.drive == '\0') folder = root + folder;
    } catch (...) {
        if (FolderExists(saved)) SetCurrentDirectoryA(saved.c_str());
        throw;
    }
    if (FolderExists(saved)) Enter(saved);
    return result;
}

void FolderFileList::ChangeFolder(const std::string& newFolder) {
    if (SameFileName(newFolder, folder_)) return;
    if (FolderExists(folder_)) Enter(folder_);
    Enter(newFolder);
    folder_ = CurrentDirectory();
    ReadNames();
}

void FolderFileList::ApplyPath(const std::string& path) {
    if (SameFileName(path, SelectedPath())) return;
    if (path.empty()) return;
    SplitResult split = SplitPath(path);
    std::string newFolder =
        split.drive ? std::string(1, split.drive) + ":" + split.folder : split.folder;
    ChangeFolder(newFolder);
    if (HasWildcard(split.file)) {
        SetMask(split.file);
    } else if (!split.file.empty()) {
        SelectName(split.file);
        if (!PlainFileExists(split.file)) throw EInvalidOperation("不正なファイル名 - " + path);
        if (SelectedName().empty()) {
            SetMask(split.file);
            SelectName(split.file);
        }
    }
}
