#include "forms/FolderEmptying.h"

#include <windows.h>
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>
#include "base/AnsiPath.h"
#include "base/Exception.h"
#include "base/FileHandle.h"
#include "base/RealPathQuery.h"
#include "components/FileNames.h"

namespace {

const char kFolderNotListed[] =
    "フォルダ「%s」の中を読み取れなかったため、キャッシュデータの削除を中止しました。もう一度お試しください。";

const DWORD kNotAdmitted = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;

// FILE_DISPOSITION_INFO_EX (Windows 10 1607 and later), which the Windows 7 headers do not
// name: with POSIX semantics the name is gone at once, even while another program still
// holds the file open, so JV-Link can create a file of that name again.
const auto kFileDispositionInfoExClass = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
const ULONG kDispositionDelete = 0x1;
const ULONG kDispositionPosixSemantics = 0x2;

// A listed name that would not name itself when opened is never opened: one with a
// separator (a best-fit "¥" reads as "\") or a wildcard. Opened relative to the folder's
// handle, Windows hands a name to the file system as it is, so a device's name ("aux.dat")
// or a trailing dot or space ("x.") is an ordinary name there. Wine resolves such names
// through the path rules ("x." would open "x", "nul.txt" the null device): under Wine they
// are not opened.
bool NamesItselfExactly(const std::string& name, LinkCheck check) {
    if (name.empty() || HasPathCharacter(name) || name.find_first_of("*?") != std::string::npos) return false;
    if (check == LinkCheck::None) return true;
    const char last = name.back();  // "." and " " are never trail bytes
    return last != '.' && last != ' ' && !IsDosDeviceName(AnsiToWide(name));
}

// FNV-1a over the name's UTF-16 units.
std::uint64_t HashOf(const std::wstring& name) {
    std::uint64_t hash = 14695981039346656037ull;
    for (wchar_t unit : name) {
        hash ^= static_cast<std::uint16_t>(unit);
        hash *= 1099511628211ull;
    }
    return hash;
}

bool UnsupportedHere(DWORD error) {
    return error == ERROR_INVALID_PARAMETER || error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED;
}

// The attributes of an open entry, asked as the system's own delete asks: FAT32 and exFAT
// refuse FileAttributeTagInfo, and answer FileBasicInfo.
bool EntryAttributes(HANDLE entry, FileInformationFunction information, DWORD& attributes) {
    FILE_ATTRIBUTE_TAG_INFO tag;
    if (information(entry, FileAttributeTagInfo, &tag, sizeof tag)) {
        attributes = tag.FileAttributes;
        return true;
    }
    if (!UnsupportedHere(GetLastError())) return false;
    FILE_BASIC_INFO basic;
    if (!information(entry, FileBasicInfo, &basic, sizeof basic)) return false;
    attributes = basic.FileAttributes;
    return true;
}

// Deletes listed entries of one held folder, each opened inside it and deleted through the
// handle it was checked on, and counts what is gone and what stayed.
class FolderDeletion {
public:
    FolderDeletion(const HeldFolder& held, LinkCheck check, const DeletionSeams& seams)
        : held_(held), check_(check), seams_(seams) {}

    // Sets the delete disposition of the entry listed at index as name, when it is admissible.
    void Delete(int index, const std::string& name) {
        ++tried_;
        if (!NamesItselfExactly(name, check_) || !FolderStillThere()) return;
        std::wstring wideName = AnsiToWide(name);
        LONG status = 0;
        FileHandle entry = held_.folder.OpenEntry(wideName, DELETE | FILE_READ_ATTRIBUTES, status);
        if (!entry.IsOpen()) return;
        DWORD attributes = 0;
        if (check_ == LinkCheck::FinalPathInside) {
            std::wstring path;
            if (held_.realPath.empty() || !query_.AttributesAndPath(entry.Get(), attributes, path) ||
                path != held_.realPath + wideName)
                return;
        } else if (!EntryAttributes(entry.Get(), seams_.fileInformation, attributes)) {
            return;
        }
        if (attributes & kNotAdmitted) return;
        if (!SetDeleteDisposition(entry.Get())) return;
        disposed_.emplace_back(HashOf(wideName), static_cast<std::uint32_t>(index));
    }

