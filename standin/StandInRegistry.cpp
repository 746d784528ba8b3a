#include "StandInRegistry.h"

#include <olectl.h>
#include <string>
#include <vector>

#include "StandInModule.h"

namespace {

const wchar_t kClsidText[] = L"{2AB1774D-0C41-11D7-916F-0003479BEB3F}";
const wchar_t kClsidKey[] = L"CLSID\\{2AB1774D-0C41-11D7-916F-0003479BEB3F}";
const wchar_t kProgId[] = L"JVDTLab.JVLink";
const wchar_t kDescription[] = L"JV-Link stand-in";

enum class Owner { Nobody, ThisFile, Other };

std::wstring modulePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(StandInModule::instance(), buffer.data(),
                                          static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::wstring();
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

// Reads the default (or a named) string value. Without RRF_NOEXPAND,
// RegGetValueW expands a REG_EXPAND_SZ and lets it pass as REG_SZ.
bool readString(const std::wstring& key, const wchar_t* name, std::wstring& value) {
    value.clear();
    DWORD flags = RRF_RT_REG_SZ;
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, flags, nullptr, nullptr, &bytes) !=
        ERROR_SUCCESS)
        return false;
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1);
    bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, flags, nullptr, buffer.data(),
                     &bytes) != ERROR_SUCCESS)
        return false;
    value = buffer.data();
    return true;
}

bool keyExists(const std::wstring& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

std::wstring normalizedPath(std::wstring path) {
    size_t first = path.find_first_not_of(L" \t");
    size_t last = path.find_last_not_of(L" \t");
    path = first == std::wstring::npos ? std::wstring() : path.substr(first, last - first + 1);
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"')
        path = path.substr(1, path.size() - 2);
    if (path.empty()) return path;
    std::vector<wchar_t> full(32768);
    DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size()) return path;
    std::vector<wchar_t> longer(32768);
    length = GetLongPathNameW(full.data(), longer.data(), static_cast<DWORD>(longer.size()));
    if (length == 0 || length >= longer.size()) return full.data();
    return longer.data();
}

bool sameFileIdentity(const std::wstring& a, const std::wstring& b) {
    auto identify = [](const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
        HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        bool ok = GetFileInformationByHandle(file, &info) != FALSE;
        CloseHandle(file);
        return ok;
    };
    BY_HANDLE_FILE_INFORMATION infoA, infoB;
    if (!identify(a, infoA) || !identify(b, infoB)) return false;
    return infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
           infoA.nFileIndexHigh == infoB.nFileIndexHigh && infoA.nFileIndexLow == infoB.nFileIndexLow;
}

// True when the registered server path names this DLL: equal full paths
// (case-insensitive), or, for another spelling of the same file, the same
// file identity.
bool isThisFile(const std::wstring& registered, const std::wstring& self) {
    std::wstring path = normalizedPath(registered);
    if (path.empty()) return false;
    std::wstring selfPath = normalizedPath(self);
    if (CompareStringOrdinal(path.c_str(), -1, selfPath.c_str(), -1, TRUE) == CSTR_EQUAL)
        return true;
    return sameFileIdentity(path, selfPath);
}

// Who the class id's registration belongs to. A server key whose path
// cannot be read counts as someone else's: better refuse than overwrite.
Owner classOwner(const std::wstring& self) {
    Owner owner = Owner::Nobody;
    for (const wchar_t* server : {L"\\InprocServer32", L"\\LocalServer32"}) {
        std::wstring key = std::wstring(kClsidKey) + server;
        if (!keyExists(key)) continue;
        std::wstring path;
        if (!readString(key, nullptr, path) || !isThisFile(path, self)) return Owner::Other;
        owner = Owner::ThisFile;
    }
    return owner;
}

bool progIdIsOurs() {
    std::wstring clsid;
    return readString(std::wstring(kProgId) + L"\\CLSID", nullptr, clsid) &&
           CompareStringOrdinal(clsid.c_str(), -1, kClsidText, -1, TRUE) == CSTR_EQUAL;
}

bool progIdIsForeign() {
    return keyExists(std::wstring(kProgId) + L"\\CLSID") && !progIdIsOurs();
}

// Creates the key (and its parents) and sets one string value, the default
// one when name is null; with a null value only the key is created.
bool writeKey(const std::wstring& key, const wchar_t* name, const wchar_t* value) {
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &handle, nullptr) != ERROR_SUCCESS)
        return false;
    LONG status = ERROR_SUCCESS;
    if (value) {
        DWORD bytes = static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t));
        status = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), bytes);
    }
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

void removeKeys() {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kClsidKey);
    if (progIdIsOurs()) RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
}

}  // namespace

HRESULT StandInRegistry::registerServer() {
    std::wstring self = modulePath();
    if (self.empty()) return SELFREG_E_CLASS;
    if (classOwner(self) == Owner::Other || progIdIsForeign()) return SELFREG_E_CLASS;

    const std::wstring clsidKey = kClsidKey;
    const std::wstring progIdKey = kProgId;
    bool ok = writeKey(clsidKey, nullptr, kDescription) &&
              writeKey(clsidKey + L"\\InprocServer32", nullptr, self.c_str()) &&
              writeKey(clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
              writeKey(clsidKey + L"\\ProgID", nullptr, kProgId) &&
              writeKey(clsidKey + L"\\Control", nullptr, nullptr) &&
              writeKey(progIdKey, nullptr, kDescription) &&
              writeKey(progIdKey + L"\\CLSID", nullptr, kClsidText);
    if (!ok) {
        removeKeys();
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

HRESULT StandInRegistry::unregisterServer() {
    Owner owner = classOwner(modulePath());
    if (owner == Owner::Other) return SELFREG_E_CLASS;
    if (owner == Owner::ThisFile) removeKeys();
    return S_OK;
}
