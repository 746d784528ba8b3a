#include "StandInProbe.h"

#include "StandInModule.h"

namespace {

LRESULT CALLBACK probeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kProbeMark) {
        SetWindowLongPtrA(window, GWLP_USERDATA, lParam);
        return 0;
    }
    if (message == kProbeRead) return GetWindowLongPtrA(window, GWLP_USERDATA);
    if (message == kProbeMarkAfterInput) {
        SetPropA(window, "JVLinkStandInCookie", reinterpret_cast<HANDLE>(lParam));
        SetTimer(window, 1, 0, nullptr);
        return 0;
    }
    if (message == WM_TIMER && wParam == 1) {
        KillTimer(window, 1);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(GetPropA(window, "JVLinkStandInCookie")));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

StandInProbe::StandInProbe() {
    WNDCLASSA probeClass{};
    probeClass.lpfnWndProc = probeProc;
    probeClass.hInstance = StandInModule::instance();
    probeClass.lpszClassName = kProbeClass;
    RegisterClassA(&probeClass);  // fails harmlessly once it is registered
    m_window = CreateWindowExA(0, kProbeClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               StandInModule::instance(), nullptr);
}

StandInProbe::~StandInProbe() {
    if (m_window) {
        RemovePropA(m_window, "JVLinkStandInCookie");
        DestroyWindow(m_window);
    }
    // Refused while another control's probe lives; the class must not outlive the DLL.
    UnregisterClassA(kProbeClass, StandInModule::instance());
}
