// DllMain and the four exports.
#include "StandInModule.h"

#include <olectl.h>
#include <new>

#include "IJVLink.h"
#include "StandInClassFactory.h"
#include "StandInRegistry.h"

namespace {

HINSTANCE g_instance = nullptr;
volatile LONG g_objects = 0;
volatile LONG g_locks = 0;
volatile LONG g_instanceNumbers = 0;

}  // namespace

HINSTANCE StandInModule::instance() { return g_instance; }
void StandInModule::objectCreated() { InterlockedIncrement(&g_objects); }
void StandInModule::objectDestroyed() { InterlockedDecrement(&g_objects); }
void StandInModule::lock() { InterlockedIncrement(&g_locks); }
void StandInModule::unlock() { InterlockedDecrement(&g_locks); }
bool StandInModule::canUnload() { return g_objects == 0 && g_locks == 0; }
long StandInModule::nextInstanceNumber() { return InterlockedIncrement(&g_instanceNumbers); }

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_instance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_JVLinkStandIn)) return CLASS_E_CLASSNOTAVAILABLE;
    StandInClassFactory* factory = new (std::nothrow) StandInClassFactory();
    if (!factory) return E_OUTOFMEMORY;
    HRESULT hr = factory->QueryInterface(iid, result);
    factory->Release();
    return hr;
}

STDAPI DllCanUnloadNow() { return StandInModule::canUnload() ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() { return StandInRegistry::registerServer(); }

STDAPI DllUnregisterServer() { return StandInRegistry::unregisterServer(); }
