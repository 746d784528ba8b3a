#pragma once
// Where a run without a window writes what the window would have shown: the standard output
// when it is redirected (a file, a pipe), else the console the program was started from,
// else nowhere (the Task Scheduler, a shortcut).
#include <windows.h>
#include <string>
#include "base/FileHandle.h"

// Text as output lines: each line ends in CRLF, a bare CR or LF becoming one, the last line too.
std::string AsOutputLines(const std::string& text);

class UnattendedOutput {
public:
    UnattendedOutput();
    UnattendedOutput(const UnattendedOutput&) = delete;
    UnattendedOutput& operator=(const UnattendedOutput&) = delete;

    bool Exists() const { return redirected_ != nullptr || console_.IsOpen(); }
    // Writes the program's own text (code page 932): as its bytes where the output is
    // redirected, as characters to a console, whatever that console's code page.
    void Write(const std::string& text);

private:
    HANDLE redirected_ = nullptr;
    FileHandle console_;
};
