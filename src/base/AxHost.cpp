#include "base/AxHost.h"

#include <objbase.h>
#include "base/ComError.h"

namespace {

using AtlAxWinInitProc = BOOL(WINAPI*)();
using AtlAxCreateControlExProc = HRESULT(WINAPI*)(LPCOLESTR, HWND, IStream*, IUnknown**,
                                                  IUnknown**, REFIID, IUnknown*);

struct AtlEntryPoints {
    AtlAxCreateControlExProc createControl = nullptr;
};

const AtlEntryPoints& Atl() {
    static AtlEntryPoints entries = [] {
        AtlEntryPoints result;
        HMODULE atl = LoadLibraryA("atl.dll");
        if (!atl) return result;
        auto init = reinterpret_cast<AtlAxWinInitProc>(
            reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
        result.createControl = reinterpret_cast<AtlAxCreateControlExProc>(
            reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxCreateControlEx")));
        if (!init || !init()) result.createControl = nullptr;
        return result;
    }();
    return entries;
}

}  // namespace

void AxHost::Create(HWND parent, const RECT& bounds, const wchar_t* progId,
                    const std::vector<BYTE>& persistedState) {
    Release();
    if (!Atl().createControl) throw EOleError("atl.dllでコントロールを表示できません。", E_NOINTERFACE);
    window_ = CreateWindowExA(0, "AtlAxWin", "", WS_CHILD | WS_VISIBLE, bounds.left, bounds.top,
                              bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!window_) OleCheck(HRESULT_FROM_WIN32(GetLastError()));

    ComPtr<IStream> stream;
    OleCheck(CreateStreamOnHGlobal(nullptr, TRUE, stream.Out()));
    ULONG written = 0;
    OleCheck(stream->Write(persistedState.data(), static_cast<ULONG>(persistedState.size()), &written));
    LARGE_INTEGER start{};
    OleCheck(stream->Seek(start, STREAM_SEEK_SET, nullptr));

    HRESULT hr = Atl().createControl(progId, window_, stream.Get(), container_.Out(),
                                     control_.Out(), IID_NULL, nullptr);
    if (FAILED(hr)) {
        Release();
        OleCheck(hr);
    }
}

void AxHost::Release() {
    control_.Reset();
    container_.Reset();
    if (window_) {
        DestroyWindow(window_);
        window_ = nullptr;
    }
}