    // Wine removes an entry only when its handle closes, and can fail there without a word:
    // the held folder is read again (once, since under Wine looking up a missing name scans
    // the whole folder), and only the names no longer there count. Each
    // name read is looked up among the deleted ones by its hash, then compared in full with
    // the name listed at that index, so no name is copied for the count.
    FolderOutcome Recount(FolderFileList& lister, const std::function<void()>& tick) {
        std::sort(disposed_.begin(), disposed_.end());
        std::vector<bool> matched(disposed_.size());
        FolderOutcome outcome;
        int stillThere = 0;  // deleted, still listed and not going
        const bool listed = held_.folder.ForEachEntry([&](const std::wstring& name, DWORD attributes) {
            if (tick) tick();
            const Disposed key(HashOf(name), 0);
            for (auto at = std::lower_bound(disposed_.begin(), disposed_.end(), key);
                 at != disposed_.end() && at->SameHash(key); ++at) {
                const std::size_t which = static_cast<std::size_t>(at - disposed_.begin());
                if (matched[which] || AnsiToWide(lister.Name(static_cast<int>(at->index))) != name) continue;
                matched[which] = true;
                if (StillGoing(name)) return;
                ++stillThere;
                break;
            }
            if (!(attributes & kNotAdmitted)) ++outcome.stayed;
        });
        if (listed) {
            outcome.gone = static_cast<int>(disposed_.size()) - stillThere;
        } else {
            outcome.gone = 0;
            for (const Disposed& entry : disposed_)
                if (StillGoing(AnsiToWide(lister.Name(static_cast<int>(entry.index))))) ++outcome.gone;
            outcome.stayed = std::max(0, tried_ - outcome.gone);  // what could not be confirmed gone
        }
        return outcome;
    }

private:
    // On a share, the server finds each entry by its path from the share, not through the
    // folder's handle: before each entry the folder's path must still lead to the held
    // folder. Once it does not (or cannot be told), nothing more is deleted there.
    bool FolderStillThere() {
        if (!held_.network || stopped_) return !stopped_;
        FileHandle again = OpenToIdentify(held_.path);
        stopped_ = !again.IsOpen() || !SameIdentity(IdentityOf(again.Get(), seams_.fileInformation,
                                                               seams_.classicInformation, false),
                                                    held_.identity);
        return !stopped_;
    }

    // POSIX semantics where the system and the file system know them (the name goes at
    // once); else, for the rest of the folder, the classic disposition. A read-only file
    // refuses both.
    bool SetDeleteDisposition(HANDLE entry) {
        if (posix_) {
            ULONG flags = kDispositionDelete | kDispositionPosixSemantics;
            if (seams_.setInformation(entry, kFileDispositionInfoExClass, &flags, sizeof flags)) return true;
            if (!UnsupportedHere(GetLastError())) return false;
            posix_ = false;
        }
        FILE_DISPOSITION_INFO disposition{TRUE};
        return seams_.setInformation(entry, FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
    }

    // A name still listed: a file that another program holds open (with delete sharing)
    // stays "delete pending" until it closes it. Windows refuses to open it meanwhile; Wine
    // opens it and says so.
    bool StillGoing(const std::wstring& name) const {
        LONG status = 0;
        FileHandle entry = held_.folder.OpenEntry(name, FILE_READ_ATTRIBUTES, status);
        if (!entry.IsOpen()) return status == kStatusDeletePending || status == kStatusObjectNameNotFound;
        FILE_STANDARD_INFO standard;
        return GetFileInformationByHandleEx(entry.Get(), FileStandardInfo, &standard, sizeof standard) &&
               standard.DeletePending;
    }

    const HeldFolder& held_;
    LinkCheck check_;
    const DeletionSeams& seams_;
    RealPathQuery query_;
    // What was deleted: the hash of the name it was opened by, and where the list holds it
    // (12 bytes, not the 16 that a 64-bit member would align it to).
    struct Disposed {
        std::uint32_t hashHigh, hashLow, index;
        Disposed(std::uint64_t hash, std::uint32_t at)
            : hashHigh(static_cast<std::uint32_t>(hash >> 32)), hashLow(static_cast<std::uint32_t>(hash)), index(at) {}
        bool SameHash(const Disposed& other) const { return hashHigh == other.hashHigh && hashLow == other.hashLow; }
        bool operator<(const Disposed& other) const {
            if (hashHigh != other.hashHigh) return hashHigh < other.hashHigh;
            return hashLow != other.hashLow ? hashLow < other.hashLow : index < other.index;
        }
    };
    std::vector<Disposed> disposed_;
    int tried_ = 0;
    bool posix_ = true;
    bool stopped_ = false;
};

void Notify(const DeletionSeams& seams, DeletionStage stage, int folder) {
    if (seams.onStage) seams.onStage(stage, folder);
}

}  // namespace

FolderOutcome EmptyHeldFolder(FolderFileList& lister, const HeldFolder& held, int number, int folders,
                              LinkCheck check, const DeletionProgress& progress, const DeletionSeams& seams) {
    Notify(seams, DeletionStage::Listing, number);
    const std::function<void()> reading = [&progress, number, folders] {
        if (progress) progress(number, folders, 0, 0);
    };
    if (!lister.ReadOpenedFolder(held.shown, held.folder, reading))
        throw Exception(FormatText(kFolderNotListed, {held.shown}));
    Notify(seams, DeletionStage::Walking, number);
    FolderDeletion deletion(held, check, seams);
    const int total = lister.Count();
    if (progress) progress(number, folders, 0, total);
    for (int index = total - 1; index >= 0; --index) {
        try {
            deletion.Delete(index, lister.Name(index));
        } catch (...) {
            // One entry's failure never stops the walk.
        }
        if (progress) progress(number, folders, total - index, total);
    }
    return deletion.Recount(lister, [&progress, number, folders, total] {
        if (progress) progress(number, folders, total, total);
    });
}
