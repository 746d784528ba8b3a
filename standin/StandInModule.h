// DLL-wide state: the module handle and the counts DllCanUnloadNow looks at.
#pragma once

#include <windows.h>

namespace StandInModule {

HINSTANCE instance();

// Every live COM object of this DLL (controls and class factories).
void objectCreated();
void objectDestroyed();

// IClassFactory::LockServer.
void lock();
void unlock();

bool canUnload();

// Numbers instances 1, 2, ... for the log, per process.
long nextInstanceNumber();

}  // namespace StandInModule
