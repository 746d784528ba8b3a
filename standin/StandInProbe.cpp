#include "StandInProbe.h"

#include "StandInModule.h"

namespace {

LRESULT CALLBACK probeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kProbeMark) {
        SetWindowLongPtrA(window, GWLP_USERDATA, lParam);
        return 0;
    }
    if (message == kProbeRead) return GetWindowLongPtrA(window, GWLP_USERDATA);
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
    if (m_window) DestroyWindow(m_window);
    // Refused while another control's probe lives; the class must not outlive the DLL.
    UnregisterClassA(kProbeClass, StandInModule::instance());
}
