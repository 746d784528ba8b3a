#pragma once
// Opening a web page: the shell's "open" verb first, else the command line registered
// for ".htm" files, run directly.
#include <windows.h>
#include <string>

// The maker's home page, opened by the about dialog; empty in a build that has none.
extern const char kHomePageUrl[];

bool OpenHomePage(const std::string& url, int showCommand);

// The default value of a key; false (text unchanged) when the key cannot be opened, an
// empty text when it opens but its value cannot be read.
bool ReadRegDefault(HKEY root, const std::string& path, std::string& text);

// A handler's command line with its document placeholder (a quoted "%1", else %1, with
// the character before it) removed and " " plus the url appended.
std::string CommandLineForUrl(const std::string& handlerCommand, const std::string& url);
