#pragma once
// Hosts an ActiveX control in a child window through the platform's ATL host (atl.dll,
// part of every Windows installation, loaded at run time so the .exe needs no ATL).
#include <windows.h>
#include <string>
#include <vector>
#include "base/ComPtr.h"

class AxHost {
public:
    AxHost() = default;
    AxHost(const AxHost&) = delete;
    AxHost& operator=(const AxHost&) = delete;
    ~AxHost() { Release(); }

    // Creates the host window and the control named by progId, handing it persistedState
    // through IPersistStreamInit::Load. Raises EOleError when either cannot be made.
    void Create(HWND parent, const RECT& bounds, const wchar_t* progId,
                const std::vector<BYTE>& persistedState);
    // Drops our references; the host window releases the control when it is destroyed.
    void Release();

    IUnknown* Control() const { return control_.Get(); }
    HWND Handle() const { return window_; }

private:
    HWND window_ = nullptr;
    ComPtr<IUnknown> container_;
    ComPtr<IUnknown> control_;
};
