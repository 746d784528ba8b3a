#include "DeletionCampaign.h"

#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include "OpenedAsWindowsDoes.h"
#include "TestFiles.h"
#include "components/FileNames.h"
#include "base/AnsiPath.h"
#include "components/FolderFileList.h"
#include "forms/DeletionWorker.h"

namespace {

// splitmix64: the same numbers from a seed with every compiler, which <random>'s
// distributions do not promise.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
    bool Percent(int p) { return Below(100) < p; }
    template <class T, std::size_t N>
    const T& Pick(const T (&items)[N]) { return items[Below(static_cast<int>(N))]; }
    template <class T>
    const T& Pick(const std::vector<T>& items) { return items[Below(static_cast<int>(items.size()))]; }

private:
    std::uint64_t state_;
};

const DWORD kProtected = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
const DWORD kCompared = FILE_ATTRIBUTE_READONLY | kProtected;

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                   nullptr);
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &result[0], size, nullptr, nullptr);
    return result;
}

// UTF-8 for reports, control characters (NUL too) as \xNN.
std::string Shown(const std::wstring& text) {
    std::string shown;
    for (unsigned char byte : Utf8(text)) {
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        } else {
            shown += static_cast<char>(byte);
        }
    }
    return shown;
}

std::string Attributes(DWORD attributes) {
    std::string letters;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) letters += 'D';
    if (attributes & FILE_ATTRIBUTE_READONLY) letters += 'R';
    if (attributes & FILE_ATTRIBUTE_HIDDEN) letters += 'H';
    if (attributes & FILE_ATTRIBUTE_SYSTEM) letters += 'S';
    return letters.empty() ? "-" : letters;
}

// Keys name entries relative to the round's folder, joined by "/": a name made from Linux
// may hold "\", never "/".
std::wstring Join(const std::wstring& folder, const std::wstring& name) {
    return folder.empty() ? name : folder + L"/" + name;
}
std::wstring ParentOf(const std::wstring& key) {
    auto slash = key.rfind(L'/');
    return slash == std::wstring::npos ? std::wstring() : key.substr(0, slash);
}
std::wstring NameOf(const std::wstring& key) { return key.substr(key.rfind(L'/') + 1); }
bool IsInside(const std::wstring& key, const std::wstring& folder) {
    return folder.empty() || key.compare(0, folder.size() + 1, folder + L"/") == 0;
}

// Whether the ANSI functions reach exactly this entry by its listed name: the name has its
// own code page 932 form (no default character, no best fit), names no wildcard or path, and
// loses nothing to the Win32 rule that strips a trailing dot or space.
bool AnsiNameIsExact(const std::wstring& name) {
    BOOL usedDefault = FALSE;
    const int length = static_cast<int>(name.size());
    int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.data(), length, nullptr, 0, nullptr,
                                   &usedDefault);
    if (size <= 0 || usedDefault) return false;
    std::string ansi(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.data(), length, &ansi[0], size, nullptr, &usedDefault);
    std::wstring back(name.size() * 2 + 1, L'\0');
    back.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, &back[0], static_cast<int>(back.size()))));
    if (usedDefault || back != name) return false;
    // After an exact round trip these are whole characters (a 0x5C trail byte is not "\").
    if (name.find_first_of(L"?*\\/:") != std::wstring::npos) return false;
    return name.back() != L'.' && name.back() != L' ';
}

struct Node {
    DWORD attributes;
    std::string content;
};
using Tree = std::map<std::wstring, Node>;

enum class ZoneKind { Missing, Folder, Moved, Looping };

// Data or Cache, or its copy in VirtualStore: where its entries really are.
struct Zone {
    std::wstring name;   // "Data" or "Cache"
    std::wstring named;  // <save>/<name>, or <VirtualStore copy of save>/<name>
    std::wstring key;    // the folder it resolves to
    ZoneKind kind = ZoneKind::Missing;
    std::vector<std::wstring> plain, files, folders, inner;  // for links, locks and "¥" names
    std::set<std::wstring> used;                            // names taken, without regard to case
    bool store = false;  // a VirtualStore copy: its stayed files count with Data's or Cache's
    bool Deletable() const { return kind == ZoneKind::Folder || kind == ZoneKind::Moved; }
};

// Where the round keeps its user's local application data, below which VirtualStore is.
std::wstring roundLocalAppData;
std::wstring RoundLocalAppData() { return roundLocalAppData; }
// The round's tree stands for a folder that Windows virtualizes, such as Program Files.
std::wstring roundRoot;
std::vector<std::wstring> RoundVirtualized() { return {roundRoot}; }

const wchar_t* const kStems[] = {
    L"JV", L"cache", L"RACE", L"0B15", L"\u8868" /* 表 */, L"\u30BD" /* ソ */, L"\u80FD" /* 能 */,
    L"\u4E88" /* 予 */, L"\u5341" /* 十 */, L"\u8868\u30BD\u80FD\u4E88\u5341", L"\uFF71\uFF72" /* ｱｲ */,
    L"data file", L"x.y", L" lead", L"\u30C7\u30FC\u30BF" /* データ */};
