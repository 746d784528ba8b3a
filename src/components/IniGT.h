#pragma once
// A non-visual component that names one INI file and reads and writes integer keys of it
// through the private-profile functions.
#include <cstdint>
#include <memory>
#include <string>
#include "base/Exception.h"

enum TIniGTDefaultDir { ddApplication, ddWindows, ddNone };

// The settings file could not be written.
class ESettingsError : public Exception {
public:
    using Exception::Exception;
};

// One INI file, by its exact (wide) path: a folder whose name the ANSI code page cannot
// hold ("café") must not lead to another file ("cafe").
class TIniFile {
public:
    explicit TIniFile(const std::wstring& path) : path_(path) {}
    // The path as the program's messages show it.
    std::string Path() const;
    const std::wstring& WidePath() const { return path_; }
    // A path at MAX_PATH or beyond is never used: reading gives the fallback.
    std::string ReadString(const std::string& section, const std::string& key, const std::string& fallback) const;
    // Raises ESettingsError when the file cannot be written, or its path is too long.
    void WriteString(const std::string& section, const std::string& key, const std::string& value) const;
private:
    bool Usable() const;
    std::wstring path_;
};

class TIniGT {
public:
    TIniGTDefaultDir DefaultDir() const { return defaultDir_; }
    void SetDefaultDir(TIniGTDefaultDir defaultDir);
    std::string FileName() const;
    void SetFileName(const std::string& fileName);

    // After the window's stored properties are applied: with no file name, the file is
    // the executable's name with ".ini".
    void Loaded();

    // The resolved path; empty while there is no file name.
    std::string Path() const { return file_ ? file_->Path() : std::string(); }

    std::int32_t ReadInteger(const std::string& section, const std::string& key, std::int32_t fallback) const;
    void WriteInteger(const std::string& section, const std::string& key, std::int32_t value) const;

private:
    void Resolve();

    TIniGTDefaultDir defaultDir_ = ddApplication;
    std::wstring fileName_;  // exact: the executable's own name may lie outside the code page
    std::unique_ptr<TIniFile> file_;
};

// Where a file name lies: as given when it has a folder part, else in the executable's
// folder (which ends with "\"), in the Windows directory, or as given.
std::wstring ResolveIniPath(const std::wstring& fileName, TIniGTDefaultDir defaultDir,
                            const std::wstring& executableFolder, const std::wstring& windowsDirectory);

// An INI value as an integer: "0x"/"0X" before more text means hexadecimal, as "$" does;
// leading spaces and one sign are allowed. Empty, invalid or out-of-range text gives fallback.
std::int32_t IniTextToInteger(const std::string& text, std::int32_t fallback);
