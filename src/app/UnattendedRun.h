#pragma once
// The program run from a batch file or a scheduled task: every check the delete button
// makes, then the folders emptied without a question. Nothing is shown: every text the
// window would show goes to the output, and the exit code tells what happened.
#include "app/CommandLine.h"
#include "app/UnattendedOutput.h"

// The exit codes of a run without a window, one meaning each.
enum UnattendedExitCode {
    kExitEmptied = 0,          // the folders were emptied, or there was nothing to delete
    kExitSomeStayed = 1,        // the run ended normally and some files stayed
    kExitNothingDeleted = 2,    // for any cause, a bad argument included
    kExitJVLinkMissing = 3,     // JV-Link is not installed
    kExitStoppedAfterSome = 4,  // an error ended the run after some files were deleted
};

// /delete: returns the exit code.
int RunUnattended(UnattendedOutput& output);

// /? (exit code 0) or a bad argument (2): how to use the switches, to the output. Without
// one, /? alone shows it in a message box where a person can see it (an interactive
// desktop); a bad argument then shows nothing, since in a scheduled task nobody would
// close the box.
int ShowUsage(RunMode mode, UnattendedOutput& output);
