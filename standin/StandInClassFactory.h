// Creates JVLinkStandIn objects. One factory per DllGetClassObject call;
// it counts as a live object so the DLL stays loaded while it is held.
#pragma once

#include <windows.h>
#include <unknwn.h>

class StandInClassFactory final : public IClassFactory {
public:
    StandInClassFactory();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** result) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    ~StandInClassFactory();

    volatile LONG m_refs = 1;
};