const wchar_t* const kExtensions[] = {L".jvd", L".dat", L"", L".TXT", L".tmp", L".\u8868"};

// A name whose code page 932 best fit is another name: the second may be there, protected.
const struct {
    const wchar_t* odd;
    const wchar_t* fit;
} kLookAlikes[] = {{L"f\u00F6", L"fo"}, {L"\u00E9", L"e"}, {L"ma\u00F1ana", L"manana"}, {L"\u00FCber", L"uber"}};

class Round {
public:
    Round(std::uint64_t seed, LinkCheck mode, int maxEntries)
        : random_(seed), seed_(seed), mode_(mode), maxEntries_(maxEntries), wine_(mode == LinkCheck::FinalPathInside) {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        temp_ = temp;
        if (!temp_.empty() && temp_.back() == L'\\') temp_.pop_back();
        static int counter = 0;
        const std::wstring base = L"jvcc_campaign_" + std::to_wstring(GetCurrentProcessId()) + L"_";
        for (;;) {
            name_ = base + std::to_wstring(++counter);
            root_ = temp_ + L"\\" + name_;
            if (CreateDirectoryW(root_.c_str(), nullptr)) break;
            if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("no temporary folder");
        }
        unixTemp_ = UnixPath(Utf8(temp_));  // the temporary folder's path is plain ASCII
    }
    ~Round() {
        for (HANDLE lock : locks_) CloseHandle(lock);
        // From Linux: Wine's own delete would follow the links out of the tree.
        try {
            RunScript("rm -rf '" + unixTemp_ + "/" + Utf8(name_) + "'\n");
        } catch (const std::exception&) {
            // A folder left in the temporary folder is no reason to stop.
        }
    }

    void Build(CampaignRound& round);
    void Run(CampaignRound& round);
    void Judge(CampaignRound& round, const Tree& before, const Tree& after) const;
    Tree Scan() const {
        Tree tree;
        ScanFolder(L"", tree);
        return tree;
    }
    void ReleaseLocks() {
        for (HANDLE lock : locks_) CloseHandle(lock);
        locks_.clear();
    }
    std::string Listing(const CampaignRound& round, const Tree& before) const;

private:
    std::wstring Win(const std::wstring& key) const {
        std::wstring path = L"\\\\?\\" + root_;  // exact names: no stripping of dots or spaces
        if (!key.empty()) path += L"\\" + key;
        for (std::size_t i = path.size() - key.size(); i < path.size(); ++i)
            if (path[i] == L'/') path[i] = L'\\';
        return path;
    }
    std::string Content(const std::wstring& key) const { return Utf8(key) + " #" + std::to_string(seed_); }
    // For the shell: between single quotes, each quote as '\''.
    static std::string Quoted(const std::string& text) {
        std::string quoted = "'";
        for (char ch : text) quoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
        return quoted + "'";
    }
    static std::string Quoted(const std::wstring& key) { return Quoted(Utf8(key)); }

