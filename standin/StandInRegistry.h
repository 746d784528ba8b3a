// Self-registration. The stand-in takes the real JV-Link's class id, so it
// must never overwrite or remove a registration that belongs to another file.
#pragma once

#include <windows.h>

namespace StandInRegistry {

// SELFREG_E_CLASS, writing nothing, when the class id or the ProgID is
// already registered for some other server.
HRESULT registerServer();

// Removes the keys only when they are this DLL's; SELFREG_E_CLASS when they
// belong to another server.
HRESULT unregisterServer();

}  // namespace StandInRegistry
