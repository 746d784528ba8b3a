#include "base/ComError.h"

#include <cstdio>
#include <oleauto.h>
#include "base/AnsiPath.h"

namespace {

std::string SystemMessage(HRESULT hr) {
    char* buffer = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, static_cast<DWORD>(hr), 0,
                                  reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text;
    if (length && buffer) {
        text.assign(buffer, length);
        while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
            text.pop_back();
    }
    if (buffer) LocalFree(buffer);
    if (text.empty()) {
        char code[32];
        std::snprintf(code, sizeof code, "OLE エラー %08lX", static_cast<unsigned long>(hr));
        text = code;
    }
    return text;
}

}  // namespace

void OleCheck(HRESULT hr) {
    if (FAILED(hr)) throw EOleError(SystemMessage(hr), hr);
}

void RaiseDispatchError(HRESULT hr, EXCEPINFO& info) {
    if (hr == DISP_E_EXCEPTION && info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    std::string description;
    if (hr == DISP_E_EXCEPTION && info.bstrDescription)
        description = WideToAnsi(std::wstring(info.bstrDescription, SysStringLen(info.bstrDescription)));
    HRESULT code = hr == DISP_E_EXCEPTION && info.scode ? info.scode : hr;
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    info = EXCEPINFO{};
    throw EOleError(description.empty() ? SystemMessage(code) : description, code);
}
