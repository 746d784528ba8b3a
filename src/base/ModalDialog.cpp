#include "base/ModalDialog.h"

INT_PTR RunModalDialog(HWND owner, DWORD style, DLGPROC procedure, LPARAM parameter) {
    alignas(DWORD) WORD buffer[16] = {};  // no menu, class, title or controls
    auto* dialogTemplate = reinterpret_cast<DLGTEMPLATE*>(buffer);
    dialogTemplate->style = style;
    dialogTemplate->dwExtendedStyle = WS_EX_DLGMODALFRAME;
    return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), dialogTemplate, owner, procedure, parameter);
}
