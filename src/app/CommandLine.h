#pragma once
// What the program was asked to do by its command line.
#include <string>
#include <vector>

enum class RunMode {
    Window,       // no arguments: the main window, as always
    Delete,       // /delete: empty the cache without a window or a question
    Usage,        // /?: how to use the switches
    BadArgument,  // anything else: the same text, and nothing done
};

// The mode for the arguments after the program's name. A switch starts with "/" or "-" and
// is read without regard to case; one that is not known, or any other argument, makes the
// whole line bad, and a bad line wins over "/?", which wins over "/delete".
RunMode ModeOf(const std::vector<std::wstring>& arguments);

// This process's arguments after the program's name, split as the C runtime splits them.
std::vector<std::wstring> ProgramArguments();
