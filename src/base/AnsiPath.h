#pragma once
// ANSI strings and paths in the system code page. Separator searches are double-byte
// aware: a trail byte 0x5C (as in 表) is never taken for a backslash.
#include <initializer_list>
#include <string>

// Fills the pattern's "%s" and "%d" in order with values, in one pass over the pattern
// alone: a folder named "%d" stays as it is. ("%" is never a trail byte.)
std::string FormatText(const char* pattern, std::initializer_list<std::string> values);

// Conversions at the COM boundary, in the system ANSI code page.
std::string WideToAnsi(const std::wstring& text);
std::wstring AnsiToWide(const std::string& text);
// The code page's form of wide, only when every character has its own exact equivalent (no
// best fit: "é" is not "e", and "¥" never becomes a separator); false otherwise.
bool WideToExactAnsi(const std::wstring& wide, std::string& ansi);

// Byte index of the last whole character of text that is one of delimiters, or npos.
std::string::size_type LastDelimiter(const std::string& text, const char* delimiters);

// Byte index of the first whole character of text, at or after from (a character
// boundary), that is delimiter; npos when there is none.
std::string::size_type FindDelimiter(const std::string& text, char delimiter, std::string::size_type from = 0);

// Folder part of a path without its trailing backslash, except for a drive root ("C:\").
std::string ExtractFileDir(const std::string& path);
// Everything after the last "\" or ":".
std::string ExtractFileName(const std::string& path);
// The file name without its extension (after the last "." of the file name part).
std::string ChangeFileExt(const std::string& path, const std::string& extension);

// The running executable's full path.
std::string ExecutablePath();
// The executable's base name: the application's title.
std::string ApplicationTitle();
