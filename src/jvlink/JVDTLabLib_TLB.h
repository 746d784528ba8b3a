#pragma once
// The JV-Link control as this program uses it: its identity, the slots of its dual
// interface that are called, and TJVLink, the hosted instance on the main window.
#include <windows.h>
#include <oaidl.h>
#include <string>
#include <vector>
#include "base/AxHost.h"
#include "base/ComPtr.h"

extern const wchar_t kJVLinkProgId[];     // "JVDTLab.JVLink"
extern const CLSID CLSID_JVLink;          // {2AB1774D-0C41-11D7-916F-0003479BEB3F}
extern const IID IID_IJVLink;             // {2AB1774C-0C41-11D7-916F-0003479BEB3F}

// Dual interface; only the slot positions of the two methods called matter here.
struct IJVLink : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Unused1() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused2() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused3() = 0;
    virtual HRESULT STDMETHODCALLTYPE JVInit(BSTR sid, LONG* result) = 0;  // 4th
    virtual HRESULT STDMETHODCALLTYPE Unused5() = 0;
    virtual HRESULT STDMETHODCALLTYPE JVSetUIProperties(LONG* result) = 0;  // 6th
};

class TJVLink {
public:
    // Hosts a new instance in parent and hands it its persisted state.
    void Create(HWND parent, const RECT& bounds, const std::vector<BYTE>& persistedState);
    // Creates a new instance without a window, as a program without one uses JV-Link.
    // Raises EOleError when it cannot be made.
    void CreateWithoutWindow();
    // Releases the instance (also done by the destructor).
    void Destroy();

    // JV-Link return codes: 0 is success. A failed HRESULT raises EOleError.
    LONG JVInit(const std::string& softwareId);
    LONG JVSetUIProperties();
    // The save path property, read through IDispatch (dispatch id 2).
    std::wstring savePath();

    HWND Handle() const { return host_.Handle(); }

private:
    IJVLink* Intf();

    AxHost host_;
    ComPtr<IJVLink> intf_;
};
