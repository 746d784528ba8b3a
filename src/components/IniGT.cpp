#include "components/IniGT.h"

#include <windows.h>
#include <vector>
#include "base/AnsiPath.h"

namespace {

std::wstring WindowsDirectory() {
    std::vector<wchar_t> buffer(150);
    for (;;) {
        UINT length = GetWindowsDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(length + 1);
    }
}

// The executable's exact path, whatever characters its folders' names hold.
std::wstring ExecutablePathW() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring ExecutableFolderWithSeparator() {
    std::wstring path = ExecutablePathW();
    auto last = path.find_last_of(L"\\:");
    return last == std::wstring::npos ? std::wstring() : path.substr(0, last + 1);
}

// Shown as the program closes: the position was not kept, which nothing else depends on.
const char kPathTooLong[] =
    "設定ファイル「%s」の場所が長すぎるため、ウィンドウの位置を保存できませんでした。"
    "キャッシュデータの削除には影響ありません。"
    "JVCacheClean.exeを、パスの短いフォルダ（C:\\Toolsなど）に移してください。";
const char kNotWritten[] =
    " に書き込めません\r\n"
    "ウィンドウの位置を保存できませんでした。キャッシュデータの削除には影響ありません。"
    "位置を保存するには、このソフトをフォルダごと、書き込める場所（ドキュメントなど）に移してください。";

int DigitValue(char ch, bool hexadecimal) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (!hexadecimal) return -1;
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    return -1;
}

}  // namespace

std::string TIniFile::Path() const {
    return WideToAnsi(path_);
}

bool TIniFile::Usable() const {
    return !path_.empty() && path_.size() < MAX_PATH;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& fallback) const {
    if (!Usable()) return fallback;
    wchar_t buffer[2048];
    DWORD length = GetPrivateProfileStringW(AnsiToWide(section).c_str(), AnsiToWide(key).c_str(),
                                            AnsiToWide(fallback).c_str(), buffer, 2048, path_.c_str());
    return WideToAnsi(std::wstring(buffer, length));
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) const {
    if (!Usable()) throw ESettingsError(FormatText(kPathTooLong, {Path()}));
    if (!WritePrivateProfileStringW(AnsiToWide(section).c_str(), AnsiToWide(key).c_str(), AnsiToWide(value).c_str(),
                                    path_.c_str()))
        throw ESettingsError(Path() + kNotWritten);
}

std::string TIniGT::FileName() const {
    return WideToAnsi(fileName_);
}

void TIniGT::SetDefaultDir(TIniGTDefaultDir defaultDir) {
    defaultDir_ = defaultDir;
    Resolve();
}

void TIniGT::SetFileName(const std::string& fileName) {
    fileName_ = AnsiToWide(fileName);
    Resolve();
}

void TIniGT::Resolve() {
    file_.reset(new TIniFile(ResolveIniPath(fileName_, defaultDir_,
                                            defaultDir_ == ddApplication ? ExecutableFolderWithSeparator() : L"",
                                            defaultDir_ == ddWindows ? WindowsDirectory() : L"")));
}

void TIniGT::Loaded() {
    if (!fileName_.empty()) return;
    // From the executable's exact name, which too may hold characters the code page cannot.
    const std::wstring executable = ExecutablePathW();
    fileName_ = executable.substr(executable.find_last_of(L"\\:") + 1);  // npos + 1 is 0
    const auto dot = fileName_.rfind(L'.');
    if (dot != std::wstring::npos) fileName_.erase(dot);
    fileName_ += L".ini";
    Resolve();
}

std::int32_t TIniGT::ReadInteger(const std::string& section, const std::string& key, std::int32_t fallback) const {
    return IniTextToInteger(file_ ? file_->ReadString(section, key, "") : std::string(), fallback);
}

void TIniGT::WriteInteger(const std::string& section, const std::string& key, std::int32_t value) const {
    if (!file_) throw ESettingsError(kNotWritten);
    file_->WriteString(section, key, std::to_string(value));
}

std::wstring ResolveIniPath(const std::wstring& fileName, TIniGTDefaultDir defaultDir,
                            const std::wstring& executableFolder, const std::wstring& windowsDirectory) {
    if (fileName.find_last_of(L"\\:") != std::wstring::npos) return fileName;
    switch (defaultDir) {
    case ddApplication: return executableFolder + fileName;
    case ddWindows: return windowsDirectory + L"\\" + fileName;
    case ddNone: break;
    }
    return fileName;
}

std::int32_t IniTextToInteger(const std::string& text, std::int32_t fallback) {
    std::string value = text;
    if (value.size() > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X')) value.replace(0, 2, "$");

    std::string::size_type i = 0;
    while (i < value.size() && value[i] == ' ') ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) negative = value[i++] == '-';
    bool hexadecimal = i < value.size() && value[i] == '$';
    if (hexadecimal) ++i;
    if (i == value.size()) return fallback;

    // Decimal stays within the signed range; hexadecimal may use all 32 bits.
    const std::uint64_t limit = hexadecimal ? 0xFFFFFFFFull : negative ? 0x80000000ull : 0x7FFFFFFFull;
    std::uint64_t magnitude = 0;
    for (; i < value.size(); ++i) {
        int digit = DigitValue(value[i], hexadecimal);
        if (digit < 0) return fallback;
        magnitude = magnitude * (hexadecimal ? 16 : 10) + static_cast<std::uint64_t>(digit);
        if (magnitude > limit) return fallback;
    }
    std::uint32_t bits = static_cast<std::uint32_t>(magnitude);
    if (negative) bits = 0u - bits;
    return static_cast<std::int32_t>(bits);
}
