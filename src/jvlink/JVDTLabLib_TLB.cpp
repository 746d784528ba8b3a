#include "jvlink/JVDTLabLib_TLB.h"

#include <oleauto.h>
#include "base/AnsiPath.h"
#include "base/ComError.h"

const wchar_t kJVLinkProgId[] = L"JVDTLab.JVLink";
const CLSID CLSID_JVLink = {0x2AB1774D, 0x0C41, 0x11D7, {0x91, 0x6F, 0x00, 0x03, 0x47, 0x9B, 0xEB, 0x3F}};
const IID IID_IJVLink = {0x2AB1774C, 0x0C41, 0x11D7, {0x91, 0x6F, 0x00, 0x03, 0x47, 0x9B, 0xEB, 0x3F}};

namespace {

const DISPID kSavePathDispId = 2;

// A BSTR owned for the length of one call.
class OwnedBstr {
public:
    explicit OwnedBstr(const std::wstring& text)
        : value_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {
        if (!value_) OleCheck(E_OUTOFMEMORY);
    }
    ~OwnedBstr() { SysFreeString(value_); }
    OwnedBstr(const OwnedBstr&) = delete;
    OwnedBstr& operator=(const OwnedBstr&) = delete;
    BSTR Get() const { return value_; }
private:
    BSTR value_;
};

}  // namespace

void TJVLink::Create(HWND parent, const RECT& bounds, const std::vector<BYTE>& persistedState) {
    Destroy();
    host_.Create(parent, bounds, kJVLinkProgId, persistedState);
}

void TJVLink::CreateWithoutWindow() {
    Destroy();
    CLSID classId;
    OleCheck(CLSIDFromProgID(kJVLinkProgId, &classId));
    ComPtr<IDispatch> dispatch;
    OleCheck(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                              dispatch.OutVoid()));
    OleCheck(dispatch->QueryInterface(IID_IJVLink, intf_.OutVoid()));
}

void TJVLink::Destroy() {
    intf_.Reset();
    host_.Release();
}

IJVLink* TJVLink::Intf() {
    if (!intf_) {
        IUnknown* control = host_.Control();
        if (!control) OleCheck(E_POINTER);
        ComPtr<IDispatch> dispatch;
        OleCheck(control->QueryInterface(IID_IDispatch, dispatch.OutVoid()));
        OleCheck(dispatch->QueryInterface(IID_IJVLink, intf_.OutVoid()));
    }
    return intf_.Get();
}

LONG TJVLink::JVInit(const std::string& softwareId) {
    OwnedBstr sid(AnsiToWide(softwareId));
    LONG result = 0;
    OleCheck(Intf()->JVInit(sid.Get(), &result));
    return result;
}

LONG TJVLink::JVSetUIProperties() {
    LONG result = 0;
    OleCheck(Intf()->JVSetUIProperties(&result));
    return result;
}

std::wstring TJVLink::savePath() {
    DISPPARAMS noArguments{};
    VARIANT value;
    VariantInit(&value);
    EXCEPINFO info{};
    UINT argumentError = 0;
    HRESULT hr = Intf()->Invoke(kSavePathDispId, IID_NULL, 0, DISPATCH_PROPERTYGET, &noArguments,
                                &value, &info, &argumentError);
    if (FAILED(hr)) RaiseDispatchError(hr, info);
    if (value.vt != VT_BSTR) {
        HRESULT converted = VariantChangeType(&value, &value, 0, VT_BSTR);
        if (FAILED(converted)) {
            VariantClear(&value);
            OleCheck(converted);
        }
    }
    std::wstring path = value.bstrVal ? std::wstring(value.bstrVal, SysStringLen(value.bstrVal))
                                      : std::wstring();
    VariantClear(&value);
    return path;
}
