// The save path the settings dialog stores, kept per user like a real
// installation would: HKCU\Software\JVLinkStandIn, value "SavePath" (REG_SZ).
#pragma once

#include <string>

namespace StandInSettings {

// False when no save path has been stored yet.
bool readSavePath(std::wstring& path);
bool writeSavePath(const std::wstring& path);

// What the control reports as savePath: JVLINK_STANDIN_SAVEPATH when set
// (even if empty), else the stored one, else an empty string.
std::wstring currentSavePath();

}  // namespace StandInSettings
