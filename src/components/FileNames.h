#pragma once
// File-name rules of the system code page (double-byte aware) that the lister and the
// deletion share.
#include <string>

// Equal as file names: A to Z lowered (double-byte characters unchanged), then compared
// with the locale's string comparison.
bool SameFileName(const std::string& a, const std::string& b);

// Equal as the file system compares wide names and paths: ordinal, without regard to case.
bool SameWideNameIgnoringCase(const std::wstring& a, const std::wstring& b);

// Case-insensitive equality as a list box's exact search makes it.
bool SameTextIgnoringCase(const std::string& a, const std::string& b);

// True when the name holds "\", "/" or ":" as a whole character, so that as a relative
// path it would not stay in the current folder.
bool HasPathCharacter(const std::string& name);

// True when the last whole character of text is ch.
bool EndsWithCharacter(const std::string& text, char ch);

// The process current directory.
std::string CurrentDirectory();

// The drive prefix: "X:", or "\\server\share" of a UNC path (the whole path when nothing
// follows the share), or nothing. A 0x5C trail byte in a server or share name is no separator.
std::string DrivePrefix(const std::string& path);

// True when the system's path rules read name as a DOS device: its base (the text before
// the first ".", trailing spaces dropped, in any case) is CON, PRN, AUX, NUL, COM0 to COM9,
// LPT0 to LPT9 (also with the digits ¹ ² ³), CONIN$ or CONOUT$. "nul.txt" opens NUL.
bool IsDosDeviceName(const std::wstring& name);
