#include "StandInClassFactory.h"

#include <new>

#include "JVLinkStandIn.h"
#include "StandInModule.h"

StandInClassFactory::StandInClassFactory() { StandInModule::objectCreated(); }

StandInClassFactory::~StandInClassFactory() { StandInModule::objectDestroyed(); }

HRESULT STDMETHODCALLTYPE StandInClassFactory::QueryInterface(REFIID iid, void** result) {
    if (!result) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
        *result = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *result = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE StandInClassFactory::AddRef() { return InterlockedIncrement(&m_refs); }

ULONG STDMETHODCALLTYPE StandInClassFactory::Release() {
    LONG refs = InterlockedDecrement(&m_refs);
    if (refs == 0) delete this;
    return refs;
}

HRESULT STDMETHODCALLTYPE StandInClassFactory::CreateInstance(IUnknown* outer, REFIID iid,
                                                              void** result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    JVLinkStandIn* control = new (std::nothrow) JVLinkStandIn();
    if (!control) return E_OUTOFMEMORY;
    // The object starts with one reference; if the interface is refused,
    // this Release destroys it again.
    HRESULT hr = control->QueryInterface(iid, result);
    control->Release();
    return hr;
}

HRESULT STDMETHODCALLTYPE StandInClassFactory::LockServer(BOOL lock) {
    if (lock)
        StandInModule::lock();
    else
        StandInModule::unlock();
    return S_OK;
}
