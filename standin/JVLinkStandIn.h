// The stand-in control: answers IJVLink (dual), IOleObject and
// IPersistStreamInit, enough for ATL's ActiveX host. It has no window and
// draws nothing.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <vector>

#include "IJVLink.h"
#include "StandInProbe.h"

class JVLinkStandIn final : public IJVLink, public IOleObject, public IPersistStreamInit {
public:
    JVLinkStandIn();

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override;

    // IJVLink
    HRESULT STDMETHODCALLTYPE JVInit(BSTR sid, long* result) override;
    HRESULT STDMETHODCALLTYPE JVSetUIProperties(long* result) override;
#define JVLINK_PLACEHOLDER_IMPL(n) \
    HRESULT STDMETHODCALLTYPE Placeholder##n() override { return E_NOTIMPL; }
    JVLINK_PLACEHOLDER_IMPL(1)
    JVLINK_PLACEHOLDER_IMPL(2)
    JVLINK_PLACEHOLDER_IMPL(3)
    JVLINK_PLACEHOLDER_IMPL(5)
    JVLINK_PLACEHOLDER_IMPL(7)
    JVLINK_PLACEHOLDER_IMPL(8)
    JVLINK_PLACEHOLDER_IMPL(9)
    JVLINK_PLACEHOLDER_IMPL(10)
    JVLINK_PLACEHOLDER_IMPL(11)
    JVLINK_PLACEHOLDER_IMPL(12)
    JVLINK_PLACEHOLDER_IMPL(13)
    JVLINK_PLACEHOLDER_IMPL(14)
    JVLINK_PLACEHOLDER_IMPL(15)
    JVLINK_PLACEHOLDER_IMPL(16)
    JVLINK_PLACEHOLDER_IMPL(17)
    JVLINK_PLACEHOLDER_IMPL(18)
    JVLINK_PLACEHOLDER_IMPL(19)
    JVLINK_PLACEHOLDER_IMPL(20)
    JVLINK_PLACEHOLDER_IMPL(21)
    JVLINK_PLACEHOLDER_IMPL(22)
    JVLINK_PLACEHOLDER_IMPL(23)
    JVLINK_PLACEHOLDER_IMPL(24)
    JVLINK_PLACEHOLDER_IMPL(25)
    JVLINK_PLACEHOLDER_IMPL(26)
    JVLINK_PLACEHOLDER_IMPL(27)
    JVLINK_PLACEHOLDER_IMPL(28)
    JVLINK_PLACEHOLDER_IMPL(29)
    JVLINK_PLACEHOLDER_IMPL(30)
    JVLINK_PLACEHOLDER_IMPL(31)
    JVLINK_PLACEHOLDER_IMPL(32)
    JVLINK_PLACEHOLDER_IMPL(33)
    JVLINK_PLACEHOLDER_IMPL(34)
    JVLINK_PLACEHOLDER_IMPL(35)
    JVLINK_PLACEHOLDER_IMPL(36)
    JVLINK_PLACEHOLDER_IMPL(37)
    JVLINK_PLACEHOLDER_IMPL(38)
    JVLINK_PLACEHOLDER_IMPL(39)
    JVLINK_PLACEHOLDER_IMPL(40)
#undef JVLINK_PLACEHOLDER_IMPL

    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR application, LPCOLESTR document) override;
    HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD which, IMoniker* moniker) override;
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD reserved, IDataObject** data) override;
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG message, IOleClientSite* site, LONG index,
                                     HWND parent, LPCRECT position) override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) override;
    HRESULT STDMETHODCALLTYPE Update() override;
    HRESULT STDMETHODCALLTYPE IsUpToDate() override;
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* userType) override;
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* connection) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD connection) override;
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advises) override;
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE* palette) override;

    // IPersist, IPersistStreamInit
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override;
    HRESULT STDMETHODCALLTYPE Load(LPSTREAM stream) override;
    HRESULT STDMETHODCALLTYPE Save(LPSTREAM stream, BOOL clearDirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
    HRESULT STDMETHODCALLTYPE InitNew() override;

private:
    ~JVLinkStandIn();

    HRESULT readSavePath(VARIANT* result, EXCEPINFO* exception);
    HRESULT invokeJVInit(DISPPARAMS* params, VARIANT* result, UINT* argumentError);
    HRESULT invokeJVSetUIProperties(DISPPARAMS* params, VARIANT* result);

    volatile LONG m_refs = 1;
    const long m_number;
    IOleClientSite* m_site = nullptr;
    IOleAdviseHolder* m_adviseHolder = nullptr;
    SIZEL m_extent = {2540, 2540};  // 1 inch in HIMETRIC until the host sets one
    std::vector<BYTE> m_state;      // persisted bytes, handed back by Save
    StandInProbe m_probe;
};
