// Appends event lines to the file named by JVLINK_STANDIN_LOG, so tests can
// check what the host did with the control and in which order.
#pragma once

#include <windows.h>
#include <string>

namespace StandInLog {

// Opens, appends one line (LF-terminated) and closes again, so that lines
// from several instances or processes end up in the order they happened.
// Does nothing when the variable is unset or empty.
void write(const std::string& line);

// "create 1", "release 2", ...
void writeNumbered(const char* event, long number);

// "load 00 07 ..." with uppercase hex pairs.
void writeBytes(const char* event, const BYTE* data, size_t size);

// Converts to the ANSI code page, as the log is an ANSI text file.
std::string toAnsi(const wchar_t* text, size_t length);

}  // namespace StandInLog
