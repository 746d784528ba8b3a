#pragma once
// The program from start to exit: JV-Link presence check, main window, message loop.

// The hint shown where JV-Link is not installed.
extern const char kInstallJVLink[];

// True when an instance of JV-Link can be created; the probe's instance is released at once.
bool JVLinkIsInstalled();

// Runs the program; returns the process exit code.
int RunProgram();
