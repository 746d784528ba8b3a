#include "JVLinkStandIn.h"

#include <algorithm>
#include <cwchar>
#include <string>

#include "SettingsDialog.h"
#include "StandInEnvironment.h"
#include "StandInLog.h"
#include "StandInModule.h"
#include "StandInSettings.h"

namespace {

// Persisted state larger than this is not ours; stop reading there.
const ULONG kMaxStateBytes = 64 * 1024;

const wchar_t kProgId[] = L"JVDTLab.JVLink";

}  // namespace

JVLinkStandIn::JVLinkStandIn() : m_number(StandInModule::nextInstanceNumber()) {
    StandInModule::objectCreated();
    StandInLog::writeNumbered("create", m_number);
}

JVLinkStandIn::~JVLinkStandIn() {
    if (m_site) m_site->Release();
    if (m_adviseHolder) m_adviseHolder->Release();
    StandInLog::writeNumbered("release", m_number);
    StandInModule::objectDestroyed();
}

// ---- IUnknown ----

HRESULT STDMETHODCALLTYPE JVLinkStandIn::QueryInterface(REFIID iid, void** result) {
    if (!result) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, IID_IJVLink))
        *result = static_cast<IJVLink*>(this);
    else if (IsEqualIID(iid, IID_IOleObject))
        *result = static_cast<IOleObject*>(this);
    else if (IsEqualIID(iid, IID_IPersistStreamInit) || IsEqualIID(iid, IID_IPersist))
        *result = static_cast<IPersistStreamInit*>(this);
    else if (IsEqualIID(iid, IID_IPersistStream))
        // IPersistStreamInit's vtable begins with IPersistStream's methods.
        *result = static_cast<IPersistStreamInit*>(this);
    else {
        *result = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE JVLinkStandIn::AddRef() { return InterlockedIncrement(&m_refs); }

ULONG STDMETHODCALLTYPE JVLinkStandIn::Release() {
    LONG refs = InterlockedDecrement(&m_refs);
    if (refs == 0) delete this;
    return refs;
}

// ---- IDispatch, without a type library ----

HRESULT STDMETHODCALLTYPE JVLinkStandIn::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE JVLinkStandIn::GetTypeInfo(UINT /*index*/, LCID /*locale*/,
                                                     ITypeInfo** info) {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT STDMETHODCALLTYPE JVLinkStandIn::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count,
                                                       LCID /*locale*/, DISPID* ids) {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids) return E_POINTER;
    static const struct {
        const wchar_t* name;
        DISPID id;
    } members[] = {
        {L"savePath", DISPID_JVLINK_SAVEPATH},
        {L"JVInit", DISPID_JVLINK_JVINIT},
        {L"JVSetUIProperties", DISPID_JVLINK_JVSETUIPROPERTIES},
    };
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        // Only the member name (index 0) can be known: none take named arguments.
        if (i == 0 && names[0]) {
            for (const auto& member : members)
                if (_wcsicmp(names[0], member.name) == 0) ids[0] = member.id;
        }
        if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE JVLinkStandIn::Invoke(DISPID id, REFIID iid, LCID /*locale*/, WORD flags,
                                                DISPPARAMS* params, VARIANT* result,
                                                EXCEPINFO* exception, UINT* argumentError) {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (!params) return E_INVALIDARG;
    switch (id) {
    case DISPID_JVLINK_SAVEPATH:
        if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
        if (params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
        return readSavePath(result, exception);
    case DISPID_JVLINK_JVINIT:
        if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
        return invokeJVInit(params, result, argumentError);
    case DISPID_JVLINK_JVSETUIPROPERTIES:
        if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
        return invokeJVSetUIProperties(params, result);
    }
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT JVLinkStandIn::readSavePath(VARIANT* result, EXCEPINFO* exception) {
    StandInLog::write("savePath");
    std::wstring failure;
    if (StandInEnvironment::read(L"JVLINK_STANDIN_SAVEPATH_FAIL", failure)) {
        if (exception) {
            ZeroMemory(exception, sizeof *exception);
            exception->bstrSource = SysAllocString(kProgId);
            exception->bstrDescription =
                SysAllocStringLen(failure.data(), static_cast<UINT>(failure.size()));
            exception->scode = E_FAIL;
        }
        return DISP_E_EXCEPTION;
    }
    if (!result) return S_OK;
    std::wstring path = StandInSettings::currentSavePath();
    // A save path with a NUL inside it, as a broken setting could give: the BSTR keeps its
    // full length, so the caller sees every character.
    std::wstring afterNul;
    if (StandInEnvironment::read(L"JVLINK_STANDIN_SAVEPATH_AFTER_NUL", afterNul))
        path += std::wstring(1, L'\0') + afterNul;
    VariantInit(result);
    result->vt = VT_BSTR;
    result->bstrVal = SysAllocStringLen(path.data(), static_cast<UINT>(path.size()));
    return result->bstrVal ? S_OK : E_OUTOFMEMORY;
}

HRESULT JVLinkStandIn::invokeJVInit(DISPPARAMS* params, VARIANT* result, UINT* argumentError) {
    if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
    VARIANT sid;
    VariantInit(&sid);
    HRESULT hr = DispGetParam(params, 0, VT_BSTR, &sid, argumentError);
    if (FAILED(hr)) return hr;
    long code = 0;
    hr = JVInit(sid.bstrVal, &code);
    VariantClear(&sid);
    if (SUCCEEDED(hr) && result) {
        VariantInit(result);
        result->vt = VT_I4;
        result->lVal = code;
    }
    return hr;
}

HRESULT JVLinkStandIn::invokeJVSetUIProperties(DISPPARAMS* params, VARIANT* result) {
    if (params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
    long code = 0;
    HRESULT hr = JVSetUIProperties(&code);
    if (SUCCEEDED(hr) && result) {
        VariantInit(result);
        result->vt = VT_I4;
        result->lVal = code;
    }
    return hr;
}

// ---- IJVLink ----

HRESULT STDMETHODCALLTYPE JVLinkStandIn::JVInit(BSTR sid, long* result) {
    StandInLog::write("JVInit " + StandInLog::toAnsi(sid, SysStringLen(sid)));
    if (!result) return E_POINTER;
    *result = StandInEnvironment::readNumber(L"JVLINK_STANDIN_INIT_RESULT", 0);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE JVLinkStandIn::JVSetUIProperties(long* result) {
    StandInLog::write("JVSetUIProperties");
    if (!result) return E_POINTER;
    std::wstring ui;
    if (!StandInEnvironment::read(L"JVLINK_STANDIN_UI", ui) || _wcsicmp(ui.c_str(), L"none") != 0)
        SettingsDialog::show(GetActiveWindow());
    *result = StandInEnvironment::readNumber(L"JVLINK_STANDIN_SETUI_RESULT", 0);
    return S_OK;
}

// ---- IOleObject: just enough for a host to site and activate us ----

HRESULT STDMETHODCALLTYPE JVLinkStandIn::SetClientSite(IOleClientSite* site) {
    if (site) site->AddRef();
    if (m_site) m_site->Release();
    m_site = site;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE JVLinkStandIn::GetClientSite(IOleClientSite** site) {
    if (!site) return E_POINTER;
    *site = m_site;
    if (m_site) m_site->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE JVLinkStandIn::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

HRESULT STDMETHODCALLTYPE JVLinkStandIn::Close(DWORD) {
    if (m_adviseHolder) m_adviseHolder->SendOnClose();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE JVLinkStandIn::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE JVLinkStandIn::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE JVLinkStandIn::InitFromData(IDataObject*, BOOL, DWORD) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE JVLinkStandIn::GetClipboardData(DWORD, IDataObject** data) {
    if (data) *data = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE JVLinkStandIn::DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND,
                                                LPCRECT) {
    // Nothing to show: the real control is invisible at run time as well.
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_OPEN:
    case OLEIVERB_HIDE:
    case OLEIVERB_UIACTIVATE:
    case OLEIVERB_INPLACEACTIVATE:
        return S_OK;
    }
    return OLEOBJ_S_INVALIDVERB;
}

HRESULT STDMETHODCALLTYPE JVLinkStandIn::EnumVerbs(IEnumOLEVERB** verbs) {
    if (verbs) *verbs = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE JVLinkStandIn::Update() { return S_OK; }

HRESULT STDMETHODCALLTYPE JVLinkStandIn::IsUpToDate() { return S_OK; }

HRESULT STDMETHODCALLTYPE JVLinkStandIn::GetUserClassID(CLSID* clsid) { return GetClassID(clsid); }

HRESULT STDMETHODCALLTYPE JVLinkStandIn::GetUserType(DWORD form, LPOLESTR* userType) {
    return OleRegGetUserType(CLSID_JVLinkStandIn, form, userType);
}

HRESULT STDMETHODCALLTYPE JVLinkStandIn::SetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    m_extent = *size;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE JVLinkStandIn::GetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    *size = m_extent;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE JVLinkStandIn::Advise(IAdviseSink* sink, DWORD* connection) {
    if (!m_adviseHolder) {
        HRESULT hr = CreateOleAdviseHolder(&m_adviseHolder);
        if (FAILED(hr)) return hr;
    }
    return m_adviseHolder->Advise(sink, connection);
}

HRESULT STDMETHODCALLTYPE JVLinkStandIn::Unadvise(DWORD connection) {
    return m_adviseHolder ? m_adviseHolder->Unadvise(connection) : OLE_E_NOCONNECTION;
}

HRESULT STDMETHODCALLTYPE JVLinkStandIn::EnumAdvise(IEnumSTATDATA** advises) {
    if (!advises) return E_POINTER;
    *advises = nullptr;
    return m_adviseHolder ? m_adviseHolder->EnumAdvise(advises) : S_OK;
}

HRESULT STDMETHODCALLTYPE JVLinkStandIn::GetMiscStatus(DWORD, DWORD* status) {
    if (!status) return E_POINTER;
    // No OLEMISC_SETCLIENTSITEFIRST: hosts load the persisted state first.
    *status = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE JVLinkStandIn::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

// ---- IPersistStreamInit ----

HRESULT STDMETHODCALLTYPE JVLinkStandIn::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_JVLinkStandIn;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE JVLinkStandIn::IsDirty() { return S_FALSE; }

HRESULT STDMETHODCALLTYPE JVLinkStandIn::Load(LPSTREAM stream) {
    if (!stream) return E_POINTER;
    // We do not know the real control's layout, so take everything there
    // is and log it for the tests to compare.
    std::vector<BYTE> state;
    BYTE chunk[512];
    while (state.size() < kMaxStateBytes) {
        ULONG wanted = static_cast<ULONG>(
            std::min<size_t>(sizeof chunk, kMaxStateBytes - state.size()));
        ULONG got = 0;
        HRESULT hr = stream->Read(chunk, wanted, &got);
        if (FAILED(hr)) return hr;
        state.insert(state.end(), chunk, chunk + got);
        if (got == 0 || hr == S_FALSE) break;
    }
    m_state.swap(state);
    StandInLog::writeBytes("load", m_state.data(), m_state.size());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE JVLinkStandIn::Save(LPSTREAM stream, BOOL) {
    if (!stream) return E_POINTER;
    if (m_state.empty()) return S_OK;
    ULONG written = 0;
    return stream->Write(m_state.data(), static_cast<ULONG>(m_state.size()), &written);
}

HRESULT STDMETHODCALLTYPE JVLinkStandIn::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    size->QuadPart = m_state.size();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE JVLinkStandIn::InitNew() {
    m_state.clear();
    return S_OK;
}
