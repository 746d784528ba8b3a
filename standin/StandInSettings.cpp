#include "StandInSettings.h"

#include <windows.h>
#include <vector>

#include "StandInEnvironment.h"

namespace {

const wchar_t kSettingsKey[] = L"Software\\JVLinkStandIn";
const wchar_t kSavePathValue[] = L"SavePath";

}  // namespace

bool StandInSettings::readSavePath(std::wstring& path) {
    path.clear();
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, kSavePathValue, RRF_RT_REG_SZ, nullptr,
                     nullptr, &bytes) != ERROR_SUCCESS)
        return false;
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1);
    bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, kSavePathValue, RRF_RT_REG_SZ, nullptr,
                     buffer.data(), &bytes) != ERROR_SUCCESS)
        return false;
    path = buffer.data();
    return true;
}

bool StandInSettings::writeSavePath(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    DWORD bytes = static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t));
    LONG status = RegSetValueExW(key, kSavePathValue, 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(path.c_str()), bytes);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

std::wstring StandInSettings::currentSavePath() {
    std::wstring path;
    if (StandInEnvironment::read(L"JVLINK_STANDIN_SAVEPATH", path)) return path;
    readSavePath(path);
    return path;
}