    void MakeFolder(const std::wstring& key) {
        if (!CreateDirectoryW(Win(key).c_str(), nullptr)) throw std::runtime_error("cannot make " + Shown(key));
    }
    void MakeFile(const std::wstring& key, DWORD attributes = 0) {
        HANDLE file = CreateFileW(Win(key).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot make " + Shown(key));
        const std::string content = Content(key);
        DWORD written = 0;
        WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        CloseHandle(file);
        if (attributes) SetFileAttributesW(Win(key).c_str(), attributes);
        inode_[key] = key;
    }
    void UnixFile(const std::wstring& key) {
        script_ += "printf %s " + Quoted(Content(key)) + " > " + Quoted(key) + "\n";
        notes_[key] = "made from Linux";
        inode_[key] = key;
    }
    void UnixLink(const std::wstring& key, const std::wstring& target) {
        script_ += "ln -s \"$R\"" + (target.empty() ? "" : "/" + Quoted(target)) + " " + Quoted(key) + "\n";
        links_[key] = target;
        notes_[key] = "Unix symbolic link to " + (target.empty() ? "the campaign folder" : Shown(target));
        features_ |= kUnixLinks;
    }
    void HardLink(const std::wstring& key, const std::wstring& target) {
        if (!CreateHardLinkW(Win(key).c_str(), Win(target).c_str(), nullptr))
            throw std::runtime_error("cannot link " + Shown(key));
        inode_[key] = inode_.at(target);
        notes_[key] = "hard link to " + Shown(target);
        features_ |= kHardLinks;
    }
    // Holds a file open as a program using it would: without delete sharing every name of
    // the same file stays; with it the file goes once the program closes it.
    void Lock(const std::wstring& key, bool deleteSharing) {
        HANDLE file = CreateFileW(Win(key).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | (deleteSharing ? FILE_SHARE_DELETE : 0),
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + Shown(key));
        locks_.push_back(file);
        for (const auto& name : inode_)
            if (name.second == inode_.at(key)) {
                (deleteSharing ? pending_ : locked_).insert(name.first);
                const char* note = deleteSharing ? "held open with delete sharing" : "held open";
                notes_[name.first] += notes_[name.first].empty() ? note : std::string(", ") + note;
            }
        features_ |= deleteSharing ? kDeleteSharedLock : kLockedFile;
    }

    // Runs a shell script on the Linux side and waits for it: Wine does not wait for a Unix
    // child, so the script leaves a marker last. Errors it printed fail the round.
    void RunScript(const std::string& body) {
        const std::wstring script = temp_ + L"\\" + name_ + L".sh", marker = temp_ + L"\\" + name_ + L".done",
                           log = temp_ + L"\\" + name_ + L".log";
        const std::string unixBase = unixTemp_ + "/" + Utf8(name_);
        WriteTextFileW(script, "exec 2>'" + unixBase + ".log'\n(\n" + body + ")\ntouch '" + unixBase + ".done'\n");
        if (!RunUnixProgram("/bin/sh", "\"" + unixBase + ".sh\"")) throw std::runtime_error("cannot start /bin/sh");
        for (int waited = 0; GetFileAttributesW(marker.c_str()) == INVALID_FILE_ATTRIBUTES; waited += 5) {
            if (waited > 30000) throw std::runtime_error("the Linux side did not finish");
            Sleep(5);
        }
        std::string errors = ReadWholeFile(log);
        DeleteFileW(script.c_str());
        DeleteFileW(marker.c_str());
        DeleteFileW(log.c_str());
        if (!errors.empty()) throw std::runtime_error("the Linux side failed: " + errors);
    }

    void ScanFolder(const std::wstring& key, Tree& tree) const {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((Win(key) + L"\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return;
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = Join(key, name);
            Node& node = tree[child];
            node.attributes = found.dwFileAttributes & kCompared;
            // Links are never followed (they may loop); what they lead to is scanned where
            // it is. A name holding "\" has no Win32 path.
            const bool link = links_.count(child) || (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
            if (link || name.find(L'\\') != std::wstring::npos) continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ScanFolder(child, tree);
            else node.content = ReadWholeFile(Win(child));
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }

    std::wstring Fresh(Zone& zone, const std::wstring& name) {
        std::wstring lowered = name;
        CharLowerBuffW(&lowered[0], static_cast<DWORD>(lowered.size()));
        if (!zone.used.insert(lowered).second) return {};
        ++entries_;
        return Join(zone.key, name);
    }
    std::wstring PlainName(int n) {
        std::wstring name = std::wstring(random_.Percent(3) ? L"." : L"") + random_.Pick(kStems) + L"_" +
                            std::to_wstring(n) + random_.Pick(kExtensions);
        return name;
    }
    void AddFile(Zone& zone, const std::wstring& name, DWORD attributes) {
        std::wstring key = Fresh(zone, name);
        if (key.empty()) return;
        MakeFile(key, attributes);
        zone.files.push_back(key);
        if (!attributes && name[0] != L'.') zone.plain.push_back(key);
    }
    void AddEntry(Zone& zone);
    void FillZone(Zone& zone);
    void MakeZone(Zone& zone);

    Random random_;
    const std::uint64_t seed_;
    const LinkCheck mode_;
    const int maxEntries_;
    const bool wine_;  // Unix symbolic links and case twins only where Wine runs the deletion
    std::wstring temp_, name_, root_;
    std::string unixTemp_, script_;
    std::wstring parent_, save_, savePath_;
    bool odd_ = false, unconvertible_ = false;
    std::vector<std::wstring> sentinels_, own_;
    Zone zones_[4];          // Data, Cache, then their VirtualStore copies
    std::wstring storeSave_;  // the save path's VirtualStore copy, a key
    std::wstring question_;
    std::map<std::wstring, std::wstring> links_;  // link -> target
    std::map<std::wstring, std::wstring> inode_;  // name -> first name of the same file
    std::map<std::wstring, std::string> notes_;
    std::set<std::wstring> locked_, pending_;  // held open without and with delete sharing
    std::vector<HANDLE> locks_;
    unsigned features_ = 0;
    int entries_ = 0, serial_ = 0;
    CacheDeletionCounts counts_;
    bool refused_ = false;
    std::string error_;
};

void Round::Build(CampaignRound& round) {
    // Sentinels above and beside the save path, and targets for links from inside it.
    const wchar_t* const parents[] = {L"JV", L"\u8868\u30BD", L"jv data"};
    const wchar_t* const saves[] = {L"save", L"JVLink", L"\u80FD\u4E88\u5341", L"Data Lab"};
    parent_ = random_.Pick(parents);
    save_ = Join(parent_, random_.Pick(saves));
    if (random_.Percent(3)) {
        const wchar_t* const unconvertible[] = {L"caf\u00E9", L"a\u00A5..\u00A5b"};
        save_ = Join(parent_, random_.Pick(unconvertible));
        unconvertible_ = true;
        features_ |= kUnconvertibleSavePath;
    }
    for (const wchar_t* folder : {L"beside", L"beside/deep", L"outside", L"outside/folder"}) MakeFolder(folder);
    MakeFolder(parent_);
    MakeFolder(save_);
    MakeFolder(Join(save_, L"backup"));
    const struct {
        std::wstring key;
        DWORD attributes;
    } fixed[] = {
        {L"above.dat", 0}, {L"above-hidden.dat", FILE_ATTRIBUTE_HIDDEN}, {L"beside/beside.dat", 0},
        {L"beside/deep/deep.dat", FILE_ATTRIBUTE_READONLY}, {L"outside/t0.dat", 0}, {L"outside/t1.dat", 0},
        {L"outside/t2.dat", FILE_ATTRIBUTE_READONLY}, {L"outside/t3.dat", FILE_ATTRIBUTE_HIDDEN},
        {L"outside/folder/inner.dat", 0}, {Join(parent_, L"sibling.dat"), 0},
        // The user's own files in the save path.
        {Join(save_, L"x"), 0}, {Join(save_, L"own.dat"), 0}, {Join(save_, L"user.ini"), 0},
        {Join(save_, L"race.mdb"), FILE_ATTRIBUTE_READONLY},
        {Join(save_, L"desktop.ini"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
        {Join(save_, L"backup/old.dat"), 0},
    };
    for (const auto& file : fixed) {
        MakeFile(file.key, file.attributes);
        (IsInside(file.key, save_) ? own_ : sentinels_).push_back(file.key);
    }

    savePath_ = root_ + L"\\" + save_;
    for (wchar_t& ch : savePath_)
        if (ch == L'/') ch = L'\\';
    if (random_.Percent(10)) savePath_ += L"\\";
    const int odd = random_.Below(100);
    if (odd < 3) {
        const wchar_t* const tails[] = {L"x", L"\\Data", L"\\..\\..", L"\\Cache"};
        savePath_ += std::wstring(1, L'\0') + random_.Pick(tails);
        features_ |= kNulInSavePath;
        odd_ = true;
    } else if (odd < 5) {
        const wchar_t controls[] = {L'\x01', L'\t', L'\n', L'\r', L'\x1B', L'\x1F', L'\x7F'};
        const wchar_t control = random_.Pick(controls);
        switch (random_.Below(3)) {
        case 0: savePath_ += std::wstring(L"\\") + control + L"\\.."; break;  // resolves to the save path
        case 1: savePath_ += control; break;
        default: savePath_.insert(3 + random_.Below(static_cast<int>(savePath_.size()) - 2), 1, control);
        }
        features_ |= kControlInSavePath;
        odd_ = true;
    }

    zones_[0].name = zones_[2].name = L"Data";
    zones_[1].name = zones_[3].name = L"Cache";
    zones_[2].store = zones_[3].store = true;
    MakeZone(zones_[0]);
    MakeZone(zones_[1]);
    // A program that wrote below a folder it may not write left its copies in VirtualStore.
    // They draw from a generator of their own, so that every other draw of a seed stays.
    Random main = random_;
    random_ = Random(seed_ ^ 0x5649525455414Cull);
    const bool store = !odd_ && !unconvertible_ && random_.Percent(40);
    if (store) {
        storeSave_ = L"Local/VirtualStore" + savePath_.substr(2);
        while (storeSave_.back() == L'\\') storeSave_.pop_back();
        for (wchar_t& ch : storeSave_)
            if (ch == L'\\') ch = L'/';
        for (std::wstring::size_type slash = 0; (slash = storeSave_.find(L'/', slash + 1)) != std::wstring::npos;)
            if (GetFileAttributesW(Win(storeSave_.substr(0, slash)).c_str()) == INVALID_FILE_ATTRIBUTES)
                MakeFolder(storeSave_.substr(0, slash));
        MakeFolder(storeSave_);
        features_ |= kVirtualStore;
        MakeZone(zones_[2]);
        MakeZone(zones_[3]);
    }
    std::swap(main, random_);
    if (!script_.empty()) RunScript("cd '" + unixTemp_ + "/" + Utf8(name_) + "' || exit 1\nR=$(pwd)\n" + script_);
    for (Zone& zone : zones_) {
        if (&zone == &zones_[2]) std::swap(main, random_);
        if (!zone.plain.empty() && random_.Percent(25)) Lock(random_.Pick(zone.plain), false);
        if (!zone.plain.empty() && random_.Percent(20)) Lock(random_.Pick(zone.plain), true);
    }
    if (zones_[1].kind == ZoneKind::Looping && !zones_[0].plain.empty()) features_ |= kLoopAfterFullData;
    round.savePath = Shown(savePath_);
    round.entries = entries_;
    round.features = features_;
}

void Round::MakeZone(Zone& zone) {
    zone.named = Join(zone.store ? storeSave_ : save_, zone.name);
    const int roll = random_.Below(100);
    if (roll < 10) return;  // missing
    if (roll < 20) {  // the folder's own link is followed on Windows too
        const int target = random_.Below(10);
        if (target < 4) {
            zone.kind = ZoneKind::Moved;
            zone.key = L"moved-" + zone.name + (zone.store ? L"-copy" : L"");
            MakeFolder(zone.key);
            features_ |= kMovedFolder;
        } else {
            zone.kind = ZoneKind::Looping;
            zone.key = target < 7 ? (zone.store && target < 5 ? storeSave_ : save_) : target < 9 ? parent_ : L"";
            features_ |= kLoopingLink;
        }
        UnixLink(zone.named, zone.key);
    } else {
        zone.kind = ZoneKind::Folder;
        zone.key = zone.named;
        MakeFolder(zone.key);
    }
    if (zone.Deletable()) FillZone(zone);
}

void Round::FillZone(Zone& zone) {
    const int roll = random_.Below(100);
    const int draws = roll < 12   ? 0
                      : roll < 65 ? 1 + random_.Below(std::min(maxEntries_, 25))
                      : roll < 90 ? random_.Below(std::min(maxEntries_, 100) + 1)
                                  : random_.Below(maxEntries_ + 1);
    for (int i = 0; i < draws; ++i) AddEntry(zone);
}

void Round::AddEntry(Zone& zone) {
    const int n = ++serial_;
    const std::wstring suffix = L"_" + std::to_wstring(n);
    int roll = random_.Below(100);
    // Where the deletion runs on Windows there are no Unix links nor case twins.
    if (!wine_ && ((roll >= 51 && roll < 59) || (roll >= 74 && roll < 78))) roll = 0;
    if (roll < 30 || roll >= 97) {
        AddFile(zone, PlainName(n), 0);
    } else if (roll >= 94) {  // a device's name, made from Linux: it must never be opened
        const wchar_t* const devices[] = {L"nul.", L"COM1.", L"aux.", L"CON.", L"lpt2 .", L"conin$.", L"Prn."};
        std::wstring key = Fresh(zone, random_.Pick(devices) + std::to_wstring(n) + random_.Pick(kExtensions));
        if (!key.empty()) UnixFile(key);
        features_ |= kDeviceNames;
    } else if (roll < 47) {
        const DWORD attributes[] = {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM,
                                    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY};
        AddFile(zone, PlainName(n), random_.Pick(attributes));
    } else if (roll < 51) {  // a sub-folder with files, perhaps one more level down
        std::wstring folder = Fresh(zone, random_.Percent(50) ? L"sub" + suffix : PlainName(n));
        if (folder.empty()) return;
        MakeFolder(folder);
        zone.folders.push_back(folder);
        for (int i = random_.Below(3); i >= 0; --i) {
            std::wstring file = Join(folder, L"in" + std::to_wstring(i) + L".dat");
            MakeFile(file, random_.Percent(20) ? FILE_ATTRIBUTE_HIDDEN : 0);
            zone.inner.push_back(file);
        }
        if (random_.Percent(30)) {
            MakeFolder(Join(folder, L"deeper"));
            MakeFile(Join(folder, L"deeper/deep.dat"));
        }
    } else if (roll < 56) {  // a symbolic link to a file inside or outside the save path
        std::vector<std::wstring> targets = sentinels_;
        targets.insert(targets.end(), own_.begin(), own_.end());
        for (const Zone& other : zones_) {
            targets.insert(targets.end(), other.files.begin(), other.files.end());
            targets.insert(targets.end(), other.inner.begin(), other.inner.end());
        }
        std::wstring key = Fresh(zone, L"link" + suffix + L".dat");
        if (!key.empty()) UnixLink(key, random_.Pick(targets));
    } else if (roll < 59) {  // a symbolic link to a folder, which may loop
        std::vector<std::wstring> targets = {L"", parent_, save_, L"outside/folder", zone.key};
        targets.insert(targets.end(), zone.folders.begin(), zone.folders.end());
        std::wstring key = Fresh(zone, L"dir" + suffix);
        if (!key.empty()) UnixLink(key, random_.Pick(targets));
    } else if (roll < 63) {  // a hard link, also to files the deletion must keep
        std::vector<std::wstring> targets = sentinels_;
        targets.insert(targets.end(), own_.begin(), own_.end());
        targets.insert(targets.end(), zone.files.begin(), zone.files.end());
        targets.insert(targets.end(), zone.inner.begin(), zone.inner.end());
        std::wstring target = random_.Pick(targets);
        std::wstring key = Fresh(zone, L"hard" + suffix + L".dat");
        if (!key.empty()) HardLink(key, target);
    } else if (roll < 70) {  // "fö.dat" listed as "fo.dat" beside a protected "fo.dat"
        const auto& pair = random_.Pick(kLookAlikes);
        const DWORD attributes[] = {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM,
                                    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, 0};
        std::wstring fit = pair.fit + suffix + L".dat", odd = pair.odd + suffix + L".dat";
        if (random_.Percent(85)) AddFile(zone, fit, random_.Pick(attributes));
        AddFile(zone, odd, 0);
        notes_[Join(zone.key, odd)] = "best fit reads " + Shown(fit);
        features_ |= kLookAlikeNames;
    } else if (roll < 74) {  // "¥" reads back as "\": a path to a file outside or deeper
        std::vector<std::wstring> targets;
        for (const std::wstring& own : own_)
            if (ParentOf(own) == save_) targets.push_back(L"a\u00A5..\u00A5..\u00A5" + NameOf(own));
        std::wstring up = L"a";
        for (std::size_t i = 0, depth = std::count(zone.named.begin(), zone.named.end(), L'/') + 1; i <= depth; ++i)
            up += L"\u00A5..";
        targets.push_back(up + L"\u00A5above.dat");
        for (const std::wstring& inner : zone.inner)
            if (ParentOf(ParentOf(inner)) == zone.key)
                targets.push_back(NameOf(ParentOf(inner)) + L"\u00A5" + NameOf(inner));
        AddFile(zone, random_.Pick(targets), 0);
        features_ |= kYenNames;
    } else if (roll < 78) {  // case twins: the Win32 one may be protected, the Linux one is plain
        const DWORD attributes[] = {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM, FILE_ATTRIBUTE_READONLY, 0};
        AddFile(zone, L"Case" + suffix + L".dat", random_.Pick(attributes));
        ++entries_;  // differs from its twin only in case, which the Win32 side cannot make
        UnixFile(Join(zone.key, L"case" + suffix + L".DAT"));
        features_ |= kCaseTwins;
    } else if (roll < 83) {  // "t." or "t " beside "t": opening the first reaches the second
        const DWORD attributes[] = {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM, FILE_ATTRIBUTE_READONLY, 0};
        const wchar_t* const tails[] = {L".", L" ", L"..", L". "};
        std::wstring base = L"t" + suffix;
        if (random_.Percent(80)) AddFile(zone, base, random_.Pick(attributes));
        std::wstring key = Fresh(zone, base + random_.Pick(tails));
        if (!key.empty()) UnixFile(key);
        features_ |= kTrailingDots;
    } else if (roll < 86) {  // 200 bytes and more
        std::wstring name = random_.Percent(50) ? std::wstring(40, L'\u8868') + std::wstring(115 + random_.Below(10), L'a')
                                                : std::wstring(200 + random_.Below(40), L'b');
        AddFile(zone, name + suffix, random_.Percent(20) ? FILE_ATTRIBUTE_HIDDEN : 0);
        features_ |= kLongNames;
    } else if (roll < 91) {  // names that look like paths
        // Fullwidth "\", ":" and "." are characters of their own in code page 932.
        const std::wstring plainLooking[] = {L"..\uFF3Cx", L"C\uFF1A\uFF3Cx" + suffix, L"\uFF0E\uFF0E" + suffix,
                                             L"Data", L"Cache", L"save"};
        if (wine_ && random_.Percent(50)) {  // "\" and ":" in the name itself, made from Linux
            std::vector<std::wstring> names = {L"..\\x", L"..\\..\\above.dat", L"C:\\x", L"a:b" + suffix,
                                               L"*" + suffix + L".dat", L"?" + suffix};
            for (const std::wstring& folder : zone.folders) names.push_back(NameOf(folder) + L"\\in0.dat");
            std::wstring key = Fresh(zone, random_.Pick(names));
            if (!key.empty()) UnixFile(key);
        } else {
            AddFile(zone, random_.Pick(plainLooking), 0);
        }
    } else {  // no code page 932 form at all: listed with "?"
        const std::wstring names[] = {L"a\u2212b" + suffix, L"\xD83D\xDE00" + suffix, L"x\u2016y" + suffix};
        AddFile(zone, random_.Pick(names), 0);
    }
}

void Round::Run(CampaignRound& round) {
    wchar_t saved[4096];
    GetCurrentDirectoryW(4096, saved);
    SetCurrentDirectoryW(temp_.c_str());
    std::string ansi;
    refused_ = !SavePathRefusal(savePath_, ansi).empty();
    if (!refused_) {
        try {
            // As the button does: the folders are held and named in the question, then emptied.
            roundLocalAppData = root_ + L"\\Local";
            DeletionSeams seams;
            seams.localAppData = RoundLocalAppData;
            roundRoot = root_;
            seams.virtualizedFolders = RoundVirtualized;
            // Windows hands each name to the file system as it is; Wine needs help for that.
            if (!wine_) seams.openEntry = OpenedAsWindowsDoes;
            // On a worker thread of its own, as the button runs it.
            DeletionWorker worker(nullptr);
            std::unique_ptr<CacheFolders> folders;
            worker.Run([&](const DeletionProgress&) { folders.reset(new CacheFolders(ansi, mode_, seams)); });
            question_ = AnsiToWide(CacheDeletionQuestion(*folders));
            FolderFileList lister;
            worker.Run([&](const DeletionProgress& progress) {
                counts_ = EmptyCacheFolders(*folders, lister, mode_, progress, seams);
            });
        } catch (const std::exception& error) {
            std::string what = error.what();
            std::wstring wide(what.size() + 1, L'\0');
            wide.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, what.data(), static_cast<int>(what.size()),
                                                                     &wide[0], static_cast<int>(wide.size()))));
            error_ = wide.empty() ? "(an exception without text)" : Utf8(wide);
        } catch (...) {
            error_ = "(an exception of an unknown type)";
        }
    }
    SetCurrentDirectoryW(saved);
    round.counts = counts_;
    round.question = Utf8(question_);
    round.refused = refused_;
    round.error = error_;
}

void Round::Judge(CampaignRound& round, const Tree& before, const Tree& after) const {
    auto violate = [&round](const std::string& invariant, const std::string& what) {
        round.violations.push_back(invariant + ": " + what);
    };
    const bool ran = !refused_, ended = ran && error_.empty(), expectDeletion = ended && !odd_;
    bool looping = false;
    for (const Zone& zone : zones_) looping |= zone.kind == ZoneKind::Looping;
    auto deletableZoneOf = [this](const std::wstring& key) -> const Zone* {
        for (const Zone& zone : zones_)
            if (zone.Deletable() && IsInside(key, zone.key)) return &zone;
        return nullptr;
    };

    // Wine removes a file held open with delete sharing only when its holder closes it, and
    // cannot tell that it is going: the run may count it as gone or as stayed.
    int gone[4] = {0, 0, 0, 0}, uncertain[4] = {0, 0, 0, 0}, pending[4] = {0, 0, 0, 0};
    for (const auto& entry : before) {
        const std::wstring& key = entry.first;
        const Node& node = entry.second;
        const std::string shown = Shown(key) + " [" + Attributes(node.attributes) + "]";
        const Zone* zone = deletableZoneOf(key);
        const bool direct = zone && ParentOf(key) == zone->key;
        const bool admissible = direct && !(node.attributes & kProtected);
        const bool link = links_.count(key) != 0;
        auto now = after.find(key);
        if (now != after.end()) {
            if (!link && (now->second.attributes != node.attributes || now->second.content != node.content))
                violate(zone ? "file changed" : "changed outside Data and Cache", shown + " changed");
            else if (expectDeletion && admissible && !link && !locked_.count(key) &&
                     !(node.attributes & FILE_ATTRIBUTE_READONLY) && AnsiNameIsExact(NameOf(key)) &&
                     (!wine_ || !IsDosDeviceName(NameOf(key))))
                violate("plain file left", shown);
            continue;
        }
        const int index = zone ? static_cast<int>(zone - zones_) : -1;
        // Wine does not list a link whose target is gone: whether the link went too is unknown.
        if (link && !after.count(links_.at(key))) {
            if (admissible) ++uncertain[index];
            continue;
        }
        ++round.deletions;
        if (zone && admissible && pending_.count(key) && RunningUnderWine()) ++pending[zone - zones_];
        if (odd_) violate("deleted with a control character in the save path", shown);
        if (!zone) violate("changed outside Data and Cache", shown + " deleted");
        else if (!direct) violate("deleted inside a sub-folder", shown);
        if (node.attributes & kProtected) violate("protected entry deleted", shown);
        if (admissible) ++gone[index];
    }

    if (odd_) return;  // where such a path leads is not a question; that nothing went is
    if (refused_ && !unconvertible_) violate("usable save path refused", Shown(savePath_));
    if (ran && !error_.empty() && !looping) violate("error without a looping link", error_);
    if (ended && looping) violate("looping link without an error", "the run ended normally");
    // An error must mean that nothing was deleted anywhere: both folders are checked first.
    if (ran && !error_.empty() && round.deletions > 0)
        violate("deleted before an error", std::to_string(round.deletions) + " entries gone, then " + error_);
    if (!ended) return;
    // The question names each folder that will be emptied, and where a link at one leads.
    std::vector<int> counted = {counts_.data, counts_.cache};
    for (int i = 2; i < 4; ++i) {
        if (!zones_[i].Deletable()) continue;
        if (counts_.virtualStore.size() < counted.size() - 1) {
            violate("VirtualStore copy not emptied", Shown(zones_[i].named));
            return;
        }
        counted.push_back(counts_.virtualStore[counted.size() - 2]);
    }
    for (const Zone& zone : zones_) {
        if (zone.store && !zone.Deletable()) continue;
        const std::wstring folder = savePath_ + L"\\" + zone.name;
        const std::wstring shown = zone.store ? roundLocalAppData + L"\\VirtualStore" + folder.substr(2) : folder;
        const std::wstring note = L"（実際の場所：" + Win(zone.key).substr(4) + L"）";
        const auto at = question_.find(shown);
        const bool noted = at != std::wstring::npos && question_.compare(at + shown.size(), 7, note, 0, 7) == 0;
        if (at == std::wstring::npos) violate("folder not in the question", Shown(shown));
        else if (noted != (zone.kind == ZoneKind::Moved))
            violate(noted ? "real place named without a link" : "link's real place not named", Shown(shown));
        else if (noted && question_.compare(at + shown.size(), note.size(), note) != 0)
            violate("real place named wrongly", Shown(question_.substr(at)));
    }
    for (int i = 0, slot = 0; i < 4; ++i) {
        if (zones_[i].store && !zones_[i].Deletable()) continue;
        const int index = slot++;
        if (zones_[i].kind == ZoneKind::Looping) continue;
        if (counted[index] < gone[i] - pending[i] || counted[index] > gone[i] + uncertain[i])
            violate("count differs", Shown(zones_[i].named) + " counted " + std::to_string(counted[index]) + ", " +
                                         std::to_string(gone[i]) + " gone" +
                                         (uncertain[i] ? " (+" + std::to_string(uncertain[i]) + " links unknown)" : ""));
    }
    // What stayed: the plain entries still directly in each folder, a copy's with its own.
    const int reportedStayed[2] = {counts_.dataStayed, counts_.cacheStayed};
    int stayed[2] = {0, 0}, slack[2] = {0, 0};
    for (int i = 0; i < 4; ++i) {
        const Zone& zone = zones_[i];
        slack[i % 2] += pending[i] + uncertain[i];
        if (zone.Deletable())
            for (const auto& entry : after)
                if (ParentOf(entry.first) == zone.key && !(entry.second.attributes & kProtected)) ++stayed[i % 2];
    }
    // A link whose target went after the recount (held open with delete sharing) was still
    // listed then.
    for (int i = 0; i < 2; ++i)
        if (reportedStayed[i] < stayed[i] || reportedStayed[i] > stayed[i] + slack[i])
            violate("stayed count differs", Shown(zones_[i].name) + " reported " +
                                                std::to_string(reportedStayed[i]) + " stayed, " +
                                                std::to_string(stayed[i]) + " there");
}

std::string Round::Listing(const CampaignRound& round, const Tree& before) const {
    static const char* const kinds[] = {"missing", "folder", "link to a folder elsewhere: ",
                                        "link to the save path or above it: "};
    std::string text = "seed " + std::to_string(seed_) + ", " + CampaignModeName(mode_) + ", up to " +
                       std::to_string(maxEntries_) + " draws a folder\n";
    text += "  save path given: " + round.savePath + "\n";
    for (const Zone& zone : zones_) {
        if (zone.store && zone.named.empty()) continue;
        text += "  " + Shown(zone.named) + ": " + kinds[static_cast<int>(zone.kind)];
        if (zone.kind == ZoneKind::Moved || zone.kind == ZoneKind::Looping)
            text += zone.key.empty() ? "the campaign folder" : Shown(zone.key);
        text += "\n";
    }
    text += "  run: " + std::string(refused_ ? "refused" : error_.empty() ? "ended normally" : "error " + error_) +
            ", counted Data " + std::to_string(counts_.data) + " (" + std::to_string(counts_.dataStayed) +
            " stayed), Cache " + std::to_string(counts_.cache) + " (" + std::to_string(counts_.cacheStayed) +
            " stayed)\n";
    text += "  question: " + round.question + "\n";
    text += "  violations:\n";
    for (const std::string& violation : round.violations) text += "    " + violation + "\n";
    text += "  tree before the run, under " + Shown(root_) + ":\n";
    for (const auto& entry : before) {
        auto note = notes_.find(entry.first);
        text += "    " + Shown(entry.first) + "  " + Attributes(entry.second.attributes);
        if (note != notes_.end()) text += "  (" + note->second + ")";
        text += "\n";
    }
    return text;
}

}  // namespace

CampaignRound RunDeletionRound(std::uint64_t seed, LinkCheck mode, int maxEntries) {
    CampaignRound round;
    round.seed = seed;
    round.mode = mode;
    round.maxEntries = maxEntries;
    Round tree(seed, mode, maxEntries);
    tree.Build(round);
    const Tree before = tree.Scan();
    tree.Run(round);
    tree.ReleaseLocks();
    tree.Judge(round, before, tree.Scan());
    if (!round.violations.empty()) round.report = tree.Listing(round, before);
    return round;
}

const char* CampaignModeName(LinkCheck mode) {
    return mode == LinkCheck::None ? "Windows (LinkCheck::None)" : "Wine (LinkCheck::FinalPathInside)";
}

std::string InvariantOf(const std::string& violation) { return violation.substr(0, violation.find(": ")); }
