// Plays the user's data software, still open: it creates the JV-Link control (so that its
// DLL is loaded), shows that it has with a hidden window of class "JVLinkUser", and keeps
// the control until that window is closed.
#include <windows.h>
#include <objbase.h>

namespace {

LRESULT CALLBACK UserProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    CoInitialize(nullptr);
    CLSID classId;
    IUnknown* control = nullptr;
    if (FAILED(CLSIDFromProgID(L"JVDTLab.JVLink", &classId)) ||
        FAILED(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(&control))))
        return 2;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = UserProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "JVLinkUser";
    RegisterClassA(&windowClass);
    CreateWindowExA(0, "JVLinkUser", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    control->Release();
    CoUninitialize();
    return 0;
}
